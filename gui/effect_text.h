// EffectText: its text as one StaticText a character, each with its own
// copy of the effects placed under the EffectText, started 0.08 seconds
// after the previous character's, so that an animation runs along the
// text letter by letter. The effects under it are templates only: its own
// effect look-ups skip them.
#pragma once

#include <cstdint>
#include <string>

#include "gui/gui_object.h"

namespace corvane {

// The most characters an effect text builds ("-maxeffecttext=N"): each is
// an object with its own effects, ticked and painted every frame, so an
// applet's text of a hundred thousand would hold every frame for seconds.
// A title needs far fewer; the rest of a longer text is left out.
inline constexpr std::int32_t kDefaultMaxEffectTextCharacters = 10000;
extern std::int32_t MaxEffectTextCharacters;

class EffectText : public GuiObject {
  CORVANE_CLASS(EffectText, GuiObject)
  static void Describe(TClassBuilder<EffectText>& c);
  explicit EffectText(const TCreateContext& context);

  void Loaded() override;
  // Stores the text and builds the characters again.
  void SetText(const std::u16string& value) override;
  // Frees every widget child (the previous characters), then makes one
  // character a letter with the templates' copies, up to
  // MaxEffectTextCharacters (an error line says when more were left out).
  void Rebuild();
};

}  // namespace corvane
