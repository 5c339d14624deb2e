#include "platform/device.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "base/geometry/bounds.h"
#include "base/geometry/matrix.h"
#include "base/reflection/class_builder.h"
#include "base/streams/resource_man.h"
#include "base/system/file_utils.h"
#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "platform/media_budget.h"
#include "platform/platform.h"
#include "platform/script_made_media.h"
#include "platform/sys_font.h"
#include "platform/window.h"
#include "platform/window_host.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TDevice)

std::int32_t CurColorVertexCount = kStartColorVertexCount;
std::int32_t CurIndexCount = kStartIndexCount;
std::int32_t DefaultDevice = -1;

namespace {

std::vector<TDeviceClass>& Registry() {
  static std::vector<TDeviceClass> list;
  return list;
}

// printf's "%<width>.2f" without the C locale.
std::u16string Fixed2(float value, int width) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value),
                                    std::chars_format::fixed, 2);
  std::string text(buffer, result.ec == std::errc() ? result.ptr : buffer);
  if (static_cast<int>(text.size()) < width) text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
  return WidenLatin1(text);
}

std::u16string PaddedInt(std::int64_t value, int width) {
  std::u16string text = IntToStr(value);
  if (static_cast<int>(text.size()) < width) text.insert(0, static_cast<std::size_t>(width) - text.size(), u' ');
  return text;
}

// Token n (0: width, 1: height) of a mode text as a 32-bit integer; 0 when
// it does not convert.
std::int32_t ModeNumber(std::u16string text, int n) {
  std::u16string token;
  for (int i = 0; i <= n; ++i) token = GetToken(text, u" ,x");
  const auto value = TryStrToInt64(token);
  if (!value || *value < std::numeric_limits<std::int32_t>::min() || *value > std::numeric_limits<std::int32_t>::max())
    return 0;
  return static_cast<std::int32_t>(*value);
}

}  // namespace

const std::vector<TDeviceClass>& DeviceList() { return Registry(); }

std::int32_t RegisterDevice(const TDeviceClass& deviceClass) {
  Registry().push_back(deviceClass);
  return static_cast<std::int32_t>(Registry().size()) - 1;
}

TDevice* CreateDevice(const TDeviceClass& deviceClass, TWindow* window) {
  if (!deviceClass.Construct) return nullptr;
  TDevice* device = deviceClass.Construct(window);
  if (!device) return nullptr;
  try {
    device->AfterConstruction();
  } catch (...) {
    device->Free();
    throw;
  }
  if (!device->IsHardwareSupport(window)) {
    device->Free();
    return nullptr;
  }
  return device;
}

void TDevice::Describe(TClassBuilder<TDevice>& c) {
  c.Method("SetRenderState", &TDevice::SetRenderState);
  c.Method("saveRenderState", &TDevice::saveRenderState);
  c.Method("restoreRenderState", &TDevice::restoreRenderState);
  c.Method("FillRect", static_cast<void (TDevice::*)(float, float, float, float, float)>(&TDevice::FillRect));
}

TDevice::TDevice(TWindow* window)
    : TSomePersistent(TCreateContext(window && window->Root ? window->Root->HostObject() : nullptr)),
      window_(window),
      host_(window ? window->Root : nullptr) {}

TObject* TDevice::MediaOwner() const { return host_ ? host_->HostObject() : nullptr; }

TDevice::~TDevice() = default;

void TDevice::AfterConstruction() {
  TSomePersistent::AfterConstruction();
  EngineLog(DeviceName() + u" device manager stared");
}

void TDevice::BeforeDestruction() {
  ReleaseObjects();
  TSomePersistent::BeforeDestruction();
  EngineLog(DeviceName() + u" device manager closed");
}

// ------------------------------------------------------------ render states

void TDevice::SetRenderState(TRenderState state) {
  if (state >= kRenderStateCount || ActiveStates[state]) return;
  ++StateChanges;
  for (int s = 0; s < kRenderStateCount; ++s)
    if (RenderStatePartners(state, static_cast<TRenderState>(s))) ActiveStates[s] = false;
  ActiveStates[state] = true;
  ApplyRenderState(state);
}

void TDevice::saveRenderState() {
  saved_.States = ActiveStates;
  saved_.Matrix = SpaceMatrix;
  saved_.Material = Material;
}

void TDevice::restoreRenderState() {
  SpaceMatrix = saved_.Matrix;
  SetMaterial(saved_.Material);
  for (int s = 0; s < kRenderStateCount; ++s)
    if (saved_.States[s]) SetRenderState(static_cast<TRenderState>(s));
}

void TDevice::RebuildStates() {
  for (int s = kFirstPreparedState; s <= kLastPreparedState; ++s) CreateRenderStateList(static_cast<TRenderState>(s));
}

void TDevice::SetColor(std::uint32_t color) {
  TMaterial material;
  material.Lighting = false;
  material.Diffuse = material.Ambient = material.Specular = color;
  SetMaterial(material);
}

void TDevice::SetSpaceMatrix(const TSpaceMatrix& matrix) {
  SpaceMatrix = matrix;
  if (ActiveStates[rs2DScene]) {
    SpaceMatrix[3].x += PixelOffset;
    SpaceMatrix[3].y += PixelOffset;
  }
}

void TDevice::ProcessTick(float deltaTime, float time) {
  if (GrowRequest) {
    IncreaseDynamicMesh();
    GrowRequest = false;
  }
  if (window_ && window_->Caret) UpdateCaret(window_->Caret, deltaTime, time);
}

// ---------------------------------------------------------------- resources

TMesh* TDevice::CreateMesh(TVertexFormat format, std::int32_t vertexCount, bool indexed, std::int32_t indexCount,
                           bool dynamic, bool animated, std::int32_t frameCount) {
  const std::int64_t bytes = static_cast<std::int64_t>(vertexCount) * VertexSize(format);
  const std::int64_t frames = animated && frameCount > 1 ? frameCount : 1;
  if (format > vfNone || vertexCount < 0 || indexCount < 0 || frameCount < 0 ||
      bytes > std::numeric_limits<std::int32_t>::max() ||
      bytes * frames > std::numeric_limits<std::int32_t>::max()) {
    EngineError(u"Can't create mesh of " + IntToStr(vertexCount) + u" vertices, " + IntToStr(indexCount) +
                u" indices, " + IntToStr(frameCount) + u" frames");
    return nullptr;
  }
  auto* mesh = Create<TMesh>(TCreateContext(MediaOwner()));
  mesh->VertexFormat = format;
  mesh->VertexCount = vertexCount;
  mesh->VertexBufferSize = static_cast<std::int32_t>(bytes);
  mesh->Indexed = indexed;
  mesh->IndexCount = indexCount;
  mesh->Dynamic = dynamic;
  mesh->Animated = animated;
  mesh->FrameCount = frameCount;
  if (!AllocateMesh(*mesh)) {
    mesh->Free();
    return nullptr;
  }
  meshes_.push_back(mesh);
  return mesh;
}

void TDevice::Forget(TMesh* mesh) {
  meshes_.erase(std::remove(meshes_.begin(), meshes_.end(), mesh), meshes_.end());
  if (CurrentMesh == mesh) CurrentMesh = nullptr;
  if (DynamicMesh == mesh) DynamicMesh = nullptr;
  if (ParticleMesh == mesh) ParticleMesh = nullptr;
}

void TDevice::Forget(TPixmap* pixmap) {
  pixmaps_.erase(std::remove(pixmaps_.begin(), pixmaps_.end(), pixmap), pixmaps_.end());
  for (TPixmap*& stage : Stages)
    if (stage == pixmap) stage = nullptr;
  if (ParticlePixmap == pixmap) ParticlePixmap = nullptr;
}

void TDevice::DestroyMesh(TMesh*& mesh) {
  TMesh* m = mesh;
  mesh = nullptr;
  if (!m) return;
  Forget(m);
  ReleaseMesh(*m);
  m->Free();
}

bool TDevice::LockMeshVertex(TMesh* mesh, std::int32_t count, void*& data) {
  data = nullptr;
  if (!mesh || count < 0) return false;
  if (static_cast<std::int64_t>(count) * VertexSize(mesh->VertexFormat) > mesh->VertexStoreSize()) return false;
  void* store = MapMeshVertex(*mesh);
  if (!store) return false;
  data = store;
  mesh->LockedVertexCount = count;
  mesh->BaseVertex = 0;
  return true;
}

void TDevice::UnlockMeshVertex(TMesh* mesh) {
  if (mesh) UnmapMeshVertex(*mesh);
}

bool TDevice::LockMeshIndex(TMesh* mesh, std::int32_t count, void*& data) {
  data = nullptr;
  if (!mesh || !mesh->Indexed || count < 0 || count > mesh->IndexCount) return false;
  void* store = MapMeshIndex(*mesh);
  if (!store) return false;
  data = store;
  mesh->LockedIndexCount = count;
  return true;
}

void TDevice::UnlockMeshIndex(TMesh* mesh) {
  if (mesh) UnmapMeshIndex(*mesh);
}

TPixmap* TDevice::CreatePixmap(std::int32_t width, std::int32_t height) {
  if (width < 0 || height < 0 ||
      static_cast<std::int64_t>(width) * height * 4 > std::numeric_limits<std::int32_t>::max()) {
    EngineError(u"Can't create pixmap of " + IntToStr(width) + u"x" + IntToStr(height));
    return nullptr;
  }
  const std::int64_t textureBytes = TextureBytes(width, height);
  if (const std::u16string why = PictureOverBudget(width, height, textureBytes); !why.empty()) {
    EngineError(u"Can't create pixmap of " + IntToStr(width) + u"x" + IntToStr(height) + u": " + why);
    return nullptr;
  }
  auto* pixmap = Create<TPixmap>(TCreateContext(MediaOwner()));
  pixmap->Width = width;
  pixmap->Height = height;
  if (!AllocatePixmap(*pixmap)) {
    pixmap->Free();
    return nullptr;
  }
  HoldTexture(*pixmap, textureBytes);
  pixmaps_.push_back(pixmap);
  return pixmap;
}

void TDevice::HoldTexture(TPixmap& pixmap, std::int64_t bytes) {
  ReleasePictureBytes(pixmap.TextureBytes);
  HoldPictureBytes(bytes);
  pixmap.TextureBytes = bytes;
}

void TDevice::DestroyPixmap(TPixmap*& pixmap) {
  TPixmap* p = pixmap;
  pixmap = nullptr;
  if (!p) return;
  if (p->Locked()) UnlockPixmap(p);
  Forget(p);
  ReleasePixmap(*p);
  HoldTexture(*p, 0);
  p->Free();
}

TPixmap* TDevice::ScriptCreatePixmap(std::int32_t width, std::int32_t height) {
  return MarkMadeForScript(CreatePixmap(width, height));
}

void TDevice::ScriptDestroyPixmap(TPixmap*& pixmap) {
  if (pixmap && ScriptMayDestroy(pixmap, pixmaps_, u"pixmap")) DestroyPixmap(pixmap);
}

TMesh* TDevice::ScriptCreateMesh(TVertexFormat format, std::int32_t vertexCount, bool indexed,
                                 std::int32_t indexCount, bool dynamic, bool animated, std::int32_t frameCount) {
  return MarkMadeForScript(CreateMesh(format, vertexCount, indexed, indexCount, dynamic, animated, frameCount));
}

void TDevice::ScriptDestroyMesh(TMesh*& mesh) {
  if (mesh && ScriptMayDestroy(mesh, meshes_, u"mesh")) DestroyMesh(mesh);
}

bool TDevice::PictureFits(std::int64_t width, std::int64_t height, const std::string& name) const {
  return corvane::PictureFits(this, width, height, name);
}

bool TDevice::LockPixmapRectARGB(TPixmap* pixmap, std::int32_t x, std::int32_t y, std::int32_t width,
                                 std::int32_t height, void*& bits, bool readBack) {
  bits = nullptr;
  if (!pixmap) return false;
  if (pixmap->Locked()) {
    EngineError(u"Pixmap already locked");
    return false;
  }
  if (x < 0 || y < 0 || width < 0 || height < 0 || static_cast<std::int64_t>(x) + width > pixmap->Width ||
      static_cast<std::int64_t>(y) + height > pixmap->Height)
    return false;
  if (readBack && pixmap->UploadFailed) return false;
  const std::int64_t bytes = std::int64_t{width} * height * 4;
  if (const std::u16string why = PictureOverBudget(width, height, bytes); !why.empty()) {
    EngineError(u"Can't lock pixmap of " + IntToStr(pixmap->Width) + u"x" + IntToStr(pixmap->Height) + u": " + why);
    return false;
  }
  void* pixels = MapPixmap(*pixmap, x, y, width, height, readBack);
  if (!pixels) return false;
  HoldPictureBytes(bytes);
  pixmap->LockedBytes = bytes;
  pixmap->LockedBits = pixels;
  bits = pixels;
  return true;
}

void TDevice::UnlockPixmap(TPixmap* pixmap) {
  if (!pixmap || !pixmap->Locked()) return;
  UnmapPixmap(*pixmap);
  pixmap->LockedBits = nullptr;
  ReleasePictureBytes(pixmap->LockedBytes);
  pixmap->LockedBytes = 0;
}

void TDevice::PrepareObjects() {
  DynamicMesh = CreateMesh(vfColorPixmapVertex, CurColorVertexCount, true, CurIndexCount, true, false, 0);
  RebuildStates();
}

void TDevice::ReleaseObjects() {
  while (!pixmaps_.empty()) {
    TPixmap* p = pixmaps_.back();
    DestroyPixmap(p);
  }
  while (!meshes_.empty()) {
    TMesh* m = meshes_.back();
    DestroyMesh(m);
  }
}

void TDevice::IncreaseDynamicMesh() {
  const std::int32_t vertices = std::min(CurColorVertexCount + IncColorVertexCount, MaxColorVertex);
  const std::int32_t indices = std::min(CurIndexCount + IncIndexCount, MaxIndex);
  if (vertices == CurColorVertexCount && indices == CurIndexCount) return;
  CurColorVertexCount = vertices;
  CurIndexCount = indices;
  DestroyMesh(DynamicMesh);
  DynamicMesh = CreateMesh(vfColorPixmapVertex, CurColorVertexCount, true, CurIndexCount, true, false, 0);
  EngineLog(u"Dynamic mesh increased to new size VB=" + IntToStr(CurColorVertexCount) + u" IB=" +
            IntToStr(CurIndexCount));
}

// -------------------------------------------------------------------- fonts

namespace {

// Longer font names make cache file names past what file systems take.
constexpr std::size_t kMaxFontNameBytes = 128;

// What makes a font name no part of a file name, "" when nothing does.
std::u16string OddFontName(std::string_view name) {
  if (name.empty()) return u"is empty";
  if (name.size() > kMaxFontNameBytes)
    return u"is longer than " + IntToStr(static_cast<std::int32_t>(kMaxFontNameBytes)) + u" bytes";
  for (const char c : name) {
    if (c == '/' || c == '\\') return u"holds a folder separator";
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return u"holds a control character";
  }
  return {};
}

}  // namespace

TFont* TDevice::CreateSysFont(const std::string& name, float size, TFontStyles style) {
  if (!SysFontClass || !SysFontClass->InheritsFrom(T3DSysFont::StaticClass())) return nullptr;
  auto* handle = dynamic_cast<T3DSysFont*>(SysFontClass->CreateInstance(TCreateContext(MediaOwner())));
  if (!handle) return nullptr;
  auto* font = Create<TFont>(TCreateContext(MediaOwner()));
  font->Name = name;
  font->Size = size;
  font->Style = style;
  font->Handle = handle;
  const std::int32_t whole = TruncFontSize(size);
  const std::string cacheFile = "cache/" + name + IntToStr8(whole) + FontStyleToStr(style) + ".fnbin";
  TResourceMan* resMan = host_ ? host_->ResMan() : nullptr;
  // The face name only names the cache file (every font is rasterised from
  // the one face): a name that cannot be one file's name in "cache/" is
  // said once, and the font is made without a cache file.
  if (const std::u16string odd = OddFontName(name); !odd.empty()) {
    EngineError(u"Can't cache font \"" + Utf8ToUtf16(name) + u"\" in " + Utf8ToUtf16(cacheFile) + u": its name " +
                odd);
    resMan = nullptr;
  }
  // On an applet's first run the cache folder does not exist yet; asking
  // for a file in a missing folder is an error the applet did not make.
  if (resMan) resMan->CreateFolder("cache");
  if (resMan && resMan->StreamExists(cacheFile))
    handle->InitFromFile(resMan, cacheFile, name, whole, style, true);
  else
    handle->InitFromFont(resMan, cacheFile, name, whole, style, true);
  return font;
}

void TDevice::DestroyFont(TFont*& font) { FreeAndNil(font); }

// ------------------------------------------------------------------- carets

TCaret* TDevice::CreateCaret(std::int32_t width, std::int32_t height, std::uint32_t color) {
  auto* caret = Create<TCaret>(TCreateContext(MediaOwner()));
  caret->Width = width;
  caret->Height = height;
  caret->Color = color;
  caret->Speed = 3.0f;
  if (window_) window_->Caret = caret;
  return caret;
}

void TDevice::DestroyCaret(TCaret*& caret) {
  TCaret* c = caret;
  caret = nullptr;
  if (!c) return;
  if (window_ && window_->Caret == c) window_->Caret = nullptr;
  c->Free();
}

void TDevice::ShowCaret(TCaret* caret) {
  if (caret) ++caret->ShowCount;
}

void TDevice::HideCaret(TCaret* caret) {
  if (caret) --caret->ShowCount;
}

void TDevice::SetCaretPosition(TCaret* caret, const TSpaceMatrix& matrix, float x, float y) {
  if (!caret) return;
  caret->Matrix = matrix;
  caret->X = x;
  caret->Y = y;
}

void TDevice::UpdateCaret(TCaret* caret, float deltaTime, float) {
  // An application in the background keeps its caret still.
  if (!caret || !host_ || !host_->Active()) return;
  if (window_) window_->CaretUpdating = true;
  caret->Phase += caret->Speed * deltaTime;
  if (caret->Phase > 1.0f) {
    caret->Phase = 1.0f;
    caret->Speed = -3.0f;
  } else if (caret->Phase < 0.0f) {
    caret->Phase = 0.0f;
    caret->Speed = 3.0f;
  }
  host_->NeedUpdate();
  if (window_) window_->CaretUpdating = false;
}

// -------------------------------------------------------- camera and lights

void TDevice::SetCameraPos(const TSpaceVector& position, const TSpaceVector& direction, const TSpaceVector& up) {
  if (!window_) return;
  window_->CameraPosition = position;
  window_->CameraDirection = direction;
  window_->CameraUp = up;
  window_->ViewMatrix = MatrixLookAtDirRH(position, direction, up);
  window_->Frustum = ExtractFrustumFromModelViewProjection(ModelViewProj());
}

std::int32_t TDevice::AddLight() {
  if (!window_) return -1;
  // The lowest free slot, so that lights made after others went (a mission
  // restarted) find one again.
  for (std::int32_t i = 1; i < kWindowLightCount; ++i) {
    bool& taken = window_->LightTaken[static_cast<std::size_t>(i)];
    if (taken) continue;
    taken = true;
    return i;
  }
  return -1;
}

void TDevice::FreeLight(std::int32_t index) {
  if (!window_ || index < 1 || index >= kWindowLightCount) return;
  window_->LightTaken[static_cast<std::size_t>(index)] = false;
  window_->Lights[static_cast<std::size_t>(index)] = TLight{};
}

void TDevice::SetLight(std::int32_t index, const TSpaceVector& position, const TSpaceVector& target,
                       std::uint32_t ambient, std::uint32_t diffuse, std::uint32_t specular, bool screenSpace,
                       bool enabled) {
  // A failed AddLight hands out -1: such an index names no record.
  if (!window_ || index < 0 || index >= kWindowLightCount) return;
  TLight& light = window_->Lights[static_cast<std::size_t>(index)];
  light.Position = position;
  light.Target = target;
  light.Ambient = ambient;
  light.Diffuse = diffuse;
  light.Specular = specular;
  light.ScreenSpace = screenSpace;
  light.Enabled = enabled;
}

// ------------------------------------------------------ frames and statistics

void TDevice::RenderScene() {
  if (!host_ || !host_->Ready()) return;
  ResetFrame();
  SetSpaceMatrix(IdentitySpaceMatrix);
  host_->PaintTree();
  DrawCaret();
  CountFrame();
  WriteDebugInfo();
}

void TDevice::DrawCaret() {
  const TCaret* caret = window_ ? window_->Caret : nullptr;
  if (!caret || caret->ShowCount <= 0) return;
  // The blink's phase is the outline's opacity.
  const float phase = std::clamp(caret->Phase, 0.0f, 1.0f);
  const auto alpha = static_cast<std::uint32_t>(255 * phase);
  SetSpaceMatrix(caret->Matrix);
  SetColor((alpha << 24) | (caret->Color & 0x00FFFFFF));
  DrawRect(Rect(caret->X, caret->Y, caret->X + static_cast<float>(caret->Width),
                caret->Y + static_cast<float>(caret->Height)),
           1.0f, 0.0f);
}

void TDevice::ResetFrame() {
  for (TMesh* mesh : {DynamicMesh, ParticleMesh}) {
    if (!mesh) continue;
    mesh->LockedVertexCount = 0;
    mesh->BaseVertex = 0;
    mesh->LockedIndexCount = 0;
  }
  TriangleCount = 0;
  ParticleCount = 0;
  StateChanges = 0;
  ActiveStates.fill(false);
  CurrentMesh = nullptr;
  Stages.fill(nullptr);
  Material = TMaterial();
}

void TDevice::CountFrame() {
  CurrentTime = host_ ? host_->CurrentTime() : 0.0f;
  Elapsed += CurrentTime - LastTime;
  LastTime = CurrentTime;
  ++FrameCount;
  if (Elapsed > 1.0f) {
    Fps = static_cast<float>(FrameCount) / Elapsed;
    MaxFps = std::max(MaxFps, Fps);
    AvgFps = (AvgFps + Fps) / 2;
    Elapsed = 0;
    FrameCount = 0;
  }
}

void TDevice::WriteDebugInfo() {
  if (!host_ || !host_->DebugFormVisible()) return;
  EngineShowInfo(u"Render:", DeviceName());
  EngineShowInfo(u"FPS:", Fixed2(Fps, 4));
  EngineShowInfo(u"Avg FPS:", Fixed2(AvgFps, 4));
  EngineShowInfo(u"Max FPS:", Fixed2(MaxFps, 4));
  EngineShowInfo(u"Tri Count:", PaddedInt(TriangleCount, 6));
  if (window_)
    EngineShowInfo(u"Buffer Size:", IntToStr(window_->BufferWidth) + u"x" + IntToStr(window_->BufferHeight));
  EngineShowInfo(u"Pixmap N:", IntToStr(static_cast<std::int64_t>(pixmaps_.size())));
  EngineShowInfo(u"Mesh N:", IntToStr(static_cast<std::int64_t>(meshes_.size())));
  EngineShowInfo(u"States:", IntToStr(StateChanges));
  EngineShowInfo(u"Particle Count:", IntToStr(ParticleCount));
}

void TDevice::WriteStatistics() {
  EngineLog(u"==== Device statistics ==========");
  EngineLog(u"Max FPS: " + Fixed2(MaxFps, 4));
  EngineLog(u"Avg FPS: " + Fixed2(AvgFps, 4));
  EngineLog(u"==== Device statistics finish ===");
}

// ------------------------------------------------------------- screen modes

std::int32_t TDevice::GetScreenWidth(std::int32_t n) const {
  if (n < 0) return DesktopWidth;
  if (n >= ScreenModes.Count()) return 0;
  return ModeNumber(ScreenModes.Get(n), 0);
}

std::int32_t TDevice::GetScreenHeight(std::int32_t n) const {
  if (n < 0) return DesktopHeight;
  if (n >= ScreenModes.Count()) return 0;
  return ModeNumber(ScreenModes.Get(n), 1);
}

}  // namespace corvane
