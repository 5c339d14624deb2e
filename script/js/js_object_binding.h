// The reflection binding: what engine classes and objects are in scripts,
// read from the classes' descriptions alone.
//
// A class's prototype (record "object", a global named after the class)
// holds every published property as an accessor pair and every published
// method as a function; each function carries its property or method in a
// reserved slot, so nothing is looked up by name on a call. Property and
// method names match without case: another spelling is resolved on the
// prototype to the same accessors or function on first use (a method so
// named is the published one in every way). `Box.prototype` is
// `Box`, and `new Box(parent)` or `new Box("file", parent)` makes a tree
// object under the parent (the applet when there is none) and gives its
// wrapper.
//
// A wrapper (record "c") holds nothing of its own: a script that adds a
// property to it gets a TypeError. Reads of a gone object's properties give
// undefined, writes do nothing, and calls throw. An accessor or method used
// on anything but an object of its class or a descendant (under a swapped
// prototype, or called with another `this`) throws a TypeError.
#pragma once

#include "script/js/js_object_link.h"

namespace corvane::js {

TJSObjectBinding& ReflectionBinding();

}  // namespace corvane::js
