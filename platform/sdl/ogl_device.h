// TOGLDevice: the rendering device of the Linux host. It draws with OpenGL
// 1.x fixed-function calls into a compatibility context made on the SDL
// window that the platform created (TWindow::Handle holds the SDL_Window*),
// and switches the display mode through SDL. TGenericGLDevice is the class
// that is registered: it loads the OpenGL library by name with its first
// instance and frees it with its last, and calls itself "ogl".
//
// A device whose context cannot be made logs "Can't create AGL context",
// reports no hardware support (IsHardwareSupport is false: the applet takes
// it as no device) and returns at once from every drawing operation.
//
// Render states are display lists compiled by RebuildStates and called on a
// change only. Consecutive draws of the scratch mesh's 2D vertices in the
// same states are drawn as one (see ogl_quad_batch.h). Meshes live in vertex-buffer objects when the renderer has
// them (animated meshes stay in memory: their frames are blended on the
// CPU); pixmaps are textures uploaded whole from a locked buffer, scaled
// down to the renderer's texture limit when larger.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/device.h"
#include "platform/sdl/gl_functions.h"
#include "platform/sdl/ogl_quad_batch.h"

namespace corvane {

template <class C>
class TClassBuilder;

// An ARGB colour as four floats red, green, blue, alpha, each byte / 255.
struct TGLColor {
  GLfloat rgba[4];
};
TGLColor ColorToGLFloat4(std::uint32_t color);

class TOGLDevice : public TDevice {
  CORVANE_CLASS(TOGLDevice, TDevice)
  static void Describe(TClassBuilder<TOGLDevice>& c);

  explicit TOGLDevice(TWindow* window);
  ~TOGLDevice() override;
  // Logs the start, makes the context on the window, lists the display
  // modes, logs the renderer and prepares the scratch mesh and states.
  void AfterConstruction() override;
  // Releases every resource and the context while OpenGL is still loaded.
  void BeforeDestruction() override;

  bool HasContext() const { return context_ != nullptr; }

  // ---- TDevice
  void CreateRenderStateList(TRenderState state) override;
  void ApplyRenderState(TRenderState state) override;
  bool IsHardwareSupport(TWindow* window) override;
  void FullScreen(bool on, std::int32_t modeIndex) override;
  void Pick(float x, float y, TSpaceVector& origin, TSpaceVector& direction) override;
  TSpaceMatrix ModelViewProj() override;
  std::uint32_t CorrectMeshVertexColor(std::uint32_t color) override;
  void ProcessTick(float deltaTime, float time) override;
  void RenderWindow() override;
  void FlipWindow() override;
  void ResizeDevice() override;
  void SetMaterial(const TMaterial& material) override;
  void SetPixmap(std::int32_t stage, TPixmap* pixmap) override;
  std::int64_t TextureBytes(std::int64_t width, std::int64_t height) const override;
  void SetTextureMatrix(const TPlaneMatrix& matrix) override;
  void DrawMesh(TMesh* mesh) override;
  void DrawMeshRange(TMesh* mesh, std::int32_t first, std::int32_t last) override;
  void DrawLine(const TSpaceVector* points, std::int32_t count, float width) override;
  // A layered window's pixel buffer follows the buffer size.
  virtual void ResizePBuffer();
  // Draws the run of scratch-mesh draws gathered so far. The device does
  // so itself before anything else reaches the renderer and at the end of
  // every frame; a caller that reads the picture with OpenGL of its own
  // between frames calls it first.
  void Flush();

  // The scene's projection: the applet's scale times the perspective that
  // faces the right-handed view (see view_projection.h).
  TSpaceMatrix GetProjMat() const;

  // What the renderer offered at creation. Tests may clear
  // HasVertexBufferObject before creating meshes to keep them in memory.
  bool HasVertexBufferObject = false;
  bool HasBGRA = false;
  bool HasGenerateMipmap = false;
  bool HasBlendFuncSeparate = false;
  bool HasDrawRangeElements = false;  // loaded silently: not in the log
  // The last value given to FullScreen, and the mode it chose.
  bool FullScreenOn = false;
  std::int32_t FullScreenWidth = 0;
  std::int32_t FullScreenHeight = 0;
  std::int32_t FullScreenBitsPerPixel = 0;
  std::int32_t CurrentBitsPerPixel = 0;

 protected:
  bool AllocateMesh(TMesh& mesh) override;
  void ReleaseMesh(TMesh& mesh) override;
  void* MapMeshVertex(TMesh& mesh) override;
  void UnmapMeshVertex(TMesh& mesh) override;
  void* MapMeshIndex(TMesh& mesh) override;
  void UnmapMeshIndex(TMesh& mesh) override;
  bool AllocatePixmap(TPixmap& pixmap) override;
  void ReleasePixmap(TPixmap& pixmap) override;
  void* MapPixmap(TPixmap& pixmap, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                  bool readBack) override;
  void UnmapPixmap(TPixmap& pixmap) override;

 private:
  // A locked pixmap's pixels: the rectangle, w x h ARGB pixels.
  struct TPixmapLock {
    TPixmap* Pixmap = nullptr;
    std::int32_t X = 0, Y = 0, Width = 0, Height = 0;
    std::vector<std::uint32_t> Pixels;
  };

  // False without a context; otherwise makes it current (another window's
  // device may have drawn last) and returns true. Every OpenGL call goes
  // behind it; within one draw call it asks SDL only the first time.
  bool MakeCurrent() { return (currentInCall_ != 0 && currentInCall_ == DrawCallSerial()) || MakeCurrentThroughSDL(); }
  // Asks SDL which context is current and switches to this one if needed.
  bool MakeCurrentThroughSDL();
  bool CreateContext();
  void DestroyContext();
  void WriteOGLLog();
  void ListDisplayModes();
  // The applet's settings the device reads.
  std::uint32_t BackgroundColor() const;
  bool LightingSwitch() const;
  float AppletScale() const;
  // Step 1 to 3 of a frame: clear, fixed state, lights.
  void ClearFrame();
  void SetFixedState();
  void SetLights();
  void RenderLayer();
  TSpaceMatrix ScreenProjectionMatrix() const;

  // The size the texture of a width x height picture is stored at: the
  // picture's own when the renderer takes it, else scaled down to what it
  // takes (its limit, then halved until the proxy texture is accepted).
  struct TTextureSize {
    GLsizei Width = 0;
    GLsizei Height = 0;
    bool operator==(const TTextureSize&) const = default;
  };
  TTextureSize StoredSizeFor(std::int32_t width, std::int32_t height);
  // The texture now bound, as stored.
  static TTextureSize BoundTextureSize();
  // Uploads a whole picture of the pixmap's size into the bound texture,
  // scaled down to the stored size.
  void UploadPicture(const TPixmap& pixmap, const std::uint32_t* pixels);

  // A texture name of its own, bound, with the filter it needs to be
  // complete; 0 when none is given.
  GLuint NewTexture();
  void DeleteTexture(GLuint name);
  // Texture binding: what stage 0 asked for is what is bound, whatever the
  // pixmap operations bound on the way.
  void BindTexture(GLuint name);
  void RestoreStageBinding();
  // DrawMesh, with the range of its indices when it is known.
  struct TIndexRange {
    std::int32_t First = 0;
    std::int32_t Last = 0;
  };
  void DrawLocked(TMesh* mesh, const TIndexRange* range);
  // Adds a scratch-mesh draw of 2D vertices to the run; false when it must
  // be drawn on its own.
  bool Gather(TMesh& mesh, std::int32_t first, std::int32_t last);
  // The scratch mesh's locks write here, not into its buffer object: runs
  // copy from it without reading the buffer back, and a draw on its own
  // uploads what was locked (UploadScratch).
  bool IsScratch(const TMesh& mesh) const { return &mesh == DynamicMesh && UsesBufferObjects(mesh); }
  void UploadScratch(const TMesh& mesh);
  // Buffer-object and client-array bookkeeping of DrawMesh.
  bool UsesBufferObjects(const TMesh& mesh) const;
  void BindArrayBuffer(GLuint name);
  void BindElementBuffer(GLuint name);
  void SetClientArrays(unsigned arrays);
  // Where the vertex arrays of a draw come from: the buffer (0: client
  // memory at Base), the vertex format and whether stage 0 has a pixmap.
  struct TArraySource {
    GLuint Buffer = 0;
    const std::uint8_t* Base = nullptr;
    TVertexFormat Format = vfNone;
    bool Pixmap = false;
    bool operator==(const TArraySource&) const = default;
  };
  // Points the client arrays at the source and enables those its format
  // draws, unless they already are.
  void SetArrayPointers(const TArraySource& source);

  void* context_ = nullptr;  // SDL_GLContext
  std::uint32_t currentInCall_ = 0;  // the draw call it was found current in
  void* sdlWindow_ = nullptr;
  GLint maxTextureSize_ = 0;  // the renderer's limit, asked once per context
  GLuint boundTexture_ = 0;   // bound now
  GLuint stageTexture_ = 0;   // what SetPixmap last bound
  GLuint boundArrayBuffer_ = 0;
  GLuint boundElementBuffer_ = 0;
  unsigned clientArrays_ = 0;  // enabled client arrays (kArray... bits)
  TArraySource arraySource_;   // what the array pointers were given
  bool arraysValid_ = false;   // false: they must be given again
  std::vector<TPixmapLock> locks_;
  TQuadBatch batch_;
  // The scratch mesh's vertices and indices as last locked.
  std::vector<std::uint8_t> scratchVertices_;
  std::vector<std::uint16_t> scratchIndices_;
  // The texture matrix OpenGL holds (rs2DScene loads the identity).
  TPlaneMatrix glTextureMatrix_ = IdentityPlaneMatrix;
  std::vector<std::uint32_t> layerAlpha_;  // the two-pass layer's first pass
};

// The registered device: loads OpenGL ("libGL.so.1") with the first live
// instance and frees it with the last.
class TGenericGLDevice : public TOGLDevice {
  CORVANE_CLASS(TGenericGLDevice, TOGLDevice)
  explicit TGenericGLDevice(TWindow* window);
  ~TGenericGLDevice() override;
  static std::u16string ClassDeviceName() { return u"ogl"; }
  std::u16string DeviceName() const override { return ClassDeviceName(); }
};

// Live TGenericGLDevice instances.
extern std::int32_t OGLRef;

// Registers TGenericGLDevice in the device list and makes it the default
// device; returns its index. Called once by the program at start-up.
std::int32_t RegisterGLDevice();

}  // namespace corvane
