// Accessors and methods of another class through a swapped prototype.
for (var i = 0; i < o.length; ++i) { try { Object.setPrototypeOf(o[i], Applet); o[i].title = 'x'; v = o[i].title; o[i].hideScreen(0.5) } catch (e) {} }
