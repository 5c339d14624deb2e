// TCache: the applet's store of shared resources: fonts, pixmaps, meshes,
// sounds, music, compiled scripts and object-file streams. A second object
// asking for the same name gets the same object, each shared object carries
// a reference count, and the last release destroys it through its creator
// (the device, the sound engine or the script engine). Names match without
// regard to case. A font or mesh that failed to load is remembered as a
// miss and not tried again.
//
// When the cache goes (after every holder in the applet is gone) it
// destroys whatever is still in it, whatever its count.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/base_object.h"
#include "engine/core/object_cache.h"
#include "platform/media.h"
#include "resources/cache/cache_list.h"

namespace corvane {

class TDevice;
class TMemoryStream;
class TMusic;
class TResourceMan;
class TScript;
class TScriptEngine;
class TSound;
class TSoundEngine;
class TStream;

class TCache : public BaseObject, public TObjectCache {
  CORVANE_CLASS(TCache, BaseObject)
  explicit TCache(const TCreateContext& context);
  ~TCache() override;
  // Clear, then destroys everything left and logs "cleared", "mesh ok",
  // "script ok", "stream ok", "sound ok", "music ok", "pixmap ok",
  // "font ok".
  void BeforeDestruction() override;

  // Each load returns the shared object (count + 1) or null.
  // Through the device's CreateSysFont, keyed by the name, the whole part
  // of the size and the style text.
  TFont* LoadFont(const std::u16string& name, float size, TFontStyles style);
  // Through the applet's filter.
  TPixmap* LoadPixmap(TResourceMan* resMan, const std::u16string& name);
  TMesh* LoadMesh(TResourceMan* resMan, const std::u16string& name);
  // Through the applet's sound engine, made from SoundEngineClass first
  // when the applet has none.
  TSound* LoadSound(TResourceMan* resMan, const std::u16string& name);
  TMusic* LoadMusic(TResourceMan* resMan, const std::u16string& name);
  // Compiled scripts, loaded through the applet's script engine on a miss.
  TScript* LoadScript(TResourceMan* resMan, const std::u16string& name) override;

  // Count - 1; at 0 the object is destroyed through its creator and
  // forgotten. Null and objects the cache does not hold are ignored.
  void FreeFont(TFont* font);
  void FreePixmap(TPixmap* pixmap);
  void FreeMesh(TMesh* mesh);
  void FreeSound(TSound* sound);
  void FreeMusic(TMusic* music);
  void FreeScript(TScript* script) override;

  // Object-file streams: AddStream copies a stream in once; LoadStream
  // serves it (rewound, count + 1); FreeStream releases it (count - 1).
  void AddStream(TResourceMan* resMan, const std::u16string& name, TStream& stream);
  TStream* LoadStream(TResourceMan* resMan, const std::u16string& name);
  void FreeStream(const std::u16string& name) override;

  std::int32_t FontCount() const { return fonts_.Count(); }
  std::int32_t PixmapCount() const { return pixmaps_.Count(); }
  std::int32_t MeshCount() const { return meshes_.Count(); }
  std::int32_t SoundCount() const { return sounds_.Count(); }
  std::int32_t MusicCount() const { return music_.Count(); }
  std::int32_t ScriptCount() const { return scripts_.Count(); }
  std::int32_t StreamCount() const { return streams_.Count(); }
  // The count of a cached stream; -1 when it is not cached.
  std::int32_t StreamRefCount(const std::u16string& name) const;

  // Releases every music, sound, mesh, pixmap and font once (last to first
  // in each list) and forgets remembered misses; objects still held
  // elsewhere stay listed for their holders' releases. Then frees every
  // cached stream whatever its count. Scripts are not touched.
  void Clear();
  // The entry counts on the engine's debug board.
  void WriteStat();

 private:
  // The sound engine, made when the applet has none and a class is set.
  TSoundEngine* SoundEngine();
  // The applet's services, each null when absent.
  TDevice* Device() const;
  TScriptEngine* Scripts() const;
  // Destroys an object through its creator (or frees it when the creator
  // is gone).
  void Destroy(TObject* object);
  // Destroys every object of the list whatever its count and empties it.
  void DestroyAll(TCacheList& list);

  TCacheList fonts_;
  TCacheList pixmaps_;
  TCacheList meshes_;
  TCacheList music_;
  TCacheList sounds_;
  TCacheList scripts_;
  // Streams are owned, each with its count in its entry.
  TCacheList streams_;
};

}  // namespace corvane
