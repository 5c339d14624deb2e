#include "base/system/stop_question.h"

#include <utility>

namespace corvane {

namespace {

TStopQuestion gQuestion = nullptr;

}  // namespace

TStopQuestion SetStopQuestion(TStopQuestion question) { return std::exchange(gQuestion, question); }

bool StopAsked() { return gQuestion && gQuestion(); }

}  // namespace corvane
