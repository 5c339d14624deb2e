// The guard against scripts that never return. While a call into the
// library runs, a watchdog thread asks the library every 250 ms to call
// back on the main thread; the callback stops the script once the limit
// has passed since the later of the call's start and the last frame the
// engine began (waits, modal loops and fades run frames, so they go on;
// `while (true) {}` does not). The stop is logged as
//   file(line:column) script stopped: no frame for 10 s
// with the place the script had reached, and the call returns false.
//
// The same callback ends a call whose applet began to end after the call
// began (a close request, terminate): it asks the engine to hear the
// host's close requests first, so a script that never runs a frame is
// closed too, and it is asked at once when an applet ends. The scripts
// that start once their applet has begun to end (onFree, the onDestroy of
// what it frees) run, but all of them together only within kEndGrace of
// that moment: one still running then is stopped, and one that starts
// later at its first step, however many there are. Such a stop is an
// information line:
//   file(line:column) script stopped: its applet ends
//
// A script inside one long call of the library (a built-in that hears no
// interrupt) answers none of this. Once an interrupt has gone unanswered
// for a while, the guard's thread holds the main thread there
// (js_main_hold.h), looks for the host's close request itself, and soon
// after one (kCloseGrace) ends the program (TEngineServices::EndAtOnce).
#pragma once

#include "base/reflection/object.h"

struct JSContext;

namespace corvane {
class TAppletServices;
}

namespace corvane::js {

// Seconds the scripts of an ending applet have, from the moment it began
// to end.
inline constexpr double kEndGrace = 0.5;

// Seconds without a frame before a script is stopped; 0 turns the guard
// off. 10 by default.
double ScriptTimeLimit();
void SetScriptTimeLimit(double seconds);

// With the shared context: the thread and the library's callback.
void StartWatchdog(JSContext* cx);
void StopWatchdog();

// True once after a stop: the library then warns "Script terminated by
// timeout" itself, which the stop's own line already says.
bool TakeStopWarning();

// An applet ended: the running call looks at once whether it must stop.
void RequestStopCheck();

// One call into the library for a script of the applet (none: a script of
// no applet), watched while it lives. Calls nest (a script runs frames
// whose handlers run scripts); a stop ends the innermost one, and once it
// returns, the call around it is looked at again.
class TWatchedCall {
 public:
  explicit TWatchedCall(TAppletServices* applet = nullptr);
  ~TWatchedCall();
  TWatchedCall(const TWatchedCall&) = delete;
  TWatchedCall& operator=(const TWatchedCall&) = delete;
  // Whether the guard stopped this call.
  bool Stopped() const { return stopped_; }
  // Whether its applet began to end (or went) after the call began.
  bool AppletEnded() const;
  // Whether the call began once its applet was ending, and the ending
  // applet's grace has passed.
  bool PastEndGrace(double now) const { return endedAtStart_ && now >= endDeadline_; }
  double Start() const { return start_; }
  // Whether the script heap was past its cap when the call began.
  bool StartedPastCap() const { return startedPastCap_; }
  void Stop() { stopped_ = true; }

 private:
  TWatchedCall* outer_;
  double start_;
  bool stopped_ = false;
  TWeak<TAppletServices> applet_;
  bool hadApplet_;
  bool endedAtStart_;
  double endDeadline_ = 0;
  bool startedPastCap_;
};

}  // namespace corvane::js
