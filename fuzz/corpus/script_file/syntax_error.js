var a = 1;
var b = ;
