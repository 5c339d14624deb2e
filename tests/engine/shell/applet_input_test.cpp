// A whole applet's input over time: a stretch of input recorded to a file
// and played back gives its handlers the same sequence again; and frames
// nested in a message box or a sleep while the window closes.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "base/geometry/point_rect_persistent.h"
#include "base/lists/wide_string_list.h"
#include "base/reflection/class_builder.h"
#include "base/text/text_convert.h"
#include "engine/core/event.h"
#include "engine/core/visual_object.h"
#include "engine/shell/applet.h"
#include "engine/shell/engine.h"
#include "gui/std_edit.h"
#include "gui/std_dropdown.h"
#include "gui/std_list.h"
#include "script/script_engine.h"
#include "tests/engine/shell/applet_files_kit.h"
#include "tests/support/kit/applet_world.h"
#include "tests/support/kit/null_platform.h"
#include "tests/support/kit/test_script_engine.h"

namespace corvane {
namespace {

using test::TAppletWorld;
using Lines = std::vector<std::string>;

Lines& Journal() {
  static Lines lines;
  return lines;
}

std::string Num(float value) { return std::to_string(static_cast<int>(value)); }

// The test script engine; a handler "note <what>" also notes the
// parameters that kind of handler reads.
class TJournalScripts : public test::TTestScriptEngine {
  CORVANE_CLASS(TJournalScripts, test::TTestScriptEngine)
  using TTestScriptEngine::TTestScriptEngine;
  bool CallScript(const std::u16string& text) override {
    auto* applet = dynamic_cast<Applet*>(Owner());
    Event* event = applet ? applet->GetEvent() : nullptr;
    if (!event || !text.starts_with(u"note ")) return TTestScriptEngine::CallScript(text);
    const std::string what = Utf16ToUtf8(text.substr(5));
    const TPointPersistent& p = *event->ParamPoint();
    const TPointPersistent& d = *event->ParamDelta();
    std::string line = what;
    if (what == "key") line += " " + std::to_string(event->paramKey);
    if (what != "key" && what != "wheel") line += " at " + Num(p.x) + "," + Num(p.y);
    if (what == "move" || what == "wheel") line += " by " + Num(d.x) + "," + Num(d.y);
    Journal().push_back(line);
    return true;
  }
};
CORVANE_IMPLEMENT_CLASS(TJournalScripts)

// A key listener noting every key and character it hears.
class TKeyProbe : public VisualObject {
  CORVANE_CLASS(TKeyProbe, VisualObject)
  using VisualObject::VisualObject;
  void KeyDown(std::uint16_t& key, char16_t& ch, TShiftState) override { Note("down", key, ch); }
  void KeyUp(std::uint16_t& key, char16_t& ch, TShiftState) override { Note("up", key, ch); }
  static void Note(const std::string& what, std::uint16_t key, char16_t ch) {
    Journal().push_back(what + " " + std::to_string(key) + " " + std::to_string(static_cast<int>(ch)));
  }
};
CORVANE_IMPLEMENT_CLASS(TKeyProbe)

// One piece of host input: its kind and its numbers (key and character;
// button, x, y for the mouse, then dx, dy for a move; the wheel's delta).
struct TInput {
  TLowEventType Type;
  int A = 0, B = 0, C = 0, D = 0, E = 0;
  TShiftState Shift = {};
};

// Frames of input as a host delivers it: each frame's pieces arrive together.
const std::vector<std::vector<TInput>> kFrames = {
    {{evKeyDown, 0, 'h'}, {evKeyUp, 0, 'h'}},
    {{evKeyDown, 37}, {evMouseDown, mbLeft, 120, 60, 0, 0, {ssShift, ssLeft}}},
    {{evMouseMove, 0, 130, 70, 10, 10, {ssLeft}}, {evMouseWheel, -120}, {evKeyUp, 37}},
    {},
    {{evMouseUp, mbLeft, 130, 70, 0, 0, {ssLeft}},
     {evMouseDown, mbRight, 5, 6, 0, 0, {ssRight}},
     {evMouseUp, mbRight, 5, 6, 0, 0, {ssRight}}},
};

const char kRecorder[] =
    "object Game: Applet\n"
    "  onKeyPress = 'note key'\n  onMouseDown = 'note down'\n  onMouseUp = 'note up'\n"
    "  onMouseMove = 'note move'\n  onMouseWheel = 'note wheel'\nend\n";

class AppletInput : public ::testing::Test {
 protected:
  void Launch(const std::string& mainObject) {
    ScriptEngineClass = TJournalScripts::StaticClass();
    Journal().clear();
    applet = world.Launch(mainObject);
    ASSERT_NE(applet, nullptr) << world.Text();
    event = applet->GetEvent();
    event->AddListner(Create<TKeyProbe>(TCreateContext(applet)));
    world.Steps(3);  // the clock moves off zero
  }
  void Send(const TInput& in) {
    TWindow* window = applet->Window();
    switch (in.Type) {
      case evKeyDown:
      case evKeyUp:
        event->AddEvent(std::make_unique<TKeyEvent>(in.Type, window, static_cast<std::uint16_t>(in.A),
                                                    static_cast<char16_t>(in.B), in.Shift));
        break;
      case evMouseWheel: event->AddEvent(std::make_unique<TWheelEvent>(in.Type, window, in.A, TShiftState{})); break;
      default:
        event->AddEvent(std::make_unique<TMouseEvent>(in.Type, window, static_cast<TMouseButton>(in.A), in.Shift,
                                                      in.B, in.C, in.D, in.E));
    }
  }
  // The frames of input, each delivered by the host while its frame runs.
  void Play(const std::vector<std::vector<TInput>>& frames) {
    for (const auto& frame : frames) {
      world.Platform().Inject([this, frame] {
        for (const TInput& in : frame) Send(in);
      });
      world.Steps(1);
    }
  }
  // Frames until the playback has put everything into the queue and the
  // queue is empty (at most 100).
  void Drain() {
    for (int i = 0; i < 100 && (event->RecordList().Count() > 0 || event->QueueCount() > 0); ++i) world.Steps(1);
    EXPECT_EQ(event->RecordList().Count(), 0);
    EXPECT_EQ(event->QueueCount(), 0);
  }
  // A record file's lines: a byte-order mark, then UTF-16 lines each ended
  // by CR LF.
  std::vector<std::u16string> RecordLines(const std::string& name) const {
    const std::string bytes = world.Bytes(name).value_or("");
    EXPECT_TRUE(bytes.starts_with("\xFF\xFE") && bytes.size() % 2 == 0) << name;
    return test::CrLfLines(test::Decipher(bytes.substr(std::min<std::size_t>(bytes.size(), 2)), 0));
  }
  // Files of the applet's folder whose name holds the text (temporaries
  // of a write included).
  int FilesNamedLike(const std::string& text) const {
    int n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(world.folder))
      n += entry.path().filename().string().find(text) != std::string::npos;
    return n;
  }
  void PutRecord(const std::string& name, const std::u16string& text) const {
    world.Put(name, "\xFF\xFE" + test::Cipher(text, 0));
  }

  TAppletWorld world;
  Applet* applet = nullptr;
  Event* event = nullptr;
};

TEST_F(AppletInput, APlaybackGivesTheHandlersTheRecordedSequenceAgain) {
  Launch(kRecorder);
  event->recordEvent(u"rec.txt");
  Play(kFrames);
  event->stop();
  const Lines recorded = Journal();
  ASSERT_EQ(recorded, (Lines{"down 0 104", "up 0 104", "key 104", "down 37 0", "down at 120,60", "move at 130,70 by 10,10",
                             "wheel by -120,-120", "up 37 0", "key 37", "up at 130,70", "down at 5,6", "up at 5,6"}));
  // The start time, then a line per input event in the order queued; the
  // wheel with its delta.
  std::vector<std::u16string> lines = RecordLines("rec.txt");
  ASSERT_EQ(lines.size(), 11u);
  EXPECT_FALSE(lines[0].empty());
  EXPECT_EQ(lines[0].find(u':'), std::u16string::npos);
  std::vector<std::u16string> events;
  for (std::size_t i = 1; i < lines.size(); ++i) events.push_back(lines[i].substr(lines[i].find(u':') + 1));
  EXPECT_EQ(events, (std::vector<std::u16string>{u"0,0,104,0,", u"1,0,104,0,", u"0,37,0,0,", u"2,1,120,60,0,0,9,",
                                                  u"4,0,130,70,10,10,8,", u"5,-120,0,", u"1,37,0,0,", u"3,1,130,70,0,0,8,",
                                                  u"2,2,5,6,0,0,16,", u"3,2,5,6,0,0,16,"}));
  EXPECT_EQ(FilesNamedLike("rec.txt"), 1);  // no temporary left beside it

  // The playback: the same handlers with the same keys, characters,
  // positions and wheel turns, in the same order.
  Journal().clear();
  event->playEvent(u"rec.txt");
  EXPECT_TRUE(event->Playing());
  Drain();
  EXPECT_EQ(Journal(), recorded);
  // Played input is not recorded again, nor the file touched.
  event->stop();
  EXPECT_FALSE(event->Playing());
  EXPECT_EQ(RecordLines("rec.txt"), lines);

  // A second recording replaces the file as a whole.
  event->recordEvent(u"rec.txt");
  Play({{{evKeyDown, 13}}});
  event->stop();
  lines = RecordLines("rec.txt");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(lines[1].ends_with(u":0,13,0,0,"));
  EXPECT_EQ(FilesNamedLike("rec.txt"), 1);
}

TEST_F(AppletInput, PlayingDuringARecordingStoresTheRecordingFirst) {
  Launch(kRecorder);
  event->recordEvent(u"rec.txt");
  Play({kFrames[0]});
  event->stop();
  event->recordEvent(u"live.txt");
  Play({{{evKeyDown, 40}}, {{evKeyUp, 40}}});
  Journal().clear();
  event->playEvent(u"rec.txt");
  EXPECT_FALSE(event->Recording());
  EXPECT_TRUE(event->Playing());
  EXPECT_EQ(event->RecordFileName(), u"rec.txt");
  const std::vector<std::u16string> live = RecordLines("live.txt");
  ASSERT_EQ(live.size(), 3u);
  EXPECT_TRUE(live[1].ends_with(u":0,40,0,0,"));
  EXPECT_TRUE(live[2].ends_with(u":1,40,0,0,"));
  Drain();
  EXPECT_EQ(Journal(), (Lines{"down 0 104", "up 0 104", "key 104"}));
  // Ending the playback writes nothing.
  event->stop();
  EXPECT_EQ(RecordLines("live.txt"), live);
  EXPECT_EQ(RecordLines("rec.txt").size(), 3u);
}

// What widgets read of the buttons and modifiers held comes back with a
// playback: a click selects a list's row (a list follows the pointer while
// the left button is held) and Shift+Left selects in an edit. A record
// written before records kept that state replays its clicks with the
// buttons its own presses hold.
TEST_F(AppletInput, AReplayedClickSelectsARowAndShiftSelectsAsTheyDidLive) {
  Launch(
      "object Game: Applet\n"
      "  object rows: TStdList\n    x = 10\n    y = 100\n    width = 200\n    height = 100\n"
      "    itemHeight = 20\n  end\n"
      "  object name: TStdEdit\n    x = 10\n    y = 10\n    width = 200\n    height = 30\n"
      "    text = 'Player'\n  end\nend\n");
  auto* list = dynamic_cast<TStdList*>(applet->findByName(u"rows"));
  auto* edit = dynamic_cast<TStdEdit*>(applet->findByName(u"name"));
  ASSERT_NE(list, nullptr);
  ASSERT_NE(edit, nullptr);
  for (const char16_t* row : {u"one", u"two", u"three"}) list->Items()->Add(row);
  // The third row clicked; the edit clicked and Shift+Left twice.
  const std::vector<std::vector<TInput>> input = {{{evMouseMove, 0, 50, 150}},
                                                  {{evMouseDown, mbLeft, 50, 150, 0, 0, {ssLeft}}},
                                                  {{evMouseUp, mbLeft, 50, 150, 0, 0, {ssLeft}}},
                                                  {{evMouseMove, 0, 190, 25}},
                                                  {{evMouseDown, mbLeft, 190, 25, 0, 0, {ssLeft}}},
                                                  {{evMouseUp, mbLeft, 190, 25, 0, 0, {ssLeft}}},
                                                  {{evKeyDown, 37, 0, 0, 0, 0, {ssShift}}},
                                                  {{evKeyUp, 37, 0, 0, 0, 0, {ssShift}}},
                                                  {{evKeyDown, 37, 0, 0, 0, 0, {ssShift}}},
                                                  {{evKeyUp, 37, 0, 0, 0, 0, {ssShift}}}};
  event->recordEvent(u"live.txt");
  Play(input);
  event->stop();
  auto state = [&] { return std::make_tuple(list->ItemIndex(), edit->SelStart(), edit->SelEnd()); };
  const auto live = state();
  ASSERT_EQ(live, std::make_tuple(2, 6, 4));
  auto reset = [&] {
    list->SetItemIndex(-1);
    edit->ClearSelection();
  };
  reset();
  event->playEvent(u"live.txt");
  Drain();
  event->stop();
  EXPECT_EQ(state(), live);

  // The list's click from an older record, without the state, and a
  // wheel of that record, only its kind, which plays as nothing.
  PutRecord("old.txt", u"0\r\n0:4,0,50,150,0,0,\r\n0:5,\r\n0:2,1,50,150,0,0,\r\n0:3,1,50,150,0,0,\r\n");
  reset();
  event->playEvent(u"old.txt");
  Drain();
  event->stop();
  EXPECT_EQ(list->ItemIndex(), 2);
}

TEST_F(AppletInput, ARecordFileWithABadStartTimeOrInPlainTextPlaysNothing) {
  Launch(kRecorder);
  for (const std::u16string start : {u"soon", u"", u"nan", u"inf", u"1.5.2", u"plain"}) {
    SCOPED_TRACE(Utf16ToUtf8(start));
    const std::u16string lines = u"\r\n0:0,0,104,\r\n0:1,0,104,\r\n";
    if (start == u"plain") world.Put("bad.txt", "0" + Utf16ToUtf8(lines));
    else PutRecord("bad.txt", start + lines);
    const int before = world.CountError("Bad record file bad.txt");
    Journal().clear();
    event->playEvent(u"bad.txt");
    EXPECT_EQ(world.CountError("Bad record file bad.txt"), before + 1);
    EXPECT_FALSE(event->Playing());
    world.Steps(5);
    EXPECT_TRUE(Journal().empty());
    EXPECT_EQ(event->QueueCount(), 0);
  }
}

// Waits a handler runs while the window is closed under it.
struct TWaitCase {
  const char* Name;
  const char* Handler;
};

TEST(AppletInputWaits, ClosingTheWindowDuringAWaitEndsItAndTheOutermostFrameFreesTheApplet) {
  for (const TWaitCase& c : {TWaitCase{"message box", "call showMessage Bye"}, TWaitCase{"sleep", "call sleep 30"}}) {
    SCOPED_TRACE(c.Name);
    TAppletWorld world;
    ScriptEngineClass = TJournalScripts::StaticClass();
    Applet* applet = world.Launch(std::string("object Game: Applet\n  onKeyPress = '") + c.Handler +
                                  "; log wait over; set title Over'\nend\n");
    ASSERT_NE(applet, nullptr) << world.Text();
    EXPECT_FALSE(world.Exists("main.prefs"));
    TWeak<Applet> alive(applet);
    Event* event = applet->GetEvent();
    world.Platform().SetStep(0.05f);
    // The key starts the wait; a few frames later the host closes the window.
    world.Platform().Inject([&] {
      event->AddEvent(std::make_unique<TKeyEvent>(evKeyUp, applet->Window(), 13, u'\0', TShiftState{}));
    });
    for (int i = 0; i < 3; ++i) world.Platform().Inject([] {});
    world.Platform().Inject([&] {
      event->AddEvent(std::make_unique<TActionEvent>(evActionEvent, applet->Window(), aeCloseWindow));
    });
    const float start = world.engine->Time();
    world.engine->RunStep();
    // The wait ended with the close, and the handler went on with its
    // applet still whole; the frame around it then freed the applet.
    EXPECT_EQ(world.Platform().Pending(), 0u);
    EXPECT_LT(world.engine->Time() - start, 5.0f);
    EXPECT_EQ(world.CountInfo("wait over"), 1);
    EXPECT_EQ(world.CountError("no current object for set title Over"), 0);
    EXPECT_FALSE(alive.Get());
    EXPECT_EQ(world.engine->count(), 0);
    EXPECT_LT(world.Platform().PeekCount(), 20);
    EXPECT_TRUE(world.Exists("main.prefs"));
  }
}

TEST_F(AppletInput, ASleepWhileTheAppletIsHiddenStillEndsAfterItsTime) {
  Launch("object Game: Applet\nend\n");
  applet->hide();
  ASSERT_FALSE(applet->isVisible());
  world.Platform().SetStep(0.01f);
  // Should the sleep never end, the host closes the window after 300 frames.
  for (int i = 0; i < 300; ++i) world.Platform().Inject([] {});
  world.Platform().Inject([this] {
    event->AddEvent(std::make_unique<TActionEvent>(evActionEvent, applet->Window(), aeCloseWindow));
  });
  TWeak<Applet> alive(applet);
  const float start = world.engine->Time();
  applet->sleep(0.5f);
  ASSERT_TRUE(alive.Get());
  EXPECT_FALSE(applet->Terminated());
  EXPECT_GE(world.engine->Time() - start, 0.45f);
  EXPECT_LT(world.engine->Time() - start, 1.0f);
  EXPECT_GT(world.Platform().Pending(), 200u);
}

}  // namespace
}  // namespace corvane
