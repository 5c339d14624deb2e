// Values that free, dispose or move objects while the engine converts
// them: the receiver of a setter, an earlier object argument, the receiver
// of a method, through toString, valueOf, a getter and a proxy.
var g = new Dummy(); var b1 = new Box(g); var b2 = new Box(g); var b3 = new Box(g);
try { b1.name = {toString: function () { g.deleteChildren(); return 'z'; }}; } catch (e) {}
g = new Dummy(); b1 = new Box(g); b2 = new Box(g);
try { b2.x = {valueOf: function () { b2.dispose(); g.deleteChildren(); return 4; }}; } catch (e) {}
g = new Dummy(); b1 = new Box(g); b2 = new Box(g);
try { applet.storeObject(b1, {toString: function () { g.deleteChildren(); return 'x.object'; }}); } catch (e) {}
g = new Dummy(); b1 = new Box(g);
try { b1.scheduleDispose({valueOf: function () { g.deleteChildren(); return 1; }}); } catch (e) {}
g = new Dummy(); b1 = new Box(g); b2 = new Box(g);
try { b1.moveTo(Object.defineProperty({}, 'valueOf', {get: function () { g.deleteChildren(); return 1; }})); } catch (e) {}
g = new Dummy(); b1 = new Box(g);
try { b1.customEvent(new Proxy({}, {get: function () { g.deleteChildren(); return function () { return 'e'; }; }})); } catch (e) {}
g = new Dummy(); b1 = new Box(g);
try { b1.kind = {toString: function () { applet.deleteChildren(); return 'okSpace'; }}; } catch (e) {}
try { b1.kind = 'okSpace'; b1.kind = 'nothing'; } catch (e) {}
