// Promise jobs that free objects, queue more jobs and outlive the applet's handlers.
var b = o[1];
Promise.resolve().then(function () { b.dispose(); return b; }).then(function (x) { x.name = 'gone'; });
(async function () { await null; o[2].dispose(); await null; o[2].width = 3; })();
hooks.free = function () { Promise.resolve().then(function () { applet.sleep(0.01); }); };
o[3].onDestroy = 'Promise.resolve().then(function () { o[4].dispose(); })';
o[3].dispose();
