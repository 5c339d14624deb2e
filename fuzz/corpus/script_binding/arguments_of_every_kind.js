// Arguments of every kind to the methods of the applet.
var args = [0, -1, 2.5, NaN, '', 'x', true, null, undefined, {}, [1, [2]], Box, applet, function () {}];
for (var a = 0; a < args.length; ++a) for (var k in applet) { try { if (typeof applet[k] == 'function' && !/sleep|wait|Wait|Modal|showMessage|terminate/.test(k)) applet[k](args[a], args[(a + 3) % args.length]) } catch (e) {} }
