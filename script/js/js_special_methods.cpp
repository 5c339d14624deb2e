#include "script/js/js_special_methods.h"

#include <array>

namespace corvane::js {

namespace {

using enum TSpecialTarget;
using enum TSpecialResult;
using enum TSpecialAction;

constexpr std::array<TSpecialMethod, 46> kSpecialMethods = {{
    {"getParent", 0, "BaseObject", Receiver, Typed, None},
    {"getDesignSelected", 0, "Mission", Receiver, Typed, None},

    {"devices", 1, nullptr, Applet, Typed, None},
    {"add", 1, "TWideStrings", Receiver, Unchanged, None},
    {"items", 1, "TWideStrings", Receiver, Typed, None},
    {"users", 1, "Preferences", Receiver, Typed, None},
    {"names", 1, "ScoreTable", Receiver, Typed, None},
    {"scores", 1, "ScoreTable", Receiver, Typed, None},
    {"reflect", 1, "TSpaceCoord", Receiver, Unchanged, None},
    {"copy", 1, "TSpaceCoord", Receiver, Unchanged, None},
    {"children", 1, "BaseObject", Receiver, Typed, None},
    {"addVarToDebug", 1, "Event", Receiver, Null, None},
    {"customEvent", 1, "BaseObject", Receiver, Null, None},
    {"moveTo", 1, "BaseObject", Receiver, Null, None},
    {"findByTagString", 1, "BaseObject", Receiver, Typed, None},
    {"findAllByTagString", 1, "BaseObject", Receiver, Typed, ClearFound},
    {"findAllOwnByTagString", 1, "BaseObject", Receiver, Typed, ClearFound},
    {"paramList", 1, "Event", Receiver, Typed, None},
    {"recordEvent", 1, "Event", Receiver, Null, None},
    {"playEvent", 1, "Event", Receiver, Null, None},
    {"getValue", 1, "Preferences", Receiver, Typed, None},
    {"getBoolValue", 1, "Preferences", Receiver, Typed, None},
    {"getIntValue", 1, "Preferences", Receiver, Typed, None},
    {"makepng", 1, "BaseObject", Receiver, Null, None},
    {"findOwnByTagString", 1, "BaseObject", Receiver, Typed, None},
    {"findByName", 1, "BaseObject", Receiver, Typed, None},
    {"enterModal", 1, "Applet", Receiver, Typed, None},
    {"selectExternalFile", 1, nullptr, ExternalResMan, Typed, None},
    {"complexCollise", 1, "PositionObject", Receiver, Typed, None},
    {"hideScreen", 1, "Applet", Receiver, Null, None},
    {"hideScreenWait", 1, "Applet", Receiver, Null, None},

    {"renameUser", 2, "Preferences", Receiver, Null, None},
    {"addScore", 2, "ScoreTable", Receiver, Null, None},
    {"setItem", 2, "TWideStrings", Receiver, Null, None},
    {"new", 2, nullptr, Applet, Typed, None},
    {"startMission", 2, nullptr, Applet, Typed, None},
    {"editMission", 2, nullptr, Applet, Typed, None},
    {"newFromCache", 2, nullptr, Applet, Typed, None},
    {"setValue", 2, "Preferences", Receiver, Null, None},
    {"fadeScreenToColor", 2, "Applet", Receiver, Null, None},
    {"fadeScreenToColorWait", 2, "Applet", Receiver, Null, None},
    {"storeObject", 2, nullptr, Applet, Unchanged, None},
    {"showMessage", 2, nullptr, Applet, Unchanged, None},
    {"explode", 2, nullptr, Receiver, Unchanged, None},
    {"screenToLocal", 2, "PositionObject", Receiver, Unchanged, None},
    {"loadPixmap", 2, nullptr, Receiver, Null, FreePixmap},
}};

}  // namespace

bool MakesTreeObject(std::string_view name) {
  for (const char* maker : {"new", "newFromFile", "newFromCache", "startMission", "editMission"})
    if (name == maker) return true;
  return false;
}

const TSpecialMethod* FindSpecialMethod(std::string_view name) {
  for (const TSpecialMethod& special : kSpecialMethods)
    if (name == special.Name) return &special;
  return nullptr;
}

}  // namespace corvane::js
