// The methods scripts call by name with a behaviour of their own: where the
// call goes, what the script gets back, and the few things done around it.
// Names are exact, case included.
#pragma once

#include <cstdint>
#include <string_view>

namespace corvane::js {

enum class TSpecialTarget : std::uint8_t {
  Receiver,
  Applet,          // the receiver's applet (its owner, or a tree object's applet)
  ExternalResMan,  // the engine's external resource manager, whatever the receiver
};

enum class TSpecialResult : std::uint8_t {
  Typed,      // the method's result by its type
  Null,       // null
  Unchanged,  // undefined
};

enum class TSpecialAction : std::uint8_t {
  None,
  ClearFound,      // the applet's list of found objects is emptied first
  FreePixmap,      // the loaded pixmap is freed (its cached file stays)
};

struct TSpecialMethod {
  const char* Name;
  int Arguments;         // 0, 1 or 2
  const char* Receiver;  // the class the receiver must be of; nullptr: any
  TSpecialTarget Target;
  TSpecialResult Result;
  TSpecialAction Action;
};

// Methods that make a tree object under a parent given second: a missing
// or null parent is the applet (nobody ticks or frees an orphan), and the
// object budget (engine/core/object_budget.h) may refuse them.
bool MakesTreeObject(std::string_view name);

// The entry of that name (each name has one); nullptr when none.
const TSpecialMethod* FindSpecialMethod(std::string_view name);

}  // namespace corvane::js
