// TDevice: the abstract rendering device of one window. The scene and the
// GUI draw only through it. The base keeps everything that does not depend
// on the graphics library: render-state bookkeeping, the save slot, the
// current matrix, material and texture matrix, the lists of live pixmaps
// and meshes with their locks, carets, lights and camera, frame statistics
// and debug lines, screen-mode look-ups, the scratch mesh and the move of
// every resource to a device of another class. An implementation (OpenGL)
// supplies the library side through the pure virtual operations.
//
// Creation is two-phase: CreateDevice constructs, then AfterConstruction
// logs the device's name; an implementation prepares its scratch mesh and
// states (PrepareObjects) in its own AfterConstruction once its context
// exists, and releases them (ReleaseObjects) in its BeforeDestruction.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/geometry/geometry.h"
#include "base/geometry/vertex_format.h"
#include "base/lists/wide_string_list.h"
#include "base/reflection/persistent.h"
#include "base/text/text_format.h"
#include "platform/media.h"
#include "platform/render_state.h"
#include "platform/text_layout.h"

namespace corvane {

class TWindowHost;
class TDevice;
class TWindow;

template <class C>
class TClassBuilder;

// Sizes of the scratch mesh, shared by every device. The current sizes grow
// by the steps on request, up to the caps.
inline constexpr std::int32_t MaxColorVertex = 100000;
// The vertices one draw of the scratch mesh may use: its 16-bit indices
// reach no further, however large the mesh.
inline constexpr std::int32_t MaxIndexedVertex = 65536;
inline constexpr std::int32_t MaxIndex = 200000;
inline constexpr std::int32_t MaxPixmapSize = 1024;
inline constexpr std::int32_t IncColorVertexCount = 9000;
inline constexpr std::int32_t IncIndexCount = 18000;
inline constexpr std::int32_t kStartColorVertexCount = 6000;
inline constexpr std::int32_t kStartIndexCount = 12000;
extern std::int32_t CurColorVertexCount;
extern std::int32_t CurIndexCount;

// Texture stages a device binds.
inline constexpr int kStageCount = 4;

// A registered device class: its class, the name it gives itself ("ogl")
// and how to construct one on a window.
struct TDeviceClass {
  TClass Class = nullptr;
  std::u16string (*Name)() = nullptr;
  TDevice* (*Construct)(TWindow* window) = nullptr;
};

// The entry of a device class D, which has a static ClassDeviceName() and a
// constructor taking the window.
template <class D>
TDeviceClass DeviceClassOf() {
  return {D::StaticClass(), &D::ClassDeviceName, [](TWindow* window) -> TDevice* { return new D(window); }};
}

// The registered device classes in registration order.
const std::vector<TDeviceClass>& DeviceList();
// Appends the class; returns its index.
std::int32_t RegisterDevice(const TDeviceClass& deviceClass);
// The index of the default class in DeviceList; -1 until an implementation
// registers itself as the default.
extern std::int32_t DefaultDevice;
// Constructs a device of the class on the window and runs AfterConstruction.
// A device that cannot draw on the window (IsHardwareSupport false, e.g. no
// context could be made) counts as none: it is freed and nullptr returned.
TDevice* CreateDevice(const TDeviceClass& deviceClass, TWindow* window);

class TDevice : public TSomePersistent {
  CORVANE_CLASS(TDevice, TSomePersistent)
  static void Describe(TClassBuilder<TDevice>& c);

  // The owner is the window's host (the applet).
  explicit TDevice(TWindow* window);
  ~TDevice() override;
  // Logs "<name> device manager stared".
  void AfterConstruction() override;
  // Destroys what is left of the pixmaps and meshes, then logs
  // "<name> device manager closed".
  void BeforeDestruction() override;

  TWindow* Window() const { return window_; }
  TWindowHost* Host() const { return host_; }

  // ---- the implementation's side
  virtual std::u16string DeviceName() const = 0;
  // Prepares the library form of one state (rs2DScene .. rsTexModulate).
  virtual void CreateRenderStateList(TRenderState state) = 0;
  // Makes the state effective now.
  virtual void ApplyRenderState(TRenderState state) = 0;
  virtual bool IsHardwareSupport(TWindow* window) = 0;
  // Switches the display mode (-1: the desktop's), then RebuildStates.
  virtual void FullScreen(bool on, std::int32_t modeIndex) = 0;
  // The world-space ray under a point in applet coordinates: origin with
  // w 1, direction normalised with w 1.
  virtual void Pick(float x, float y, TSpaceVector& origin, TSpaceVector& direction) = 0;
  virtual TSpaceMatrix ModelViewProj() = 0;
  // An ARGB colour in the byte order vertex colours need; the base keeps it.
  virtual std::uint32_t CorrectMeshVertexColor(std::uint32_t color) { return color; }
  // Draws a frame (RenderScene inside), shows it, follows a window resize.
  virtual void RenderWindow() = 0;
  virtual void FlipWindow() = 0;
  virtual void ResizeDevice() = 0;
  // Stores and applies a material, a stage's texture, the texture matrix.
  virtual void SetMaterial(const TMaterial& material) = 0;
  virtual void SetPixmap(std::int32_t stage, TPixmap* pixmap) = 0;
  virtual void SetTextureMatrix(const TPlaneMatrix& matrix) = 0;
  // Draws the locked part of the mesh as triangles with the current matrix,
  // material, states and textures; adds to TriangleCount.
  virtual void DrawMesh(TMesh* mesh) = 0;
  // DrawMesh of a mesh whose locked indices are known to lie within first ..
  // last (the device's own drawing writes them so): an implementation may
  // hand the range to the renderer, which then need not search the indices
  // for it. The base draws as DrawMesh.
  virtual void DrawMeshRange(TMesh* mesh, std::int32_t first, std::int32_t last) { DrawMesh(mesh); }
  // Draws count points as separate segments (0-1, 2-3, ...) in the current
  // colour.
  virtual void DrawLine(const TSpaceVector* points, std::int32_t count, float width) = 0;

  // Once per frame from the applet: grows the scratch mesh when asked to,
  // blinks the caret.
  virtual void ProcessTick(float deltaTime, float time);
  // Stores the model matrix; while rs2DScene is active PixelOffset is added
  // to its x and y translation.
  virtual void SetSpaceMatrix(const TSpaceMatrix& matrix);

  // ---- render states
  // Applies the state unless it is already in force; its partners go off.
  void SetRenderState(TRenderState state);
  bool StateActive(TRenderState state) const { return ActiveStates[state]; }
  // One save slot: the state flags, the model matrix and the material.
  void saveRenderState();
  // Restores the matrix and the material, then sets each saved state in
  // order (those still in force are not applied again).
  void restoreRenderState();
  // Prepares every state again (after creation, a resize, a mode change).
  void RebuildStates();
  // Material with Lighting off and all three colours the colour.
  void SetColor(std::uint32_t color);

  // ---- resources. The device keeps every live pixmap and mesh and
  // destroys what is left when it goes; destroy operations nil the variable.
  // Null for a negative or oversized count.
  TMesh* CreateMesh(TVertexFormat format, std::int32_t vertexCount, bool indexed, std::int32_t indexCount,
                    bool dynamic, bool animated, std::int32_t frameCount);
  void DestroyMesh(TMesh*& mesh);
  // Write access from the start of the store. Refused (false) for a count
  // beyond the store in the mesh's current vertex format; on success
  // LockedVertexCount := count and BaseVertex := 0.
  bool LockMeshVertex(TMesh* mesh, std::int32_t count, void*& data);
  void UnlockMeshVertex(TMesh* mesh);
  // The same for the 16-bit indices; on success LockedIndexCount := count.
  bool LockMeshIndex(TMesh* mesh, std::int32_t count, void*& data);
  void UnlockMeshIndex(TMesh* mesh);
  TPixmap* CreatePixmap(std::int32_t width, std::int32_t height);
  void DestroyPixmap(TPixmap*& pixmap);
  // ARGB pixels of a rectangle inside the pixmap, rows Pitch bytes apart;
  // with readBack they hold the current picture. A pixmap is locked once at
  // a time ("Pixmap already locked"). A picture the renderer refused to
  // take (UploadFailed) has nothing to read back: such a lock is refused.
  bool LockPixmapRectARGB(TPixmap* pixmap, std::int32_t x, std::int32_t y, std::int32_t width,
                          std::int32_t height, void*& bits, bool readBack);
  void UnlockPixmap(TPixmap* pixmap);
  // What scripts call by the names CreatePixmap, DestroyPixmap, CreateMesh
  // and DestroyMesh. A script destroys only what it made through them on
  // this device: every other pixmap or mesh has holders in the engine (the
  // applet's default picture, the cache, fonts, renderers) that would keep
  // a freed pointer, so it is refused with an error line.
  TPixmap* ScriptCreatePixmap(std::int32_t width, std::int32_t height);
  void ScriptDestroyPixmap(TPixmap*& pixmap);
  TMesh* ScriptCreateMesh(TVertexFormat format, std::int32_t vertexCount, bool indexed, std::int32_t indexCount,
                          bool dynamic, bool animated, std::int32_t frameCount);
  void ScriptDestroyMesh(TMesh*& mesh);
  const std::vector<TPixmap*>& Pixmaps() const { return pixmaps_; }

  // ---- the program's picture budget (platform/media_budget.h). Each
  // pixmap holds its texture's bytes from its creation to its destruction,
  // and a lock its pixels' until the unlock; both are refused, with a line,
  // past the budget.
  // What the renderer keeps of a width x height picture; the base counts
  // its pixels, 4 bytes each.
  virtual std::int64_t TextureBytes(std::int64_t width, std::int64_t height) const { return width * height * 4; }
  // What loading one takes at once: its texture and its decoded pixels.
  std::int64_t LoadBytes(std::int64_t width, std::int64_t height) const {
    return TextureBytes(width, height) + width * height * 4;
  }
  // Whether a picture of width x height may be decoded now beside what the
  // program holds; a refusal writes "Can't load picture <name>: <why>".
  bool PictureFits(std::int64_t width, std::int64_t height, const std::string& name) const;
  const std::vector<TMesh*>& Meshes() const { return meshes_; }
  // The scratch mesh, then the states.
  void PrepareObjects();
  // Destroys every pixmap, last to first, then every mesh.
  void ReleaseObjects();

  // ---- fonts
  // A font through SysFontClass, from its cache file when the applet's
  // resource manager has it; null while no system-font class is registered.
  virtual TFont* CreateSysFont(const std::string& name, float size, TFontStyles style);
  virtual void DestroyFont(TFont*& font);

  // ---- draw calls
  // One of the device's own drawing calls, from its first library call to
  // its last: nothing but the device runs in between, so an implementation
  // may make its context current once per call rather than before every
  // step. Calls nest; the outermost one counts.
  class TDrawCall {
   public:
    explicit TDrawCall(TDevice& device) : device_(device) {
      // 0 stands for "no call": the serial skips it when it wraps.
      if (device_.drawCallDepth_++ == 0 && ++device_.drawCallSerial_ == 0) device_.drawCallSerial_ = 1;
    }
    ~TDrawCall() { --device_.drawCallDepth_; }
    TDrawCall(const TDrawCall&) = delete;
    TDrawCall& operator=(const TDrawCall&) = delete;

   private:
    TDevice& device_;
  };
  // Tells the draw call in progress apart from every earlier one; 0 outside
  // a draw call.
  std::uint32_t DrawCallSerial() const { return drawCallDepth_ > 0 ? drawCallSerial_ : 0; }

  // ---- drawing through the scratch mesh, in the current colour and matrix.
  // Each call locks what it needs from the start of the scratch mesh,
  // writes, unlocks and draws at once; a call that does not fit draws
  // nothing and asks for a larger mesh at the next tick.
  // One untextured rectangle at depth z (the default pixmap is bound when
  // there is one, but texturing is off).
  void FillRect(const TRect& rect, float z);
  void FillRect(float left, float top, float right, float bottom, float z);
  // An outline lineWidth wide inside the rectangle, as four bands that do
  // not overlap: top and bottom stop short of one corner each, left and
  // right of the other. Nothing for a width not above 0. Without a default
  // pixmap it is drawn untextured.
  void DrawRect(const TRect& rect, float lineWidth, float z);
  // The pixmap stretched over the rectangle at depth 0; nothing for null.
  virtual void DrawPixmap(TPixmap* pixmap, const TRect& rect);
  // The pixmap at its own size with its top-left corner at (x, y).
  void DrawPixmapXy(TPixmap* pixmap, float x, float y);
  // Nine-slice: the corners keep their size, the edges stretch along one
  // axis and the centre along both. Margins are in texture pixels (the
  // pixmap's size times the texture matrix's scale); all margins 0 is
  // DrawPixmap. Nothing when the texture size reads 0.
  void DrawPixmapMargins(TPixmap* pixmap, const TRect& rect, const TRect& margins);
  // As DrawPixmapMargins, but the edges and the centre are filled with
  // tiles of their texture size, the last tile of a row or column cut back
  // to the cell.
  void DrawPixmapMarginsTile(TPixmap* pixmap, const TRect& rect, const TRect& margins);
  // The pixmap repeated at its texture size over the rectangle, the last
  // row and column cut back.
  void DrawPixmapTile(TPixmap* pixmap, const TRect& rect);
  // The text laid out in the rectangle (see TextCalc) and drawn through the
  // font line by line, each at whole pixels. Nothing for an empty text, a
  // colour whose alpha is 0, while rsFrame is in force, or without a font.
  virtual void DrawString(TFont* font, std::u16string_view text, const TRect& rect, TTextFormats formats,
                          std::uint32_t color);
  // Lays the text out with maxWidth as the fitting width: rect receives
  // its box and count the characters the last line measured fits. An empty
  // text gives rect a width of 0.
  virtual void MeasureString(TFont* font, std::u16string_view text, TRect& rect, TTextFormats formats,
                             std::int32_t& count, float maxWidth);
  // What MeasureString with no format bits gives each prefix of the text,
  // in one pass: widths[k] is the width of the first k characters
  // (widths[0] is 0).
  void MeasurePrefixWidths(TFont* font, std::u16string_view text, float maxWidth, std::vector<float>& widths);
  // As DrawString, but kept inside the rectangle (a widget's text): a text
  // of several lines taller than the rectangle starts at its top, whatever
  // the vertical alignment, and the lines that would reach below its
  // bottom are left out (the first is always drawn). A text that fits, or
  // one line, is DrawString's.
  void DrawStringInside(TFont* font, std::u16string_view text, const TRect& rect, TTextFormats formats,
                        std::uint32_t color);
  // One line cut to the characters that fit the rectangle's width (a text
  // with a line break is not cut, but kept inside the rectangle as
  // DrawStringInside keeps it), then drawn without word wrap.
  void DrawStringClip(TFont* font, std::u16string_view text, const TRect& rect, TTextFormats formats,
                      std::uint32_t color);
  // Measures a text with the font's system font: the layout's callback.
  TPoint CharSizeCallback(std::int32_t& calcStrLen, float clipWidth, std::u16string_view str, TFont* font);
  // A key-framed mesh at a time: frame First at time 0, then frameTime
  // seconds a frame, blending each frame's positions and normals towards
  // the next. Without loop the range ends on frame Last; with loop it runs
  // First .. Last-1 again and again (a loop without room, or a frameTime
  // not above 0, shows frame First). First, Last and the frames shown stay
  // within the mesh's frames.
  virtual void DrawAnimatedMesh(TMesh* mesh, float time, float frameTime, std::int32_t first, std::int32_t last, bool loop);
  // A solid, lit box between the corners: six faces, each counter-clockwise
  // seen from outside with its outward normal. Nothing for a colour whose
  // alpha is 0. Without a default pixmap the box is drawn untextured.
  void FillBox(const TSpaceVector& min, const TSpaceVector& max);
  // The twelve edges of the box as lines; nothing for a width below 0.
  void DrawBox(const TSpaceVector& min, const TSpaceVector& max, float lineWidth);
  void DrawBox(const TAABB& box, float lineWidth) { DrawBox(box.min, box.max, lineWidth); }
  // One segment.
  void DrawLine2(const TSpaceVector& a, const TSpaceVector& b, float lineWidth);

  // ---- the scratch mesh
  // Whether one call of that many vertices (in the format) and indices fits
  // the scratch mesh; when it does not, a larger mesh is requested for the
  // next tick and the call must draw nothing.
  bool ScratchFits(TVertexFormat format, std::int32_t vertices, std::int32_t indices);
  // Asks for a larger scratch mesh at the next tick.
  void RequestToInsCreaseDynamicMesh() { GrowRequest = true; }
  // Grows both sizes by a step (up to the caps) and remakes the mesh.
  void IncreaseDynamicMesh();

  // ---- carets
  virtual TCaret* CreateCaret(std::int32_t width, std::int32_t height, std::uint32_t color);
  virtual void DestroyCaret(TCaret*& caret);
  virtual void ShowCaret(TCaret* caret);
  virtual void HideCaret(TCaret* caret);
  virtual void SetCaretPosition(TCaret* caret, const TSpaceMatrix& matrix, float x, float y);
  // One step of the blink, 3.0 a second up to 1.0 and down to 0.0, while
  // the host is active; each step asks for a repaint.
  virtual void UpdateCaret(TCaret* caret, float deltaTime, float time);

  // ---- camera and lights
  void SetCameraPos(const TSpaceVector& position, const TSpaceVector& direction, const TSpaceVector& up);
  // The lowest free light slot (1 .. 7); -1 when all are taken.
  std::int32_t AddLight();
  // Hands a slot back, its record cleared (switched off); other indices
  // are ignored.
  void FreeLight(std::int32_t index);
  // Fills light record index (0 .. 7); any other index is ignored.
  void SetLight(std::int32_t index, const TSpaceVector& position, const TSpaceVector& target, std::uint32_t ambient,
                std::uint32_t diffuse, std::uint32_t specular, bool screenSpace, bool enabled);

  // ---- frames and statistics
  // The frame of the implementation's RenderWindow: resets the per-frame
  // state, starts from the identity matrix, has the applet paint its tree,
  // draws the caret, counts the frame rate and posts the debug lines.
  // Nothing happens before the applet is ready.
  void RenderScene();
  // The debug-board lines, while the applet's debug form is shown.
  void WriteDebugInfo();
  // The frame-rate summary in the log.
  void WriteStatistics();

  // ---- screen modes
  // The width (height) of mode n: the first (second) number of its text;
  // the desktop's for n < 0, 0 beyond the list or for a text without it.
  std::int32_t GetScreenWidth(std::int32_t n) const;
  std::int32_t GetScreenHeight(std::int32_t n) const;

  // Moves every pixmap and mesh of the device into a new device of another
  // class on the same window and frees the old device. The TPixmap and
  // TMesh objects stay the same (holders keep valid references); only
  // their device stores are made anew. Returns the new device; nullptr when
  // the new class makes none (the holders then keep store-less objects).
  static TDevice* CloneDevice(TDevice* device, const TDeviceClass& deviceClass);

  // ---- state that the implementation and the drawing share
  TMesh* DynamicMesh = nullptr;   // the scratch mesh of 2D and box drawing
  // The applet's small white pixmap that fills bind; null until the applet
  // has loaded it (fills are then drawn untextured).
  TPixmap* DefaultPixmap = nullptr;
  TMesh* ParticleMesh = nullptr;  // the particle renderers' scratch mesh
  // The particle renderers' shared default picture, loaded by the first
  // renderer and destroyed with the device's other pixmaps.
  TPixmap* ParticlePixmap = nullptr;
  bool GrowRequest = false;
  bool FramePending = false;  // drawn and not yet shown
  std::int32_t StateChanges = 0;
  TRenderStateFlags ActiveStates{};
  std::array<TPixmap*, kStageCount> Stages{};
  TMesh* CurrentMesh = nullptr;
  TMaterial Material;
  TSpaceMatrix SpaceMatrix = IdentitySpaceMatrix;
  TPlaneMatrix TextureMatrix = IdentityPlaneMatrix;
  float PixelOffset = 0;
  // The implementation's prepared form of each state.
  std::array<std::uintptr_t, kRenderStateCount> StateLists{};
  // Frame statistics (seconds, frames).
  float CurrentTime = 0;
  float LastTime = 0;
  float Elapsed = 0;
  std::int32_t FrameCount = 0;
  std::int32_t TriangleCount = 0;
  float Fps = 0;
  float MaxFps = 0;
  float AvgFps = 0;
  std::int32_t ParticleCount = 0;
  // Display modes as texts whose first two numbers are width and height.
  TWideStringList ScreenModes;
  std::int32_t ScreenModeIndex = 0;
  std::int32_t DesktopWidth = 0;
  std::int32_t DesktopHeight = 0;

 protected:
  // The library side of the resources. Allocate gives a new object its
  // stores (the fields are set), Release frees only the stores and handles.
  // Map returns the store's first byte (for a pixmap, the rectangle's first
  // pixel with Pitch set) or null; Unmap ends the write.
  virtual bool AllocateMesh(TMesh& mesh) = 0;
  virtual void ReleaseMesh(TMesh& mesh) = 0;
  virtual void* MapMeshVertex(TMesh& mesh) = 0;
  virtual void UnmapMeshVertex(TMesh& mesh) = 0;
  virtual void* MapMeshIndex(TMesh& mesh) = 0;
  virtual void UnmapMeshIndex(TMesh& mesh) = 0;
  virtual bool AllocatePixmap(TPixmap& pixmap) = 0;
  virtual void ReleasePixmap(TPixmap& pixmap) = 0;
  virtual void* MapPixmap(TPixmap& pixmap, std::int32_t x, std::int32_t y, std::int32_t width,
                          std::int32_t height, bool readBack) = 0;
  virtual void UnmapPixmap(TPixmap& pixmap) = 0;

 private:
  struct TSavedState {
    TRenderStateFlags States{};
    TSpaceMatrix Matrix = IdentitySpaceMatrix;
    TMaterial Material;
  };
  // What the device makes is owned by its host.
  TObject* MediaOwner() const;
  // Steps of RenderScene.
  void ResetFrame();
  // A one-pixel outline of the shown caret, in its matrix, as opaque as
  // its blink's phase.
  void DrawCaret();
  void CountFrame();
  // Makes bytes the pixmap's texture's share of the picture budget.
  static void HoldTexture(TPixmap& pixmap, std::int64_t bytes);
  // Forgets the object in the lists and the per-frame pointers.
  void Forget(TMesh* mesh);
  void Forget(TPixmap* pixmap);
  // Takes the objects over from another device: new stores, same objects.
  void AdoptPixmap(TPixmap* pixmap, const std::vector<std::uint32_t>& pixels);
  void AdoptMesh(TMesh* mesh, const std::vector<std::uint8_t>& vertices, const std::vector<std::uint16_t>& indices);

  TWindow* window_ = nullptr;
  TWindowHost* host_ = nullptr;
  std::vector<TPixmap*> pixmaps_;
  std::vector<TMesh*> meshes_;
  TSavedState saved_;
  // The lines of the last text layout, kept so that text drawing reuses
  // their storage.
  TTextCalcArray textLines_;
  // The lines DrawStringInside keeps; each is drawn through DrawString,
  // which lays out into textLines_.
  TTextCalcArray insideLines_;
  std::int32_t drawCallDepth_ = 0;
  std::uint32_t drawCallSerial_ = 0;
};

}  // namespace corvane
