// Fuzzes the binary object-stream reader: any bytes are read as an object
// tree into a class publishing every property kind, then freed.
#include <cstddef>
#include <cstdint>

#include "base/lists/collection.h"
#include "base/reflection/class_builder.h"
#include "base/reflection/class_registry.h"
#include "base/reflection/component.h"
#include "base/reflection/variant.h"
#include "base/streams/memory_stream.h"
#include "base/streams/reader.h"
#include "base/streams/writer.h"
#include "base/system/log_target.h"

namespace corvane {

CORVANE_ENUM(TFuzzShade, fsLight, fsDark);

class TFuzzItem : public TCollectionItem {
  CORVANE_CLASS(TFuzzItem, TCollectionItem)
  static void Describe(TClassBuilder<TFuzzItem>& c) { c.Property("v", &TFuzzItem::v); }
  using TCollectionItem::TCollectionItem;
  float v = 0;
};

class TFuzzSub : public TSomePersistent {
  CORVANE_CLASS(TFuzzSub, TSomePersistent)
  static void Describe(TClassBuilder<TFuzzSub>& c) { c.Property("x", &TFuzzSub::x); }
  using TSomePersistent::TSomePersistent;
  float x = 0;
};

class TFuzzObject : public TGComponent {
  CORVANE_CLASS(TFuzzObject, TGComponent)
  static void Describe(TClassBuilder<TFuzzObject>& c) {
    c.Property("i", &TFuzzObject::i);
    c.Property("b", &TFuzzObject::b);
    c.Property("ch", &TFuzzObject::ch);
    c.Property("w", &TFuzzObject::w);
    c.Property("e", &TFuzzObject::e);
    c.Property("s", &TFuzzObject::s);
    c.Property("f", &TFuzzObject::f);
    c.Property("d", &TFuzzObject::d);
    c.Property("c", &TFuzzObject::c);
    c.Property("t", &TFuzzObject::t);
    c.Property("a", &TFuzzObject::a);
    c.Property("ws", &TFuzzObject::ws);
    c.Property("v", &TFuzzObject::v);
    c.Property("r", &TFuzzObject::r);
    c.Property("m", &TFuzzObject::m);
    c.Property("sub", &TFuzzObject::GetSub);
    c.Property("items", &TFuzzObject::GetItems);
    c.Method("go", &TFuzzObject::Go);
  }
  explicit TFuzzObject(const TCreateContext& context)
      : TGComponent(context), sub(new TFuzzSub(this)), items(new TCollection(TFuzzItem::StaticClass(), this)) {}
  ~TFuzzObject() override {
    delete sub;
    items->Free();
  }
  void GetChildren(const TGetChildProc& proc, TGComponent*) override {
    for (TGComponent* child : ComponentList()) proc(child);
  }
  TFuzzSub* GetSub() const { return sub; }
  TCollection* GetItems() const { return items; }
  void Go() {}

  std::int32_t i = 0;
  bool b = false;
  char ch = 0;
  char16_t w = 0;
  TFuzzShade e = fsLight;
  TSet<TFuzzShade> s;
  float f = 0;
  double d = 0;
  TCurrency c;
  TDateTime t;
  std::string a;
  std::u16string ws;
  Variant v;
  TGComponent* r = nullptr;
  TMethod m;
  TFuzzSub* sub;
  TCollection* items;
};

CORVANE_IMPLEMENT_CLASS(TFuzzItem)
CORVANE_IMPLEMENT_CLASS(TFuzzSub)
CORVANE_IMPLEMENT_CLASS(TFuzzObject)

}  // namespace corvane

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace corvane;
  static TSilentLog quiet;
  static const bool ready = [] {
    SetLogTarget(&quiet);
    RegisterClasses({TFuzzObject::StaticClass()});
    return true;
  }();
  (void)ready;
  TMemoryStream in(std::span<const std::uint8_t>(data, size));
  TGReader reader(in);
  if (TGComponent* root = reader.ReadRootComponent(nullptr)) {
    // What was read must also write.
    TMemoryStream out;
    {
      TGWriter writer(out);
      writer.WriteRootComponent(root);
    }
    root->Free();
  }
  return 0;
}
