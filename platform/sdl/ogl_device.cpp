// The OpenGL device's life, frames, materials, projection and lines.
// Render states, textures, meshes and display modes are in ogl_*.cpp.
#include "platform/sdl/ogl_device.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "base/geometry/color.h"
#include "base/geometry/geometry_records.h"
#include "base/geometry/matrix.h"
#include "base/geometry/vector_math.h"
#include "base/reflection/class_builder.h"
#include "base/reflection/exceptions.h"
#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "platform/sdl/gl_loader.h"
#include "platform/view_projection.h"
#include "platform/window.h"
#include "platform/window_host.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TOGLDevice)
CORVANE_IMPLEMENT_CLASS(TGenericGLDevice)

std::int32_t OGLRef = 0;

namespace {

constexpr const char* kOpenGLLibrary = "libGL.so.1";

void LoadMatrix(const TSpaceMatrix& m) { glLoadMatrixf(&m[0].x); }

std::u16string GLText(GLenum name) {
  const auto* text = reinterpret_cast<const char*>(glGetString(name));
  return text ? Utf8ToUtf16(text) : std::u16string();
}

}  // namespace

TGLColor ColorToGLFloat4(std::uint32_t color) {
  return {{static_cast<GLfloat>((color >> 16) & 0xFF) / 255.0f, static_cast<GLfloat>((color >> 8) & 0xFF) / 255.0f,
           static_cast<GLfloat>(color & 0xFF) / 255.0f, static_cast<GLfloat>(color >> 24) / 255.0f}};
}

void TOGLDevice::Describe(TClassBuilder<TOGLDevice>& c) {
  c.Method("FullScreen", &TOGLDevice::FullScreen);
  c.Method("Pick", &TOGLDevice::Pick);
  c.Method("ModelViewProj", &TOGLDevice::ModelViewProj);
  c.Method("CreatePixmap", &TDevice::ScriptCreatePixmap);
  c.Method("DestroyPixmap", &TDevice::ScriptDestroyPixmap);
  c.Method("LockPixmapRectARGB", &TDevice::LockPixmapRectARGB);
  c.Method("UnlockPixmap", &TDevice::UnlockPixmap);
  c.Method("SetPixmap", &TOGLDevice::SetPixmap);
  c.Method("SetTextureMatrix", &TOGLDevice::SetTextureMatrix);
  c.Method("CreateMesh", &TDevice::ScriptCreateMesh);
  c.Method("DestroyMesh", &TDevice::ScriptDestroyMesh);
  c.Method("LockMeshVertex", &TDevice::LockMeshVertex);
  c.Method("UnlockMeshVertex", &TDevice::UnlockMeshVertex);
  c.Method("LockMeshIndex", &TDevice::LockMeshIndex);
  c.Method("UnlockMeshIndex", &TDevice::UnlockMeshIndex);
  c.Method("DrawMesh", &TOGLDevice::DrawMesh);
  // By name the points come as an array, which Count may not reach past.
  c.Method("DrawLine", [](TOGLDevice& device, const std::vector<TSpaceVector>& points, std::int32_t count,
                          float width) {
    if (count > 0 && static_cast<std::size_t>(count) > points.size())
      throw EConvertError("DrawLine: " + IntToStr8(count) + " points asked, " +
                          IntToStr8(static_cast<std::int64_t>(points.size())) + " given");
    device.DrawLine(points.data(), count, width);
  });
  c.Method("SetMaterial", &TOGLDevice::SetMaterial);
}

// ------------------------------------------------------------------ life

TOGLDevice::TOGLDevice(TWindow* window) : TDevice(window) {}

TOGLDevice::~TOGLDevice() { DestroyContext(); }

void TOGLDevice::AfterConstruction() {
  TDevice::AfterConstruction();
  if (!CreateContext()) {
    EngineError(u"Can't create AGL context");
    return;
  }
  ListDisplayModes();
  TWindow* window = Window();
  glViewport(0, 0, window->BufferWidth, window->BufferHeight);
  // No wait for the vertical retrace: the main loop paces the frames.
  SDL_GL_SetSwapInterval(0);
  WriteOGLLog();
  PrepareObjects();
}

void TOGLDevice::BeforeDestruction() {
  if (MakeCurrent()) ReleaseObjects();
  DestroyContext();
  TDevice::BeforeDestruction();
}

bool TOGLDevice::CreateContext() {
  TWindow* window = Window();
  // Without the library's entry points there is nothing to draw with.
  if (!window || !window->Handle || !LibGL() || !glGetString) return false;
  auto* sdlWindow = static_cast<SDL_Window*>(window->Handle);
  SDL_GLContext context = SDL_GL_CreateContext(sdlWindow);
  if (!context) {
    EngineError(u"SDL: " + Utf8ToUtf16(SDL_GetError()));
    return false;
  }
  // A context without fixed-function drawing (a core profile) cannot run
  // this device.
  if (SDL_GL_MakeCurrent(sdlWindow, context) != 0 || !glGetString(GL_VERSION)) {
    SDL_GL_DeleteContext(context);
    return false;
  }
  context_ = context;
  sdlWindow_ = sdlWindow;
  window->GLContext = context;
  return true;
}

void TOGLDevice::DestroyContext() {
  if (!context_) return;
  if (SDL_GL_GetCurrentContext() == context_) SDL_GL_MakeCurrent(static_cast<SDL_Window*>(sdlWindow_), nullptr);
  SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context_));
  if (TWindow* window = Window(); window && window->GLContext == context_) window->GLContext = nullptr;
  context_ = nullptr;
  StateLists.fill(0);  // the lists went with the context
  batch_.Clear();      // and what was gathered to draw in it
  glTextureMatrix_ = IdentityPlaneMatrix;
  boundTexture_ = stageTexture_ = 0;
  maxTextureSize_ = 0;
  boundArrayBuffer_ = boundElementBuffer_ = 0;
  clientArrays_ = 0;
  arraysValid_ = false;
  currentInCall_ = 0;
}

bool TOGLDevice::MakeCurrentThroughSDL() {
  if (!context_) return false;
  if (SDL_GL_GetCurrentContext() != context_ &&
      SDL_GL_MakeCurrent(static_cast<SDL_Window*>(sdlWindow_), static_cast<SDL_GLContext>(context_)) != 0)
    return false;
  // Within one draw call only this device runs: once is enough.
  currentInCall_ = DrawCallSerial();
  return true;
}

bool TOGLDevice::IsHardwareSupport(TWindow*) { return HasContext(); }

void TOGLDevice::ProcessTick(float deltaTime, float time) {
  // Without a context nothing could be allocated: no growing either.
  if (HasContext()) TDevice::ProcessTick(deltaTime, time);
}

void TOGLDevice::WriteOGLLog() {
  const std::u16string rule = u"Hardware info ==================================================";
  EngineLog(rule);
  EngineLog(u"OGL Vendor " + GLText(GL_VENDOR));
  EngineLog(u"OGL Renderer " + GLText(GL_RENDERER));
  EngineLog(u"OGL Version " + GLText(GL_VERSION));
  const std::u16string extensions = GLText(GL_EXTENSIONS);
  std::size_t start = 0;
  while (start < extensions.size()) {
    const std::size_t end = std::min(extensions.find_first_of(u" ,", start), extensions.size());
    if (end > start) EngineLog(u"Extention supported - " + extensions.substr(start, end - start));
    start = end + 1;
  }
  // Extension pointers come from the context's own loader.
  SetGLProcResolver(&SDL_GL_GetProcAddress);
  HasVertexBufferObject = Load_GL_ARB_vertex_buffer_object();
  EngineLog(HasVertexBufferObject ? u"GL_ARB_vertex_buffer_object supported"
                                  : u"GL_ARB_vertex_buffer_object not supported");
  HasBGRA = Load_GL_EXT_bgra();
  EngineLog(HasBGRA ? u"GL_BGRA supported" : u"GL_BGRA unsupported");
  HasGenerateMipmap = Load_GL_SGIS_generate_mipmap();
  EngineLog(HasGenerateMipmap ? u"GL_SGIS_generate_mipmap supported" : u"GL_SGIS_generate_mipmap unsupported");
  HasBlendFuncSeparate = Load_GL_EXT_blend_func_separate();
  EngineLog(HasBlendFuncSeparate ? u"GL_EXT_blend_func_separate supported"
                                 : u"GL_EXT_blend_func_separate not supported");
  // Used when present, not reported: DrawMeshRange then tells the renderer
  // the range of the indices.
  HasDrawRangeElements = Load_GL_EXT_draw_range_elements();
  EngineLog(rule);
}

// ------------------------------------------------------- applet settings

std::uint32_t TOGLDevice::BackgroundColor() const {
  const TWindowHost* host = Host();
  return host ? host->BkColor() : 0xFF000000;  // the applet's own default
}

bool TOGLDevice::LightingSwitch() const {
  const TWindowHost* host = Host();
  return host && host->Lighting();
}

float TOGLDevice::AppletScale() const {
  const TWindowHost* host = Host();
  return host ? host->Scale() : 1.0f;
}

// ---------------------------------------------------------------- frames

void TOGLDevice::RenderWindow() {
  TWindow* window = Window();
  const bool layered = window->Style == layerStyle;
  // What was drawn since the last frame belongs to the picture a caller
  // may read now (a pending frame) or to the one this clears.
  Flush();
  if (!layered && FramePending) return;
  if (!MakeCurrent()) return;
  if (!layered) ClearFrame();
  SetFixedState();
  SetLights();
  if (layered) RenderLayer();
  else RenderScene();
  Flush();
  FramePending = true;
}

void TOGLDevice::ClearFrame() {
  const std::uint32_t color = BackgroundColor();
  // Depth writes may have been left off by the last frame's rsZWriteOff;
  // the clear needs them.
  glDepthMask(GL_TRUE);
  glClearDepth(1.0);
  const TGLColor c = ColorToGLFloat4(color);
  glClearColor(c.rgba[0], c.rgba[1], c.rgba[2], 0);
  // A background of 0 keeps the previous picture.
  glClear(color == 0 ? GL_DEPTH_BUFFER_BIT : GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void TOGLDevice::SetFixedState() {
  glShadeModel(GL_SMOOTH);
  glPolygonMode(GL_FRONT, GL_FILL);
  glEnable(GL_BLEND);
  glEnable(GL_ALPHA_TEST);
  SetRenderState(rsBlendNormal);
  glDepthMask(GL_TRUE);
  glEnable(GL_TEXTURE_2D);
  glFrontFace(GL_CCW);
  glCullFace(GL_BACK);
  glEnable(GL_CULL_FACE);
  glEnable(GL_COLOR_MATERIAL);
  glColorMaterial(GL_FRONT, GL_DIFFUSE);
  glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SINGLE_COLOR);
  glEnable(GL_NORMALIZE);
}

void TOGLDevice::SetLights() {
  const TWindow* window = Window();
  for (int i = 0; i < kWindowLightCount; ++i) {
    const TLight& light = window->Lights[static_cast<std::size_t>(i)];
    if (!light.Enabled) continue;
    const GLenum name = GL_LIGHT0 + static_cast<GLenum>(i);
    glLightfv(name, GL_AMBIENT, ColorToGLFloat4(light.Ambient).rgba);
    glLightfv(name, GL_DIFFUSE, ColorToGLFloat4(light.Diffuse).rgba);
    glLightfv(name, GL_SPECULAR, ColorToGLFloat4(light.Specular).rgba);
    // The position is taken in the matrices of the light's scene.
    SetRenderState(light.ScreenSpace ? rs2DScene : rs3DScene);
    // A directional light: OpenGL wants the direction towards the light,
    // that is from the target back to the position.
    const TSpaceVector toLight = VectorSpaceNormalize(SpaceVectorSubtract(light.Position, light.Target));
    const GLfloat position[4] = {toLight.x, toLight.y, toLight.z, 0};
    glLightfv(name, GL_POSITION, position);
  }
}

void TOGLDevice::RenderLayer() {
  TWindow* window = Window();
  const std::int32_t w = std::max(window->BufferWidth, 0), h = std::max(window->BufferHeight, 0);
  const std::size_t pixels = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
  if (window->LayerPixels.size() != pixels) window->LayerPixels.assign(pixels, 0);
  auto clear = [] {
    glDepthMask(GL_TRUE);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  };
  clear();
  if (HasBlendFuncSeparate) {
    RenderScene();
    Flush();
    glFlush();
    glReadPixels(0, 0, w, h, GL_BGRA, GL_UNSIGNED_BYTE, window->LayerPixels.data());
    clear();
    return;
  }
  // Without separate blending the alpha and the colours take a pass each.
  if (layerAlpha_.size() != pixels) layerAlpha_.assign(pixels, 0);
  glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
  glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
  RenderScene();
  Flush();
  glReadPixels(0, 0, w, h, GL_BGRA, GL_UNSIGNED_BYTE, layerAlpha_.data());
  clear();
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  RenderScene();
  Flush();
  glReadPixels(0, 0, w, h, GL_BGRA, GL_UNSIGNED_BYTE, window->LayerPixels.data());
  clear();
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  for (std::size_t i = 0; i < pixels; ++i)
    window->LayerPixels[i] = (window->LayerPixels[i] & 0x00FFFFFF) | (layerAlpha_[i] & 0xFF000000);
}

void TOGLDevice::FlipWindow() {
  Flush();
  if (!FramePending) return;
  FramePending = false;
  if (Window()->Style == layerStyle || !MakeCurrent()) return;
  SDL_GL_SwapWindow(static_cast<SDL_Window*>(sdlWindow_));
}

void TOGLDevice::ResizePBuffer() {
  TWindow* window = Window();
  const std::size_t pixels =
      static_cast<std::size_t>(std::max(window->BufferWidth, 0)) * static_cast<std::size_t>(std::max(window->BufferHeight, 0));
  window->LayerPixels.assign(pixels, 0);
}

void TOGLDevice::ResizeDevice() {
  Flush();
  if (!MakeCurrent()) return;
  TWindow* window = Window();
  if (window->Style == layerStyle) ResizePBuffer();
  // The layer is read from the window's own buffer here: both follow the size.
  glViewport(0, 0, window->BufferWidth, window->BufferHeight);
  RebuildStates();
  RenderWindow();
}

// ------------------------------------------------------------- materials

void TOGLDevice::SetMaterial(const TMaterial& material) {
  Material = material;
  if (!MakeCurrent()) return;
  SetRenderState(material.Lighting ? rsLightOn : rsLightOff);
  // Unlit, the gathered vertices carry their colour; lit, the material
  // shades them.
  if (!batch_.Empty() && glIsEnabled(GL_LIGHTING) == GL_TRUE) Flush();
  const TGLColor diffuse = ColorToGLFloat4(material.Diffuse);
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ColorToGLFloat4(material.Ambient).rgba);
  glColor4f(diffuse.rgba[0], diffuse.rgba[1], diffuse.rgba[2], diffuse.rgba[3]);
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse.rgba);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, ColorToGLFloat4(material.Specular).rgba);
  const GLfloat none[4] = {0, 0, 0, 0};
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, none);
  glMateriali(GL_FRONT, GL_SHININESS, 64);
}

void TOGLDevice::SetTextureMatrix(const TPlaneMatrix& matrix) {
  TextureMatrix = matrix;
  if (!MakeCurrent()) return;
  // Gathered draws carry the matrix in their texture coordinates.
  glTextureMatrix_ = matrix;
  TSpaceMatrix m = IdentitySpaceMatrix;
  m[0][0] = matrix[0][0];
  m[0][1] = matrix[0][1];
  m[1][0] = matrix[1][0];
  m[1][1] = matrix[1][1];
  m[3][0] = matrix[2][0];
  m[3][1] = matrix[2][1];
  glMatrixMode(GL_TEXTURE);
  LoadMatrix(m);
}

std::uint32_t TOGLDevice::CorrectMeshVertexColor(std::uint32_t color) {
  // Bytes in memory red, green, blue, alpha: swap red and blue of ARGB.
  return (color & 0xFF00FF00) | ((color >> 16) & 0xFF) | ((color & 0xFF) << 16);
}

// ------------------------------------------------------------ projection

TSpaceMatrix TOGLDevice::GetProjMat() const {
  const TWindow* window = Window();
  float aspect = 0.75f;
  if (window->Style == layerStyle) {
    if (window->Width > 0) aspect = static_cast<float>(window->Height) / static_cast<float>(window->Width);
  } else if (window->BufferWidth > 0) {
    aspect = static_cast<float>(window->BufferHeight) / static_cast<float>(window->BufferWidth);
  }
  return SceneProjection(aspect, AppletScale());
}

TSpaceMatrix TOGLDevice::ScreenProjectionMatrix() const {
  const TWindow* window = Window();
  return ScreenProjection(static_cast<float>(window->BufferWidth), static_cast<float>(window->BufferHeight),
                          static_cast<float>(window->DrawOffsetX), static_cast<float>(window->DrawOffsetY),
                          AppletScale());
}

TSpaceMatrix TOGLDevice::ModelViewProj() { return SpaceMatrixMultiply(Window()->ViewMatrix, GetProjMat()); }

void TOGLDevice::Pick(float x, float y, TSpaceVector& origin, TSpaceVector& direction) {
  const TWindow* window = Window();
  ScenePickRay(GetProjMat(), window->ViewMatrix, x, y, AppletScale(), window->DrawOffsetX, window->DrawOffsetY,
               window->BufferWidth, window->BufferHeight, origin, direction);
}

// ----------------------------------------------------------------- lines

void TOGLDevice::DrawLine(const TSpaceVector* points, std::int32_t count, float width) {
  if (!points || count <= 0) return;
  Flush();
  if (!MakeCurrent()) return;
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glMultMatrixf(&SpaceMatrix[0].x);
  const TGLColor color = ColorToGLFloat4(Material.Diffuse);
  glColor4f(color.rgba[0], color.rgba[1], color.rgba[2], color.rgba[3]);
  glLineWidth(width);
  // A line has no face to light nor texture coordinates of its own: it
  // shows its colour whatever the lights, not lit by whichever normal nor
  // textured by whichever texel the last drawing left.
  const bool lit = glIsEnabled(GL_LIGHTING) == GL_TRUE;
  if (lit) glDisable(GL_LIGHTING);
  const bool textured = glIsEnabled(GL_TEXTURE_2D) == GL_TRUE;
  if (textured) glDisable(GL_TEXTURE_2D);
  glBegin(GL_LINES);
  for (std::int32_t i = 0; i < count; ++i) glVertex3fv(&points[i].x);
  glEnd();
  if (textured) glEnable(GL_TEXTURE_2D);
  if (lit) glEnable(GL_LIGHTING);
  glPopMatrix();
}

// ------------------------------------------------------ the registered one

TGenericGLDevice::TGenericGLDevice(TWindow* window) : TOGLDevice(window) {
  // A failed load leaves every entry point null: the context is then
  // refused and the device counts as none.
  if (OGLRef == 0 || !LibGL()) LoadOpenGL(kOpenGLLibrary);
  ++OGLRef;
}

TGenericGLDevice::~TGenericGLDevice() {
  if (--OGLRef == 0) FreeOpenGL();
}

std::int32_t RegisterGLDevice() {
  const std::int32_t index = RegisterDevice(DeviceClassOf<TGenericGLDevice>());
  DefaultDevice = index;
  return index;
}

}  // namespace corvane
