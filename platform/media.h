// The media records that the device, the fonts, the filters and the scene
// share: material and light records, the caret, the device-side font,
// texture (TPixmap) and vertex/index stores (TMesh with its named animation
// ranges). None of them draws by itself: the device creates, fills, draws
// and destroys them.
//
// The device's own handles are pointer-sized values the implementation
// chooses (buffer names, table indices, addresses); 0 means none.
#pragma once

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "base/geometry/geometry.h"
#include "base/geometry/vertex_format.h"
#include "base/reflection/persistent.h"
#include "base/reflection/record_type.h"
#include "base/reflection/set.h"

namespace corvane {

class T3DSysFont;

CORVANE_ENUM(TWindowStyle, systemStyle, maskStyle, layerStyle);
CORVANE_ENUM(TWindowPlace, normalPlace, topMost, desktopPlace);
// What a press at a point means to the window: move it, or resize it at
// that edge or corner.
CORVANE_ENUM(THitTest, htNone, htMove, htSizeLeft, htSizeRight, htSizeTop, htSizeBottom, htSizeTopLeft,
             htSizeTopRight, htSizeBottomLeft, htSizeBottomRight);

CORVANE_ENUM(TFontStyle, fsBold, fsItalic);
using TFontStyles = TSet<TFontStyle>;

// "bold" when fsBold is in the set, then "italic" when fsItalic is: the
// style part of font cache keys and font cache file names.
std::string FontStyleToStr(TFontStyles styles);
// The whole part of a font size as fonts are keyed and cached by it; 0 for
// a size without one that fits 32 bits.
std::int32_t TruncFontSize(float size);

// The argument of the device's SetMaterial. Colours are ARGB; Diffuse is
// also the current colour of unlit drawing.
struct TMaterial {
  bool Lighting = false;
  std::uint32_t Diffuse = 0;
  std::uint32_t Ambient = 0;
  std::uint32_t Specular = 0;
  bool operator==(const TMaterial&) const = default;
};
// By name a material is [Lighting, Diffuse, Ambient, Specular].
template <>
struct TRecordOf<TMaterial> {
  static constexpr const char* kName = "TMaterial";
  static constexpr auto kFields =
      std::make_tuple(RecordField("Lighting", &TMaterial::Lighting), RecordField("Diffuse", &TMaterial::Diffuse),
                      RecordField("Ambient", &TMaterial::Ambient), RecordField("Specular", &TMaterial::Specular));
};

// One light record of the window (see TWindow::Lights).
struct TLight {
  TSpaceVector Position;
  TSpaceVector Target;  // the light shines from Position towards Target
  std::uint32_t Diffuse = 0;
  std::uint32_t Specular = 0;
  std::uint32_t Ambient = 0;
  bool Enabled = false;      // the device sets the light up only when true
  bool ScreenSpace = false;  // Position and Target are in the 2D screen space
};

// A named range of key frames of an animated mesh.
struct TMeshAni {
  std::string Name;
  std::uint32_t FirstFrame = 0;
  std::uint32_t LastFrame = 0;
  float Speed = 0;  // frames per second of this range
};

// The text caret of a window: a blinking outline drawn in its own matrix.
class TCaret : public TSomePersistent {
  CORVANE_CLASS(TCaret, TSomePersistent)
  using TSomePersistent::TSomePersistent;

  std::int32_t Width = 0;
  std::int32_t Height = 0;
  float X = 0;
  float Y = 0;
  TSpaceMatrix Matrix = IdentitySpaceMatrix;  // normally the edit widget's
  std::uint32_t Color = 0;
  std::int32_t ShowCount = 0;  // visible while above 0
  float Phase = 0;             // 0 .. 1: the current opacity of the blink
  float Speed = 0;             // phase change per second; the sign flips at each end
};

// A font of the device: the system font object that rasterised its glyphs
// and the request it was made for.
class TFont : public TSomePersistent {
  CORVANE_CLASS(TFont, TSomePersistent)
  using TSomePersistent::TSomePersistent;
  // Frees Handle.
  void BeforeDestruction() override;

  T3DSysFont* Handle = nullptr;  // owned
  std::string Name;
  float Size = 0;
  TFontStyles Style;
  std::int32_t RefCount = 0;  // changed only by the applet's cache
};

// A texture of the device. Its owner is the applet, whose device draws it.
class TPixmap : public TSomePersistent {
  CORVANE_CLASS(TPixmap, TSomePersistent)
  using TSomePersistent::TSomePersistent;

  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::uintptr_t TextureHandle = 0;
  // The pixels while locked (null otherwise) and the distance between their
  // rows in bytes.
  void* LockedBits = nullptr;
  std::int32_t Pitch = 0;
  std::int32_t RefCount = 0;  // changed only by the applet's cache
  // Made by a script through the device's published creator: the one kind
  // of pixmap a script may destroy (TDevice::ScriptDestroyPixmap).
  bool MadeForScript = false;
  // The renderer refused its last upload (its memory, say): the texture
  // holds no picture, and nothing draws from it or reads it back until an
  // upload succeeds.
  bool UploadFailed = false;
  // The picture bytes it holds against the program's budget: its texture's,
  // and its locked pixels' while locked (platform/media_budget.h).
  std::int64_t TextureBytes = 0;
  std::int64_t LockedBytes = 0;

  bool Locked() const { return LockedBits != nullptr; }
  // Whether drawing may take its texture.
  bool Drawable() const { return !UploadFailed; }
  // Fills the whole pixmap with one ARGB colour through the owner applet's
  // device; nothing happens when it cannot be locked.
  void Clear(std::uint32_t color);
};

// Vertex and index stores of the device. An animated mesh holds FrameCount
// frames of VertexCount vertices one after the other, in
// vfPixmapVertexNormal.
class TMesh : public TSomePersistent {
  CORVANE_CLASS(TMesh, TSomePersistent)
  using TSomePersistent::TSomePersistent;

  bool Dynamic = false;  // rewritten often (scratch meshes, particles)
  bool Indexed = false;
  std::int32_t VertexCount = 0;       // vertices per frame
  std::int32_t VertexBufferSize = 0;  // VertexCount x the vertex size at creation, in bytes
  TVertexFormat VertexFormat = vfNone;
  std::uintptr_t VertexBufferHandle = 0;
  std::int32_t IndexCount = 0;  // 16-bit indices in the index store
  std::uintptr_t IndexBufferHandle = 0;
  std::int32_t RefCount = 0;  // changed only by the applet's cache
  // Made by a script through a published creator: the one kind of mesh a
  // script may destroy (TDevice::ScriptDestroyMesh).
  bool MadeForScript = false;
  // What the last locks wrote (drawn by DrawMesh) and the first vertex of
  // the last vertex lock (0 after every lock).
  std::int32_t LockedVertexCount = 0;
  std::int32_t BaseVertex = 0;
  std::int32_t LockedIndexCount = 0;
  TAABB Bounds;
  bool Animated = false;
  std::int32_t FrameCount = 0;
  std::vector<TMeshAni> Animations;
  // System-memory stores: always used for animated meshes, and by devices
  // without buffer objects.
  std::vector<std::uint8_t> VertexData;
  std::vector<std::uint16_t> IndexData;

  // The bytes of the vertex store: VertexBufferSize, times FrameCount for an
  // animated mesh. A lock never reaches beyond it, whatever vertex format
  // the mesh is switched to for a call.
  std::int64_t VertexStoreSize() const;
};

}  // namespace corvane
