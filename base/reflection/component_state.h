// The state and style flags of streamable components. They live apart from
// the component so that creation contexts can carry an initial state.
#pragma once

#include "base/reflection/set.h"

namespace corvane {

enum TGComponentStateFlag : unsigned char {
  csLoading,           // 1: being read; cleared by Loaded
  csReading,           // 2
  csWriting,           // 4
  csDestroying,        // 8
  csDesigning,         // 16
  csAncestor,          // 32
  csUpdating,          // 64
  csFixups,            // 128
  csFreeNotification,  // 256
  csInline,            // 512
  csDesignInstance,    // 1024
  csLoadingProps,      // 2048: own properties being read
};
using TGComponentState = TSet<TGComponentStateFlag>;

enum TGComponentStyleFlag : unsigned char {
  csInheritable,     // 1
  csCheckPropAvail,  // 2
  csSubComponent,    // 4
  csTransient,       // 8
  csExternal,        // 16: not written with its parent
  csUnstoreable,     // 32: writes no children
};
using TGComponentStyle = TSet<TGComponentStyleFlag>;

}  // namespace corvane
