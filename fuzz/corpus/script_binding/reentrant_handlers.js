// Handlers that dispose their own object and others, and set handlers anew.
var t = new Timer(); t.interval = 0;
t.onTimer = 'o[1].dispose(); t.onTimer = "t.dispose(); o[2].dispose()"; t.enabled = false; t.enabled = true';
t.enabled = true;
