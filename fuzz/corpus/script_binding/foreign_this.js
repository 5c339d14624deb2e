// Members taken off their prototype and called with any this.
var w = Object.getOwnPropertyDescriptor(Box, 'width');
for (var i = 0; i < o.length; ++i) { try { v = w.get.call(o[i]); w.set.call(o[i], 3) } catch (e) {} try { Box.findByName.call(o[i], 'x') } catch (e) {} }
try { w.get.call({}) } catch (e) {}
try { w.set.call(7, 1) } catch (e) {}
try { Box.findByName.call(applet.params, 'x') } catch (e) {}
