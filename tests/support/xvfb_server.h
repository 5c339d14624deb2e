// An X server of a test's own (Xvfb), on a display number it picks itself,
// for the tests that need a real X server: windows, display modes, and
// input synthesised through it as a keyboard and mouse give it.
#pragma once

#include <sys/types.h>

#include <string>

namespace corvane::test {

class TXvfbServer {
 public:
  // Starts the server with that screen ("1280x1024x24") when Xvfb is
  // installed.
  explicit TXvfbServer(const char* screen);
  ~TXvfbServer();
  TXvfbServer(const TXvfbServer&) = delete;
  TXvfbServer& operator=(const TXvfbServer&) = delete;

  bool Installed() const { return installed_; }
  bool Running() const { return pid_ > 0; }
  // ":<number>"; empty when not running.
  const std::string& Display() const { return display_; }
  // Why an installed server is not running.
  const std::string& Error() const { return error_; }

 private:
  bool installed_ = false;
  pid_t pid_ = 0;
  std::string display_;
  std::string error_;
};

}  // namespace corvane::test
