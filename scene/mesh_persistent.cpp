#include "scene/mesh_persistent.h"

#include <algorithm>

#include "base/reflection/class_builder.h"
#include "base/text/text_convert.h"
#include "engine/core/effect.h"
#include "engine/core/engine_services.h"
#include "platform/media.h"
#include "resources/cache/cache.h"
#include "engine/core/applet_services.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TMeshPersistent)

void TMeshPersistent::Describe(TClassBuilder<TMeshPersistent>& c) {
  c.Property("animated", &TMeshPersistent::Animated, [](TMeshPersistent&, bool) {}).Default(false).Stored(false);
  c.Property("keyCount", &TMeshPersistent::KeyCount, [](TMeshPersistent&, std::int32_t) {})
      .Default(0)
      .Stored(false);
  c.Property("key", &TMeshPersistent::Key, &TMeshPersistent::SetKey).Default(0);
  c.Property("fileName", &TMeshPersistent::FileName, &TMeshPersistent::SetFileName);
  c.Property("src", &TMeshPersistent::FileName, &TMeshPersistent::SetFileName).Stored(false);
  c.Method("empty", &TMeshPersistent::empty);
}

TMeshPersistent::TMeshPersistent(const TCreateContext& context) : TSomePersistent(context), applet_(context.Owner) {}

TMeshPersistent::~TMeshPersistent() { Release(); }

TAppletServices* TMeshPersistent::Applet() const { return applet_.Get(); }

void TMeshPersistent::Release() {
  if (!mesh_) return;
  TMesh* mesh = mesh_;
  mesh_ = nullptr;
  TAppletServices* applet = Applet();
  if (TCache* cache = applet ? applet->Cache() : nullptr) cache->FreeMesh(mesh);
}

Effect* TMeshPersistent::DrivingEffect() const { return drivingEffect_.Get(); }
void TMeshPersistent::SetDrivingEffect(Effect* effect) { drivingEffect_ = effect; }

TMesh* TMeshPersistent::Mesh() const { return Applet() ? mesh_ : nullptr; }

bool TMeshPersistent::Animated() const { return Mesh() && Mesh()->Animated; }

std::int32_t TMeshPersistent::KeyCount() const { return Mesh() ? std::max(Mesh()->FrameCount - 1, 0) : 0; }

void TMeshPersistent::SetKey(std::int32_t key) {
  if (key == key_) return;
  key_ = std::max(key, 0);
  // Without a model the key waits for one: it is read before the file name.
  if (Mesh()) key_ = std::min(key_, KeyCount());
}

void TMeshPersistent::SetFileName(const std::string& name) {
  if (name == fileName_) return;
  fileName_ = name;
  Release();
  if (!name.empty()) {
    TAppletServices* applet = Applet();
    TEngineServices* engine = RunningEngine();
    TResourceMan* resMan = name.find(':') != std::string::npos ? (engine ? engine->ExternalResMan() : nullptr)
                                                                : (applet ? applet->ResMan() : nullptr);
    if (TCache* cache = applet ? applet->Cache() : nullptr; cache && resMan)
      mesh_ = cache->LoadMesh(resMan, WidenLatin1(name));
  }
  if (mesh_) key_ = std::min(key_, KeyCount());
  if (OnChange) OnChange(this);
}

}  // namespace corvane
