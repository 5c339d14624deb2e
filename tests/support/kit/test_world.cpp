#include "tests/support/kit/test_world.h"

#include "base/reflection/class_registry.h"
#include "base/streams/memory_stream.h"
#include "base/streams/object_text.h"
#include "base/streams/reader.h"
#include "base/system/log_target.h"
#include "base/text/text_convert.h"
#include "engine/core/applet_services.h"
#include "engine/core/container.h"
#include "engine/shell/engine.h"
#include "engine/shell/register.h"
#include "gui/register.h"
#include "platform/filters/filter.h"
#include "platform/filters/register.h"

namespace corvane::test {

BaseObject* TTestWorld::Load(const std::string& objectText, BaseObject* parent) {
  if (!parent) parent = applet;
  TMemoryStream text(std::span<const char>(objectText.data(), objectText.size()));
  TMemoryStream binary;
  if (!ObjectTextToBinary(text, binary)) return nullptr;
  // The root's class comes first: make it in its place, then read it.
  binary.SetPosition(0);
  std::string className;
  {
    TGReader header(binary);
    header.ReadSignature();
    TGFilerFlags flags;
    std::int32_t position = 0;
    header.ReadPrefix(flags, position);
    className = header.ReadStr();
  }
  const TClass cls = FindClass(className);
  if (!cls || !cls->InheritsFrom(BaseObject::StaticClass())) return nullptr;
  TCreateContext context(parent);
  if (parent) context.Applet = AppletObjectOf(parent);
  context.Read = [&binary](TObject& root) {
    binary.SetPosition(0);
    TGReader reader(binary);
    reader.ReadRootComponent(static_cast<TGComponent*>(&root));
  };
  return static_cast<BaseObject*>(cls->CreateInstance(context));
}

TTestWorld::TTestWorld() : previousPlatform_(PlatformClass), previousFilter_(FilterClass) {
  FinalizeClassRegistry();
  RegisterEngineClasses();
  RegisterFilterClasses();
  RegisterGuiClasses();
  PlatformClass = TNullPlatform::StaticClass();
  // The world launches its own applet, with no command line and none of
  // the engine's start-up managers: tests install the ones they need.
  const bool disableParams = DisableParams;
  DisableParams = true;
  engine = Create<SomeEngine>();
  DisableParams = disableParams;
  engine->SetEmbeddedResMan(nullptr);
  engine->SetExternalResMan(nullptr);
  SetLogTarget(&log);  // the engine installed its own log; the test reads this one
  applet = Create<TTestApplet>(TCreateContext(engine));
}

TTestWorld::~TTestWorld() {
  if (engine) engine->Free();
  PlatformClass = previousPlatform_;
  FilterClass = previousFilter_;
  FinalizeClassRegistry();
}

TNullPlatform& TTestWorld::Platform() const { return *static_cast<TNullPlatform*>(engine->Platform()); }

void TTestWorld::Steps(int n, float dt) {
  Platform().SetStep(0);
  for (int i = 0; i < n; ++i) {
    Platform().SetTime(Platform().GetCurrentTime() + dt);
    engine->RunStep();
  }
}

}  // namespace corvane::test
