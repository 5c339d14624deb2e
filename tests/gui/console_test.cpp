// The console driven through the event queue while its modal loop runs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/lists/wide_string_list.h"
#include "base/system/log_target.h"
#include "base/text/text_convert.h"
#include "gui/console.h"
#include "scene/font_persistent.h"
#include "tests/support/kit/null_platform.h"
#include "tests/support/kit/test_sys_font.h"
#include "tests/support/kit/widget_world.h"

namespace corvane {
namespace {

using test::TTestSysFont;
using test::TWidgetWorld;

constexpr std::uint16_t kReturn = 13;
constexpr std::uint16_t kUp = 38;
constexpr std::uint16_t kDown = 40;

TEST(Console, CommandsRunAndTheHistoryWalksWithUpAndDown) {
  TWidgetWorld w;
  ASSERT_TRUE(w.Launch("  consoleEnabled = True\n")) << w.world.Text();
  w.world.Platform().SetStep(0.05f);
  auto& host = w.world.Platform();
  // The console fades in first.
  for (int i = 0; i < 30; ++i) host.Inject([] {});
  const auto type = [&](const std::u16string& text) {
    host.Inject([&w, text] { w.QueueType(text); });
    host.Inject([&w] { w.QueueKey(kReturn); });
  };
  std::vector<std::u16string> seen;
  std::vector<std::int32_t> history;
  const auto key = [&](std::uint16_t k) {
    host.Inject([&w, k] { w.QueueKey(k); });
    host.Inject([&] {
      auto* console = dynamic_cast<TConsole*>(w.applet->Console());
      seen.push_back(console ? console->Edit()->Text() : u"?");
    });
  };
  type(u"log a");
  type(u"b");
  type(u"c");
  for (int i = 0; i < 3; ++i) key(kUp);
  for (int i = 0; i < 3; ++i) key(kDown);
  host.Inject([&w] { w.QueueKey(kReturn); });  // an empty line
  host.Inject([&w] { w.QueueType(u"`"); });
  w.Type(u"`");

  EXPECT_EQ(w.Count("a"), 1) << w.world.Text();
  EXPECT_EQ(seen, (std::vector<std::u16string>{u"b", u"log a", u"log a", u"b", u"c", u""}));
  auto* console = dynamic_cast<TConsole*>(w.applet->Console());
  ASSERT_NE(console, nullptr);
  EXPECT_FALSE(console->Visible());
  ASSERT_EQ(console->History()->GetCount(), 4);
  EXPECT_EQ(console->History()->Get(3), u"");
  EXPECT_EQ(console->Edit()->HistoryIndex(), 3);
}

TEST(Console, PaintsTheNewestLinesThatFitOldestOnTop) {
  TWidgetWorld w;
  ASSERT_TRUE(w.Launch("  object console: TConsole\n    width = 300\n    height = 200\n  end\n")) << w.world.Text();
  auto* console = w.Find<TConsole>(u"console");
  console->Font()->SetSize(16);
  for (int i = 0; i < 30; ++i) EngineLog(u"line " + std::u16string(1, static_cast<char16_t>(u'A' + i)));
  TLogTarget& log = LogTarget();
  const std::int32_t count = log.LineCount();
  ASSERT_GE(count, 30);
  TTestSysFont::Journal().clear();
  w.Paint();
  std::vector<std::string> drawn;
  for (const std::string& line : TTestSysFont::Journal())
    if (line.find("line ") != std::string::npos) drawn.push_back(line.substr(line.find("line ")));
  // 200 / 16 = 12 rows, the last under the input line: 11 lines.
  std::vector<std::string> expected;
  for (std::int32_t j = count - 11; j < count; ++j) {
    const std::string text = log.Line(j);
    expected.push_back(text.substr(text.find("line ")));
  }
  EXPECT_EQ(drawn, expected);

  // A font of no size shows the background alone.
  console->Font()->SetSize(0);
  TTestSysFont::Journal().clear();
  w.Paint();
  for (const std::string& line : TTestSysFont::Journal()) EXPECT_EQ(line.find("line "), std::string::npos) << line;
}

}  // namespace
}  // namespace corvane
