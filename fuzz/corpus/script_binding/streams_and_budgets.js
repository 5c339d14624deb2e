// Streams a script opens and drops, or keeps past the bound; methods of
// several arguments and one no script can pass.
for (var i = 0; i < 600; i++) resMan.CreateStream('piece.object');
var kept = [];
for (var i = 0; i < 300; i++) kept.push(resMan.CreateStream('piece.object', 0));
try { filter.loadRGBAFile(resMan, 'a.png', 0, 0, []); } catch (e) {}
try { v = applet.newFromFile('piece.object', o[0]); } catch (e) {}
