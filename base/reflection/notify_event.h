// A change notification: the owner's handler, called with the object that
// changed. Empty when unassigned.
#pragma once

#include <functional>

namespace corvane {

class TObject;

using TNotifyEvent = std::function<void(TObject* sender)>;

}  // namespace corvane
