#include "tests/support/kit/null_platform.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/reflection/class_builder.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "platform/window.h"
#include "platform/window_host.h"

namespace corvane::test {

CORVANE_IMPLEMENT_CLASS(TNullPlatform)

void TNullPlatform::PeekHandler() {
  if (++peeks_ > kFrameLimit) {
    // The loop asking for frames would ask forever; no frame can end it
    // from here, so end the process with the reason.
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    ADD_FAILURE() << (test ? std::string(test->test_suite_name()) + "." + test->name() + ": " : std::string())
                  << "more than " << kFrameLimit << " host frames: a wait or loop that should have ended did not";
    std::fflush(nullptr);
    std::abort();
  }
  if (pending_.empty()) return;
  std::function<void()> next = std::move(pending_.front());
  pending_.pop_front();
  next();
}

double TNullPlatform::GetCurrentTime() {
  const double t = now_;
  now_ += step_;
  return t;
}

void TNullPlatform::Sleep(std::int32_t milliseconds) {
  sleeps_.push_back(milliseconds);
  now_ += static_cast<double>(milliseconds) / 1000.0;
}

namespace {

std::string Num(std::int64_t value) { return IntToStr8(value); }

}  // namespace

TWindow* TNullPlatform::CreateWindow(TWindowHost* root, const std::string& className, std::int32_t left,
                                     std::int32_t top, std::int32_t width, std::int32_t height,
                                     TWindowStyle style) {
  WindowCalls.push_back("CreateWindow " + className + " " + Num(left) + " " + Num(top) + " " + Num(width) + " " +
                        Num(height) + " " + Num(style));
  if (FailWindows) return nullptr;
  if (WindowLimit.Width > 0 || WindowLimit.Height > 0) BoundWindowSize(width, height, WindowLimit);
  auto* window = Create<TWindow>(TCreateContext(root ? root->HostObject() : nullptr));
  window->Root = root;
  window->Left = left;
  window->Top = top;
  window->SetClientSize(width, height);
  window->BufferWidth = width;
  window->BufferHeight = height;
  window->Style = style;
  return window;
}

void TNullPlatform::DestroyWindow(TWindow* window) {
  WindowCalls.push_back("DestroyWindow");
  if (!window) return;
  window->Free();
}

void TNullPlatform::ApplyWindowStyle(TWindow* window) {
  WindowCalls.push_back("ApplyWindowStyle " + Num(window ? window->Style : 0));
}

void TNullPlatform::ShowWindow(TWindow*) { WindowCalls.push_back("ShowWindow"); }

void TNullPlatform::ResizeWindow(TWindow* window, std::int32_t width, std::int32_t height) {
  WindowCalls.push_back("ResizeWindow " + Num(width) + " " + Num(height));
  if (!window || (width == -1 && height == -1)) return;
  if (width > 0 && (WindowLimit.Width > 0 || WindowLimit.Height > 0)) BoundWindowSize(width, height, WindowLimit);
  window->SetClientSize(width, height);
}

void TNullPlatform::ReposWindow(TWindow* window, std::int32_t left, std::int32_t top) {
  WindowCalls.push_back("ReposWindow " + Num(left) + " " + Num(top));
  if (!window) return;
  window->Left = left;
  window->Top = top;
}

void TNullPlatform::SetIcon(TWindow*, const std::string& fileName) { WindowCalls.push_back("SetIcon " + fileName); }

void TNullPlatform::UpdateWindowState(TWindow* window) {
  WindowCalls.push_back("UpdateWindowState " + (window ? Utf16ToUtf8(window->Caption) : std::string()));
}

void TNullPlatform::UpdateWindow(TWindow*, float width, float height) {
  WindowCalls.push_back("UpdateWindow " + Num(static_cast<std::int64_t>(width)) + " " +
                        Num(static_cast<std::int64_t>(height)));
}

void TNullPlatform::MakePng(TWindow*, TResourceMan&, const std::string& fileName) {
  WindowCalls.push_back("MakePng " + fileName);
}

int TNullPlatform::CountWindowCalls(std::string_view prefix) const {
  int n = 0;
  for (const std::string& call : WindowCalls)
    if (std::string_view(call).substr(0, prefix.size()) == prefix) ++n;
  return n;
}

}  // namespace corvane::test
