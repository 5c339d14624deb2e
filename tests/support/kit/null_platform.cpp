#include "tests/support/kit/null_platform.h"

#include "base/class_builder.h"

namespace corvane::test {

CORVANE_IMPLEMENT_CLASS(TNullPlatform)

void TNullPlatform::PeekHandler() {
  ++peeks_;
  if (pending_.empty()) return;
  std::function<void()> next = std::move(pending_.front());
  pending_.pop_front();
  next();
}

float TNullPlatform::GetCurrentTime() {
  const float t = now_;
  now_ += step_;
  return t;
}

void TNullPlatform::Sleep(std::int32_t milliseconds) {
  sleeps_.push_back(milliseconds);
  now_ += static_cast<float>(milliseconds) / 1000.0f;
}

}  // namespace corvane::test
