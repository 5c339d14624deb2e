// Every member of every object read and written back, every method called.
for (var i = 0; i < o.length; ++i) for (var k in o[i]) { try { v = o[i][k]; if (typeof v == 'function') { if (!/sleep|wait|Wait|Modal|showMessage|terminate/.test(k)) o[i][k](1, 'x', null) } else o[i][k] = v } catch (e) {} }
