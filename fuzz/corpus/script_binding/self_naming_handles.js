// Weak handles that name their holder: a mirror of itself, two mirrors of each other, disposed in turn.
var m = new Mirror(); m.mirrorObject = m; var n = new Mirror(); n.mirrorObject = m; m.mirrorObject = n;
try { m.dispose(); v = n.mirrorObject; n.mirrorObject = n; n.dispose() } catch (e) {}
