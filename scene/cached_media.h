// A sound or a piece of music held by file name through the applet's cache,
// played through the applet's sound engine. Players and media effects hold
// one each; a changed name gives the previous one back before loading.
#pragma once

#include <string>

namespace corvane {

class BaseObject;
class TMusic;
class TSound;

template <class TMedia>
class TCachedMedia {
 public:
  TCachedMedia() = default;
  TCachedMedia(const TCachedMedia&) = delete;
  TCachedMedia& operator=(const TCachedMedia&) = delete;

  const std::string& FileName() const { return fileName_; }
  TMedia* Get() const { return media_; }
  // Nothing when unchanged. Otherwise the held one is given back (an empty
  // name only releases) and the new one loaded from the holder's applet;
  // one that cannot be loaded leaves none (the cache reports it).
  void SetFileName(const BaseObject& holder, const std::string& name);
  // Gives the held one back to the cache.
  void Release(const BaseObject& holder);

  // Through the applet's sound engine; nothing without one or without media.
  void Play(const BaseObject& holder) const;
  void Stop(const BaseObject& holder) const;

 private:
  std::string fileName_;
  TMedia* media_ = nullptr;
};

extern template class TCachedMedia<TSound>;
extern template class TCachedMedia<TMusic>;

}  // namespace corvane
