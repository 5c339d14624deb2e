// Objects used after they were disposed, and after the frame freed them.
var k = o[0]; var kp = k.position;
k.dispose();
try { k.width = 1; v = k.visible; kp.x = 2; k.getParent() } catch (e) {}
var t = new Timer(); t.interval = 0; t.onTimer = 'try { k.width = 2; kp.x = 3; k.dispose() } catch (e) {}'; t.enabled = true;
