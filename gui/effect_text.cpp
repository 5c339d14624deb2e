#include "gui/effect_text.h"

#include <algorithm>
#include <vector>

#include "base/reflection/class_builder.h"
#include "base/streams/memory_stream.h"
#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "engine/core/applet_services.h"
#include "engine/core/close_request.h"
#include "engine/core/effect.h"
#include "gui/static_text.h"
#include "platform/device.h"
#include "resources/cache/object_storage.h"
#include "scene/font_persistent.h"

namespace corvane {

std::int32_t MaxEffectTextCharacters = kDefaultMaxEffectTextCharacters;

CORVANE_IMPLEMENT_CLASS(EffectText)

namespace {
constexpr float kCharacterDelay = 0.08f;
// The characters every live effect text of the program has built.
std::int64_t gBuiltCharacters = 0;
// The fitting width the text is measured with.
constexpr float kMeasureLimit = 65535;
}  // namespace

void EffectText::Describe(TClassBuilder<EffectText>& c) {
  c.Property("font", &EffectText::Font);
  c.Property("text", &EffectText::Text, &EffectText::SetText);
}

EffectText::EffectText(const TCreateContext& context) : GuiObject(context) { SetSkipOwnEffects(true); }

void EffectText::Loaded() {
  PositionObject::Loaded();
  Rebuild();
}

void EffectText::BeforeDestruction() {
  gBuiltCharacters -= built_;
  built_ = 0;
  GuiObject::BeforeDestruction();
}

void EffectText::SetText(const std::u16string& value) {
  GuiObject::SetText(value);
  Rebuild();
}

void EffectText::Rebuild() {
  // Freeing a character may run script (its effects' handlers among them)
  // that frees this object or sets the text again: each step re-checks.
  TWeak<EffectText> self(this);
  std::vector<TWeak<BaseObject>> old;
  for (BaseObject* child : ChildList())
    if (dynamic_cast<GuiObject*>(child)) old.emplace_back(child);
  for (auto it = old.rbegin(); it != old.rend(); ++it) {
    if (BaseObject* child = it->Get()) child->Free();
    if (!self.Get()) return;
  }
  std::vector<TWeak<Effect>> templates;
  for (BaseObject* child : ChildList())
    if (auto* effect = dynamic_cast<Effect*>(child)) templates.emplace_back(effect);

  TAppletServices* applet = GetApplet();
  TDevice* device = applet ? applet->Device() : nullptr;
  std::u16string text = Text();
  gBuiltCharacters -= built_;
  const std::size_t most =
      static_cast<std::size_t>(std::max<std::int64_t>(MaxEffectTextCharacters - gBuiltCharacters, 0));
  if (text.size() > most) {
    // Said again only when the cut changes: a text rebuilt as it was is not.
    const std::pair<std::size_t, std::size_t> cut{most, text.size()};
    if (cut != reportedCut_)
      EngineError(u"EffectText " + Name() + u": only the first " + IntToStr(static_cast<std::int64_t>(most)) +
                  u" of its " + IntToStr(static_cast<std::int64_t>(text.size())) + u" characters are built");
    reportedCut_ = cut;
    text.resize(most);
  }
  built_ = static_cast<std::int32_t>(text.size());
  gBuiltCharacters += built_;
  // Each character stands where the text before it ends: every prefix
  // measured in one pass, not each measured anew.
  std::vector<float> widths;
  if (device) device->MeasurePrefixWidths(EngineFont(), text, kMeasureLimit, widths);
  // Laid out once when the last character is in, not once per character.
  const TChildBatch batch(*this);
  for (std::size_t i = 1; i <= text.size(); ++i) {
    // A long text is built between two frames: a close request ends it.
    if (CloseRequestHeard()) return;
    auto* character = Create<StaticText>(TCreateContext(this));
    character->Font()->Assign(Font());
    character->SetText(text.substr(i - 1, 1));
    if (i > 1 && device) character->SetX(widths[i - 1]);
    TWeak<StaticText> alive(character);
    for (const TWeak<Effect>& source : templates) {
      Effect* effect = source.Get();
      if (!effect || !alive.Get()) continue;
      TMemoryStream stream;
      if (!SaveObjectToStream(stream, effect)) continue;
      stream.SetPosition(0);
      if (auto* copy = dynamic_cast<Effect*>(
              LoadObjectFromStream(applet ? applet->ResMan() : nullptr, stream, character)))
        copy->SetShiftTime(static_cast<float>(i) * kCharacterDelay);
    }
    if (!self.Get()) return;
  }
}

}  // namespace corvane
