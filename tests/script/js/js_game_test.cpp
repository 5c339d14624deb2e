// A whole game made of an object file and a script: the script moves the
// player on the keys a recording plays back, and tells the log when the
// goal is reached.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/lists/wide_string_list.h"
#include "engine/core/event.h"

#include "base/reflection/class_registry.h"
#include "scene/box.h"
#include "tests/script/js/js_world.h"

namespace corvane {
namespace {

constexpr const char* kMain = R"(object Game: Applet
  onKeyPress = 'press()'
  object player: Box
  end
  object goal: Box
    x = 3
  end
end
)";

constexpr const char* kScript = R"(var presses = 0;
var won = false;
function press() {
  presses++;
  if (event.paramKey == VK_RIGHT) player.x += 1;
  if (event.paramKey == VK_LEFT) player.x -= 1;
  if (!won && player.x >= goal.x) {
    won = true;
    engine.log("won after " + presses + " presses");
  }
}
event.playEvent("input.rec");
)";

// Key ups: right, left, right, right, right, as the engine writes them.
void WriteRecording(const std::string& path) {
  TOwned<TWideStringList> lines(Create<TWideStringList>());
  for (const char16_t* line : {u"0", u"0.1:1,39,0,", u"0.2:1,37,0,", u"0.3:1,39,0,", u"0.4:1,39,0,", u"0.5:1,39,0,"})
    lines->Add(line);
  ASSERT_TRUE(lines->SaveToFile(path));
}

TEST(JsGameTest, ARecordedGameReachesItsGoal) {
  test::TJsWorld world;
  RegisterClasses({Box::StaticClass()});
  world.Put("main.js", kScript);
  WriteRecording(world.PathOf("input.rec"));
  const std::size_t mark = world.Mark();
  Applet* applet = world.Start(kMain);
  ASSERT_NE(applet, nullptr);
  EXPECT_TRUE(applet->GetEvent()->Playing());
  world.Steps(20, 0.1f);
  const std::vector<std::string> lines = world.MessagesSince(mark);
  EXPECT_NE(std::find(lines.begin(), lines.end(), "(i) won after 5 presses"), lines.end()) << world.Text();
  EXPECT_TRUE(world.ErrorsSince(mark).empty()) << world.ErrorsSince(mark)[0];
  EXPECT_EQ(world.Js()->GetVarValue(u"presses"), u"5");
}

}  // namespace
}  // namespace corvane
