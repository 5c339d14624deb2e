// Loads whose scripts free the object being loaded: its onCreate, and a
// setter a script put on the global it registers under; and what the
// dropped object's onDestroy does meanwhile.
var g = new Dummy();
hooks.create = function () { g.deleteChildren(); };
try { new Dummy(g, 'piece.object'); } catch (e) {}
try { v = applet.newFromFile('piece.object', g); } catch (e) {}
try { v = applet.newFromCache('piece.object', g); } catch (e) {}
hooks.create = null;
hooks.destroy = function () { applet.newFromFile('piece.object', g); };
Object.defineProperty(globalThis, 'piece', {set: function (x) { g.deleteChildren(); }, configurable: true});
try { v = applet.newFromFile('piece.object', new Box(g)); } catch (e) {}
try { g.fileName = 'piece.object'; } catch (e) {}
delete globalThis.piece;
