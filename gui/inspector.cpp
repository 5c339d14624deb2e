#include "gui/inspector.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "base/geometry/rect_math.h"
#include "base/lists/wide_string_list.h"
#include "base/reflection/class_builder.h"
#include "base/reflection/component.h"
#include "base/reflection/prop_access.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "engine/core/applet_services.h"
#include "engine/core/container.h"
#include "engine/core/engine_services.h"
#include "gui/std_dropdown.h"
#include "gui/std_edit.h"
#include "gui/std_list.h"
#include "platform/device.h"
#include "scene/font_persistent.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(Inspector)

namespace {

// A property graph is never walked deeper than this.
constexpr int kMaxDepth = 16;
constexpr std::uint32_t kCurrentRowColor = 0x660000FF;

// The row's name: the part before "=".
std::u16string RowName(const std::u16string& row) { return row.substr(0, row.find(u'=')); }

// The row's value: the part after the first "=".
std::u16string RowValue(const std::u16string& row) {
  const std::size_t at = row.find(u'=');
  return at == std::u16string::npos ? std::u16string() : row.substr(at + 1);
}

bool BeginsWithParen(const std::u16string& text) { return !text.empty() && text.front() == u'('; }

}  // namespace

void Inspector::Describe(TClassBuilder<Inspector>& c) {
  c.Property("root", &Inspector::Root, &Inspector::SetRoot);
  c.Property("rootByName", &Inspector::RootByName, &Inspector::SetRootByName);
  // The rows are built, never streamed.
  c.Property("items", &Inspector::Items, &Inspector::SetItems).Stored(false);
  c.Method("rebuild", &Inspector::rebuild);
}

Inspector::Inspector(const TCreateContext& context) : List(context) {
  if (TEngineServices* engine = RunningEngine())
    engine->SetDesignSelectHook(this, [this](BaseObject* selected) { DoCustomSetFocused(selected); });
}

void Inspector::BeforeDestruction() {
  // A later design selection must not reach a freed inspector.
  if (TEngineServices* engine = RunningEngine()) engine->ClearDesignSelectHook(this);
  List::BeforeDestruction();
}

void Inspector::SetRoot(BaseObject* value) {
  if (value == root_) return;
  if (value) ReceiveFreeNotices();
  root_ = value;
  RebuildList();
}

std::u16string Inspector::RootByName() const { return root_ ? root_->Name() : std::u16string(); }

void Inspector::SetRootByName(const std::u16string& name) {
  Container* applet = AppletObjectOf(this);
  SetRoot(applet ? applet->findByName(name) : nullptr);
}

TObject* Inspector::RowObject(std::int32_t index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= rowObjects_.size()) return nullptr;
  return rowObjects_[static_cast<std::size_t>(index)].Get();
}

void Inspector::RebuildList() {
  if (!root_) return;
  builtFrom_ = root_;
  Items()->Clear();
  rowObjects_.clear();
  std::vector<const TObject*> visited;
  AddObject(root_, 0, visited);
  repaint();
}

void Inspector::AddRow(const std::string& name, const std::u16string& value, TObject* object) {
  Items()->AddObject(Utf8ToUtf16(name) + u"=" + value, object);
  rowObjects_.emplace_back(object);
}

void Inspector::AddObject(TObject* object, int depth, std::vector<const TObject*>& visited) {
  visited.push_back(object);
  for (const TPropInfo* prop : object->ClassType()->Properties()) {
    if (!prop->CanRead() || !IsStoredProp(*object, *prop)) continue;
    const TTypeInfo& type = *prop->PropType();
    std::u16string value;
    TObject* sub = nullptr;
    try {
      switch (prop->Kind()) {
        case pkInteger:
        case pkBool: value = IntToStr(GetOrdProp(*object, *prop)); break;
        case pkEnumeration: value = Utf8ToUtf16(type.EnumName(GetOrdProp(*object, *prop))); break;
        case pkFloat: value = FloatToStr(static_cast<float>(GetFloatProp(*object, *prop))); break;
        // 8-bit strings hold UTF-8.
        case pkString: value = Utf8ToUtf16(prop->Access().GetStr(*object)); break;
        case pkWString: value = prop->Access().GetWStr(*object); break;
        case pkMethod: continue;
        case pkClass:
          sub = GetObjectProp(*object, *prop);
          if (!sub) continue;
          if (auto* component = dynamic_cast<TGComponent*>(sub)) {
            value = component->Name();
            sub = nullptr;
          } else {
            value = u"(" + Utf8ToUtf16(sub->ClassName()) + u")";
          }
          break;
        default: break;  // read as text, these kinds give none
      }
    } catch (const std::exception&) {
      // A getter that fails shows an empty value.
      value.clear();
      sub = nullptr;
    }
    AddRow(prop->Name(), value, object);
    if (!sub || depth + 1 >= kMaxDepth) continue;
    if (std::find(visited.begin(), visited.end(), sub) != visited.end()) continue;
    AddObject(sub, depth + 1, visited);
  }
}

bool Inspector::CurrentProperty(TObject*& object, const TPropInfo*& prop) const {
  const std::int32_t index = ItemIndex();
  object = RowObject(index);
  if (!object) return false;
  const std::string name = Utf16ToUtf8(RowName(Items()->Get(index)));
  prop = GetPropInfo(*object, name);
  return prop != nullptr;
}

void Inspector::FreeEditor() {
  GuiObject* editor = editor_.Get();
  editor_.Reset();
  if (editor) editor->Free();
}

void Inspector::RebuildEdit() {
  if (!root_) return;
  FreeEditor();
  // The rows may have shrunk under a current row.
  if (ItemIndex() < 0 || ItemIndex() >= Items()->GetCount()) return;
  TObject* object = nullptr;
  const TPropInfo* prop = nullptr;
  if (!CurrentProperty(object, prop)) return;
  if (BeginsWithParen(RowValue(Items()->Get(ItemIndex())))) return;
  const TTypeInfo& type = *prop->PropType();
  GuiObject* editor = nullptr;
  try {
    switch (prop->Kind()) {
      case pkEnumeration: {
        auto* dropdown = Create<TStdDropdown>(TCreateContext(this));
        editor = dropdown;
        for (std::int64_t v = type.MinValue(); v <= type.MaxValue(); ++v)
          dropdown->Items()->Add(Utf8ToUtf16(type.EnumName(v)));
        dropdown->SetText(Utf8ToUtf16(type.EnumName(GetOrdProp(*object, *prop))));
        dropdown->SetOnChange([this](TObject* sender) { DoDropdownChange(sender); });
        break;
      }
      case pkClass: return;
      default: {
        auto* edit = Create<TStdEdit>(TCreateContext(this));
        editor = edit;
        if (prop->Kind() == pkWString)
          edit->SetText(prop->Access().GetWStr(*object));
        else if (prop->Kind() == pkString)
          edit->SetText(Utf8ToUtf16(prop->Access().GetStr(*object)));
        else
          edit->SetText(GetPropValue(*object, *prop).AsWideString());
        edit->OnEnter = [this](TObject* sender) { DoEditChange(sender); };
        break;
      }
    }
  } catch (const std::exception&) {
    // A value with no text form still gets its editor, empty.
  }
  if (!editor) return;
  editor_ = editor;
  const TRect r = GetItemRect(ItemIndex());
  editor->SetBoundsRect({std::trunc((r.right - r.left) / 2), r.top, r.right, r.bottom});
}

void Inspector::DoEditChange(TObject* sender) {
  auto* edit = dynamic_cast<TStdEdit*>(sender);
  TObject* object = nullptr;
  const TPropInfo* prop = nullptr;
  if (!edit || !CurrentProperty(object, prop)) return;
  const std::u16string text = edit->Text();
  TWeak<Inspector> self(this);
  try {
    if (prop->Kind() == pkString && prop->CanWrite())
      prop->Access().SetStr(*object, Utf16ToUtf8(text));
    else
      SetPropValue(*object, *prop, Variant(text));
  } catch (const std::exception&) {
    // A value the property cannot take leaves it as it was.
  }
  // The setter may have freed the inspector, or the object (which cleared
  // the rows and this editor).
  if (!self.Get()) return;
  RebuildList();
}

void Inspector::DoDropdownChange(TObject*) {
  auto* dropdown = dynamic_cast<TStdDropdown*>(editor_.Get());
  TObject* object = nullptr;
  const TPropInfo* prop = nullptr;
  if (!dropdown || dropdown->ItemIndex() < 0 || !CurrentProperty(object, prop)) return;
  TWeak<Inspector> self(this);
  try {
    SetOrdProp(*object, *prop, prop->PropType()->MinValue() + dropdown->ItemIndex());
  } catch (const std::exception&) {
    // A setter that fails leaves the property as it was.
  }
  if (!self.Get()) return;
  RebuildList();
}

void Inspector::DoCustomSetFocused(TObject* sender) {
  GuiObject* editor = editor_.Get();
  auto* dropdown = dynamic_cast<TStdDropdown*>(editor);
  if (dropdown && sender == dropdown->Popup()) return;
  if (sender == this || (editor && sender == editor)) return;
  if (auto* object = dynamic_cast<BaseObject*>(sender)) SetRoot(object);
}

void Inspector::SetItemIndex(std::int32_t index) {
  const std::int32_t old = ItemIndex();
  List::SetItemIndex(index);
  if (ItemIndex() != old) RebuildEdit();
}

void Inspector::MouseWheel(TShiftState shift, float delta) {
  TWeak<Inspector> self(this);
  List::MouseWheel(shift, delta);
  if (self.Get()) RebuildEdit();
}

void Inspector::PaintItem(std::int32_t index, const TRect& rect) {
  TDevice* device = Device();
  if (!device || index < 0 || index >= Items()->GetCount()) return;
  const float half = std::trunc((rect.right - rect.left) / 2);
  const std::u16string row = Items()->Get(index);
  const std::u16string value = RowValue(row);

  TRect r = rect;
  r.right = half - 1;
  if (index == ItemIndex()) {
    device->SetColor(kCurrentRowColor);
    device->FillRect(r, 0);
  }
  InflateRect(r, -2, -1);
  if (RowObject(index) != builtFrom_) r.left += 10;
  const std::u16string label = (BeginsWithParen(value) ? u"+" : u"") + RowName(row);
  // The rows and the divider in the font's colour, as the skinned list
  // draws its rows: legible on the skin's dark items.
  const std::uint32_t textColor = Font()->Color();
  TFont* font = EngineFont();
  if (font) device->DrawStringClip(font, label, r, {tfVCenter}, textColor);

  r = rect;
  r.left = half;
  InflateRect(r, -2, -1);
  if (font) device->DrawStringClip(font, value, r, {tfVCenter}, textColor);

  device->SetColor((textColor & 0x00FFFFFF) | 0x60000000);
  device->DrawRect({half - 1, 0, half, Height()}, 1, 0);
}

void Inspector::FreeNotify(BaseObject* object) {
  List::FreeNotify(object);
  if (object == root_) root_ = nullptr;
  if (object != builtFrom_) return;
  builtFrom_ = nullptr;
  ClearRows();
}

void Inspector::ClearRows() {
  FreeEditor();
  Items()->Clear();
  rowObjects_.clear();
  List::SetItemIndex(-1);
}

}  // namespace corvane
