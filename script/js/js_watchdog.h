// The guard against scripts that never return. While a call into the
// library runs, a watchdog thread asks the library every 250 ms to call
// back on the main thread; the callback stops the script once the limit
// has passed since the later of the call's start and the last frame the
// engine began (waits, modal loops and fades run frames, so they go on;
// `while (true) {}` does not). The stop is logged as
//   file(line:column) script stopped: no frame for 10 s
// with the place the script had reached, and the call returns false.
#pragma once

struct JSContext;

namespace corvane::js {

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

// One call into the library, watched while it lives. Calls nest (a script
// runs frames whose handlers run scripts); a stop ends the innermost one.
class TWatchedCall {
 public:
  TWatchedCall();
  ~TWatchedCall();
  TWatchedCall(const TWatchedCall&) = delete;
  TWatchedCall& operator=(const TWatchedCall&) = delete;
  // Whether the guard stopped this call.
  bool Stopped() const;

 private:
  double previousStart_;
  bool previousStopped_;
};

}  // namespace corvane::js
