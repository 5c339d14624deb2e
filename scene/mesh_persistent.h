// TMeshPersistent: a model held by file name, loaded through the applet's
// cache when the name is set (the engine's external files for a name with
// ':', the applet's own otherwise) and given back when the name changes and
// in the destructor. It carries the current key frame of an animated model
// and a weak handle to the effect that drives it.
#pragma once

#include <cstdint>
#include <string>

#include "base/reflection/notify_event.h"
#include "base/reflection/object.h"
#include "base/reflection/persistent.h"
#include "scene/owner_applet.h"

namespace corvane {

class Effect;
class TAppletServices;
class TMesh;

template <class C>
class TClassBuilder;

class TMeshPersistent : public TSomePersistent {
  CORVANE_CLASS(TMeshPersistent, TSomePersistent)
  static void Describe(TClassBuilder<TMeshPersistent>& c);
  // The owner is the applet whose services the reference uses.
  explicit TMeshPersistent(const TCreateContext& context);
  ~TMeshPersistent() override;

  const std::string& FileName() const { return fileName_; }
  // Nothing when unchanged; otherwise the held model is given back, the new
  // one loaded (an empty name only releases), the key clamped to it and
  // OnChange called.
  void SetFileName(const std::string& name);

  // The model lives in the applet's cache: gone with the applet.
  TMesh* Mesh() const;
  bool empty() const { return Mesh() == nullptr; }
  bool Animated() const;
  // The last frame's index; 0 without a model.
  std::int32_t KeyCount() const;
  std::int32_t Key() const { return key_; }
  // Negative keys become 0; with a model, keys beyond it become KeyCount.
  void SetKey(std::int32_t key);

  // The effect that plays the model now; null when none (or once it is gone).
  Effect* DrivingEffect() const;
  void SetDrivingEffect(Effect* effect);

  // After every change of the name, once the new model is loaded (or
  // failed to load).
  TNotifyEvent OnChange;

 private:
  TOwnerApplet applet_;
  TAppletServices* Applet() const;
  void Release();

  std::string fileName_;
  TMesh* mesh_ = nullptr;
  TWeak<Effect> drivingEffect_;
  std::int32_t key_ = 0;
};

}  // namespace corvane
