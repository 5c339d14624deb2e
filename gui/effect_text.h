// EffectText: its text as one StaticText a character, each with its own
// copy of the effects placed under the EffectText, started 0.08 seconds
// after the previous character's, so that an animation runs along the
// text letter by letter. The effects under it are templates only: its own
// effect look-ups skip them.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "gui/gui_object.h"

namespace corvane {

// The most characters the program's effect texts build together
// ("-maxeffecttext=N"): each is an object with its own effects, ticked and
// painted every frame, so a text of a hundred thousand, or many texts or
// nested applets' texts of ten thousand each, would hold every frame for
// seconds. A title needs far fewer; the rest of a longer text is left out.
inline constexpr std::int32_t kDefaultMaxEffectTextCharacters = 10000;
extern std::int32_t MaxEffectTextCharacters;

class EffectText : public GuiObject {
  CORVANE_CLASS(EffectText, GuiObject)
  static void Describe(TClassBuilder<EffectText>& c);
  explicit EffectText(const TCreateContext& context);

  void Loaded() override;
  // Gives its characters' share of the budget back.
  void BeforeDestruction() override;
  // Stores the text and builds the characters again.
  void SetText(const std::u16string& value) override;
  // Frees every widget child (the previous characters), then makes one
  // character a letter with the templates' copies, as far as the budget
  // MaxEffectTextCharacters leaves room beside the other effect texts' (an
  // error line says when more were left out).
  void Rebuild();

 private:
  // The characters of the last build, counted against the budget, and the
  // last cut reported (characters built, of how many).
  std::int32_t built_ = 0;
  std::pair<std::size_t, std::size_t> reportedCut_{0, 0};
};

}  // namespace corvane
