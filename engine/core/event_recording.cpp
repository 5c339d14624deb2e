// Input recording and playback. A record file is a plain wide-string list:
// the engine time when recording began, then one line per input event
// queued, "time:text form of the event". Playing sets the engine clock to
// the recorded start and puts each recorded event into the queue, one per
// frame, once the clock has reached its time.
#include <cmath>
#include <memory>
#include <optional>

#include "base/lists/wide_string_list.h"
#include "base/streams/file_stream.h"
#include "base/streams/memory_stream.h"
#include "base/streams/resource_man.h"
#include "base/system/file_utils.h"
#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "engine/core/applet_services.h"
#include "engine/core/engine_services.h"
#include "engine/core/event.h"

namespace corvane {

namespace {

float EngineTime() { return RunningEngine() ? RunningEngine()->Time() : 0.0f; }

// A recorded time; nothing for a text that is no finite number.
std::optional<float> ParseTime(const std::u16string& text) {
  const std::optional<double> value = TryStrToDouble(NarrowLatin1(text));
  if (!value || !std::isfinite(*value)) return std::nullopt;
  return static_cast<float>(*value);
}

}  // namespace

void Event::recordEvent(const std::u16string& fileName) {
  EngineLog(u"Recording...");
  recording_ = true;
  recordFileName_ = fileName;
  recordList_->Clear();
  recordList_->Add(FloatToStr(EngineTime()));
}

void Event::RecordInput(const TLowEvent& event) {
  recordList_->Add(FloatToStr(EngineTime()) + u":" + EventToStr(event));
}

void Event::stop() {
  EngineLog(u"Stop recording...");
  if (recording_) SaveRecord();
  recording_ = false;
  playing_ = false;
}

void Event::SaveRecord() {
  TResourceMan* resMan = GetApplet() ? GetApplet()->ResMan() : nullptr;
  if (!resMan) return;
  const std::string name = Utf16ToUtf8(recordFileName_);
  // Create mode writes beside the file and puts the new one in its place
  // only on a clean close: a failed write leaves the old record as it was.
  TMemoryStream bytes;
  if (recordList_->SaveToStream(bytes)) StoreResource(*resMan, name, bytes.Memory(), bytes.Size());
}

void Event::playEvent(const std::u16string& fileName) {
  // The recording shares the list with the playback: it is ended and
  // written first, not lost.
  if (recording_) stop();
  EngineLog(u"Play...");
  TResourceMan* resMan = GetApplet() ? GetApplet()->ResMan() : nullptr;
  if (!resMan) return;
  const std::string name = Utf16ToUtf8(fileName);
  // No file, a folder or a FIFO in its place: said here; a file that is
  // there but cannot be opened is reported by the manager.
  if (!ResourceThere(*resMan, name, u"play")) return;
  const std::unique_ptr<TStream> stream = resMan->CreateStream(name, fmOpenRead);
  if (!stream) return;
  recordFileName_ = fileName;
  recordList_->Clear();
  // A file in any other form (plain text, say) is no recording: it says so
  // rather than playing nothing.
  if (!recordList_->LoadFromStream(*stream)) {
    EngineError(u"Bad record file " + fileName);
    return;
  }
  if (recordList_->Count() == 0) return;
  const std::optional<float> start = ParseTime(recordList_->Strings(0));
  recordList_->Delete(0);
  if (!start) {
    EngineError(u"Bad record file " + fileName);
    recordList_->Clear();
    return;
  }
  if (RunningEngine()) RunningEngine()->SetTime(*start);
  playStart_ = EngineTime();
  playButtons_ = {};
  playing_ = true;
}

void Event::PlaybackStep() {
  if (!playing_ || recordList_->Count() == 0) return;
  std::u16string text = recordList_->Strings(0);
  const std::optional<float> time = ParseTime(GetToken(text, u":"));
  // Once, in the first frame after playEvent: the main loop has moved the
  // clock on meanwhile.
  if (playStart_ > 0.0f) {
    if (RunningEngine()) RunningEngine()->SetTime(playStart_);
    playStart_ = -1.0f;
  }
  // A line whose time is no number is dropped; the playback goes on.
  if (time && *time > EngineTime()) return;
  recordList_->Delete(0);
  if (!time) return;
  // Straight into the queue: not recorded again, not dropped while the
  // applet is paused, and no end of a wait for input.
  bool shiftRead = false;
  std::unique_ptr<TLowEvent> event = StrToEvent(text, &shiftRead);
  if (!event) return;
  if (auto* mouse = dynamic_cast<TMouseEvent*>(event.get()); mouse && !shiftRead) FollowButtons(*mouse);
  Enqueue(std::move(event));
}

void Event::FollowButtons(TMouseEvent& mouse) {
  // A record written before the shift state was kept: the buttons held
  // are those pressed and not yet released in it, as the host reports
  // them with each press, move and release.
  const TShiftStateEnum held = mouse.Button == mbRight ? ssRight : ssLeft;
  if (mouse.EventType == evMouseDown && mouse.Button != mbNone) playButtons_.Include(held);
  mouse.Shift = playButtons_;
  if (mouse.EventType == evMouseUp && mouse.Button != mbNone) playButtons_.Exclude(held);
}

}  // namespace corvane
