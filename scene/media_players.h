// MusicPlayer and SoundPlayer: a piece of music or a sound held by file
// name, played and stopped by scripts.
#pragma once

#include <string>

#include "engine/core/base_object.h"
#include "scene/cached_media.h"

namespace corvane {

class MusicPlayer : public BaseObject {
  CORVANE_CLASS(MusicPlayer, BaseObject)
  static void Describe(TClassBuilder<MusicPlayer>& c);
  using BaseObject::BaseObject;
  void BeforeDestruction() override;

  const std::string& FileName() const { return music_.FileName(); }
  void SetFileName(const std::string& name) { music_.SetFileName(*this, name); }
  TMusic* Music() const { return music_.Get(); }
  void play() { music_.Play(*this); }
  void stop() { music_.Stop(*this); }

 private:
  TCachedMedia<TMusic> music_;
};

class SoundPlayer : public BaseObject {
  CORVANE_CLASS(SoundPlayer, BaseObject)
  static void Describe(TClassBuilder<SoundPlayer>& c);
  using BaseObject::BaseObject;
  void BeforeDestruction() override;

  const std::string& FileName() const { return sound_.FileName(); }
  void SetFileName(const std::string& name) { sound_.SetFileName(*this, name); }
  TSound* Sound() const { return sound_.Get(); }
  void play() { sound_.Play(*this); }
  void stop() { sound_.Stop(*this); }

 private:
  TCachedMedia<TSound> sound_;
};

}  // namespace corvane
