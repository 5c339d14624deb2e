var a = 1;
function f(x) { return x * 2 + a; }
