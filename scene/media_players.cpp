#include "scene/media_players.h"

#include "base/reflection/class_builder.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(MusicPlayer)
CORVANE_IMPLEMENT_CLASS(SoundPlayer)

void MusicPlayer::Describe(TClassBuilder<MusicPlayer>& c) {
  c.Property("fileName", &MusicPlayer::FileName, &MusicPlayer::SetFileName);
  c.Method("play", &MusicPlayer::play);
  c.Method("stop", &MusicPlayer::stop);
}

void MusicPlayer::BeforeDestruction() {
  music_.Release(*this);
  BaseObject::BeforeDestruction();
}

void SoundPlayer::Describe(TClassBuilder<SoundPlayer>& c) {
  c.Property("fileName", &SoundPlayer::FileName, &SoundPlayer::SetFileName);
  c.Method("play", &SoundPlayer::play);
  c.Method("stop", &SoundPlayer::stop);
}

void SoundPlayer::BeforeDestruction() {
  sound_.Release(*this);
  BaseObject::BeforeDestruction();
}

}  // namespace corvane
