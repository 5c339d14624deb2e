// An X server of a test's own (Xvfb, when it is installed), on a display
// number it picks itself: for what needs a real window system, a window
// manager's requests among them.
#pragma once

#include <string>

namespace corvane::test {

class TXvfbServer {
 public:
  TXvfbServer() = default;
  ~TXvfbServer() { Stop(); }
  TXvfbServer(const TXvfbServer&) = delete;
  TXvfbServer& operator=(const TXvfbServer&) = delete;

  // Starts a server with one screen of that geometry ("1280x1024x24");
  // false (with Error() saying why) when Xvfb is missing or did not start.
  bool Start(const char* screen);
  void Stop();
  bool Installed() const;
  bool Running() const { return pid_ > 0; }
  // ":n" while it runs.
  const std::string& Display() const { return display_; }
  const std::string& Error() const { return error_; }

 private:
  int pid_ = 0;
  std::string display_;
  std::string error_;
};

}  // namespace corvane::test
