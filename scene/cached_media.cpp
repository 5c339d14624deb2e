#include "scene/cached_media.h"

#include <type_traits>

#include "base/text/text_convert.h"
#include "engine/core/applet_services.h"
#include "engine/core/base_object.h"
#include "platform/sound_engine.h"
#include "resources/cache/cache.h"

namespace corvane {

namespace {

template <class TMedia>
constexpr bool kIsSound = std::is_same_v<TMedia, TSound>;

}  // namespace

template <class TMedia>
void TCachedMedia<TMedia>::Release(const BaseObject& holder) {
  if (!media_) return;
  TMedia* media = media_;
  media_ = nullptr;
  TAppletServices* applet = holder.GetApplet();
  TCache* cache = applet ? applet->Cache() : nullptr;
  if (!cache) return;
  if constexpr (kIsSound<TMedia>) cache->FreeSound(media);
  else cache->FreeMusic(media);
}

template <class TMedia>
void TCachedMedia<TMedia>::SetFileName(const BaseObject& holder, const std::string& name) {
  if (name == fileName_) return;
  fileName_ = name;
  Release(holder);
  if (name.empty()) return;
  TAppletServices* applet = holder.GetApplet();
  TCache* cache = applet ? applet->Cache() : nullptr;
  if (!cache) return;
  TResourceMan* resMan = applet->ResMan();
  if constexpr (kIsSound<TMedia>) media_ = cache->LoadSound(resMan, WidenLatin1(name));
  else media_ = cache->LoadMusic(resMan, WidenLatin1(name));
}

template <class TMedia>
void TCachedMedia<TMedia>::Play(const BaseObject& holder) const {
  TAppletServices* applet = holder.GetApplet();
  TSoundEngine* engine = applet ? applet->SoundEngine() : nullptr;
  if (!media_ || !engine) return;
  if constexpr (kIsSound<TMedia>) engine->PlaySound(media_);
  else engine->PlayMusic(media_);
}

template <class TMedia>
void TCachedMedia<TMedia>::Stop(const BaseObject& holder) const {
  TAppletServices* applet = holder.GetApplet();
  TSoundEngine* engine = applet ? applet->SoundEngine() : nullptr;
  if (!media_ || !engine) return;
  if constexpr (kIsSound<TMedia>) engine->StopSound(media_);
  else engine->StopMusic(media_);
}

template class TCachedMedia<TSound>;
template class TCachedMedia<TMusic>;

}  // namespace corvane
