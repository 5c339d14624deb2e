#include "formats/3ds/scene_settings.h"

#include <vector>

#include "formats/3ds/chunk_ids.h"
#include "formats/3ds/extract.h"
#include "formats/3ds/file.h"

namespace corvane {

using namespace chunk3ds;

namespace {

TChunk3DS* EditorData(TFile3DS& file) { return FindChunk(file.TopChunk(), MDATA); }

// The float colour of a COLOR_F-like chunk, or of bytes divided by 255.
bool ReadColor(TFile3DS& file, TChunk3DS* chunk, TFColor3DS& color) {
  if (chunk == nullptr) return false;
  bool found = false;
  if (chunk->Tag == COLOR_F || chunk->Tag == LIN_COLOR_F)
    WithValue<TFColor3DS>(file, chunk, [&](const TFColor3DS& c) { color = c, found = true; });
  else
    WithValue<TColor24>(file, chunk, [&](const TColor24& c) { color = ColorFromBytes(c), found = true; });
  return found;
}

// The first of the float form or, without it, the byte form under chunk.
void ReadColorUnder(TFile3DS& file, TChunk3DS* chunk, std::uint16_t floatTag, std::uint16_t byteTag, TFColor3DS& color) {
  if (!ReadColor(file, FindChunk(chunk, floatTag), color)) ReadColor(file, FindChunk(chunk, byteTag), color);
}

template <class T, class Use>
void WithChild(TFile3DS& file, TChunk3DS* parent, std::uint16_t tag, Use use) {
  WithValue<T>(file, FindNextChunk(parent->Children(), tag), use);
}

}  // namespace

TReleaseLevel ReleaseFromVersion(std::int64_t version) {
  switch (version) {
    case 1: return rlRelease1;
    case 2: return rlRelease2;
    case 3: return rlRelease3;
    default: return rlReleaseNotKnown;
  }
}

TMeshSet3DS GetMeshSet(TFile3DS& file) {
  TMeshSet3DS set;
  TChunk3DS* mdata = EditorData(file);
  if (mdata == nullptr) return set;
  set.MasterScale = 1.0f;
  set.Shadow = {ssUseShadowMap, 1.0f, 1.0f, 512, 3.0f};
  set.AmbientLight = {0.39216f, 0.39216f, 0.39216f};
  WithChild<float>(file, mdata, MASTER_SCALE, [&](float v) { set.MasterScale = v; });
  WithChild<float>(file, mdata, LO_SHADOW_BIAS, [&](float v) { set.Shadow.Bias = v; });
  WithChild<float>(file, mdata, RAY_BIAS, [&](float v) { set.Shadow.RayBias = v; });
  WithChild<std::int16_t>(file, mdata, SHADOW_MAP_SIZE, [&](std::int16_t v) { set.Shadow.MapSize = static_cast<std::uint16_t>(v); });
  WithChild<float>(file, mdata, SHADOW_FILTER, [&](float v) { set.Shadow.Filter = v; });
  WithChild<TPoint3DS>(file, mdata, O_CONSTS, [&](const TPoint3DS& p) { set.OConsts = p; });
  if (TChunk3DS* ambient = FindNextChunk(mdata->Children(), AMBIENT_LIGHT)) {
    ReadColorUnder(file, ambient, COLOR_F, COLOR_24, set.AmbientLight);
    ReadColorUnder(file, ambient, LIN_COLOR_F, LIN_COLOR_24, set.AmbientLight);
  }
  return set;
}

TAtmosphere3DS GetAtmosphere(TFile3DS& file) {
  TAtmosphere3DS atmo;
  TChunk3DS* mdata = EditorData(file);
  if (mdata == nullptr) return atmo;
  atmo.Fog.FarPlane = 1000.0f;
  atmo.Fog.FarDensity = 100.0f;
  atmo.Fog.FogBgnd = true;
  atmo.LayerFog.ZMax = 100.0f;
  atmo.LayerFog.Density = 50.0f;
  atmo.LayerFog.FogBgnd = true;
  atmo.DCue.FarPlane = 1000.0f;
  atmo.DCue.FarDim = 100.0f;
  if (TChunk3DS* fog = FindChunk(mdata, FOG)) {
    WithValue<TFog3DS>(file, fog, [&](const TFog3DS& f) {
      atmo.Fog.NearPlane = f.NearPlane;
      atmo.Fog.NearDensity = f.NearDensity;
      atmo.Fog.FarPlane = f.FarPlane;
      atmo.Fog.FarDensity = f.FarDensity;
    });
    ReadColor(file, FindChunk(fog, COLOR_F), atmo.Fog.FogColor);
    atmo.Fog.FogBgnd = FindChunk(fog, FOG_BGND) != nullptr;
  }
  if (TChunk3DS* layer = FindChunk(mdata, LAYER_FOG)) {
    WithValue<TLayerFog3DS>(file, layer, [&](const TLayerFog3DS& f) {
      atmo.LayerFog.ZMin = f.ZMin;
      atmo.LayerFog.ZMax = f.ZMax;
      atmo.LayerFog.Density = f.Density;
      atmo.LayerFog.FogBgnd = f.Flags & 0x100000;
      atmo.LayerFog.FallOff = (f.Flags & 0x2) ? lfTopFall : (f.Flags & 0x1) ? lfBottomFall : lfNoFall;
    });
    ReadColor(file, FindChunk(layer, COLOR_F), atmo.LayerFog.FogColor);
  }
  if (TChunk3DS* cue = FindChunk(mdata, DISTANCE_CUE)) {
    // The distance cue's four values share the fog's layout.
    WithValue<TFog3DS>(file, cue, [&](const TFog3DS& f) {
      atmo.DCue.NearPlane = f.NearPlane;
      atmo.DCue.NearDim = f.NearDensity;
      atmo.DCue.FarPlane = f.FarPlane;
      atmo.DCue.FarDim = f.FarDensity;
    });
    atmo.DCue.DCueBgnd = FindChunk(cue, DCUE_BGND) != nullptr;
  }
  if (FindChunk(mdata, USE_FOG)) atmo.ActiveAtmo = atUseFog;
  else if (FindChunk(mdata, USE_LAYER_FOG)) atmo.ActiveAtmo = atUseLayerFog;
  else if (FindChunk(mdata, USE_DISTANCE_CUE)) atmo.ActiveAtmo = atUseDistanceCue;
  return atmo;
}

TBackground3DS GetBackground(TFile3DS& file) {
  TBackground3DS bg;
  TChunk3DS* mdata = EditorData(file);
  if (mdata == nullptr) return bg;
  bg.VGradient.GradPercent = 0.5f;
  WithValue<std::string>(file, FindChunk(mdata, BIT_MAP), [&](const std::string& name) { bg.Bitmap = name; });
  if (TChunk3DS* solid = FindChunk(mdata, SOLID_BGND)) ReadColorUnder(file, solid, COLOR_F, LIN_COLOR_F, bg.Solid);
  if (TChunk3DS* gradient = FindChunk(mdata, V_GRADIENT)) {
    WithValue<float>(file, gradient, [&](float v) { bg.VGradient.GradPercent = v; });
    // Files write each colour twice, gamma-corrected and linear: the three
    // of one kind are taken in order.
    std::vector<TChunk3DS*> colors;
    for (std::uint16_t tag : {COLOR_F, LIN_COLOR_F}) {
      for (TChunk3DS* c = FindNextChunk(gradient->Children(), tag); c != nullptr; c = FindNextChunk(c->Sibling(), tag))
        colors.push_back(c);
      if (!colors.empty()) break;
    }
    TFColor3DS* targets[] = {&bg.VGradient.Top, &bg.VGradient.Mid, &bg.VGradient.Bottom};
    for (std::size_t i = 0; i < colors.size() && i < 3; ++i) ReadColor(file, colors[i], *targets[i]);
  }
  if (FindChunk(mdata, USE_BIT_MAP)) bg.BgndUsed = btUseBitmapBgnd;
  else if (FindChunk(mdata, USE_SOLID_BGND)) bg.BgndUsed = btUseSolidBgnd;
  else if (FindChunk(mdata, USE_V_GRADIENT)) bg.BgndUsed = btUseVGradientBgnd;
  return bg;
}

void InitViewport3DS(TViewport3DS& v) {
  v = TViewport3DS();
  v.ViewType = vtTopView3DS;
  v.Size.Width = 1000;
  v.Size.Height = 1000;
  v.Ortho.Zoom = 0.7395f;
  v.User.Zoom = 0.7395f;
  v.User.HorAng = 20.0f;
  v.User.VerAng = 30.0f;
}

TViewport3DS ReadViewportFromChunk(TFile3DS& file, TChunk3DS* parent) {
  TViewport3DS v;
  InitViewport3DS(v);
  TChunk3DS* layout = parent ? FindNextChunk(parent->Children(), VIEWPORT_LAYOUT) : nullptr;
  if (layout == nullptr) return v;
  const std::int16_t wanted = TakeValue<TViewportLayout3DS>(file, layout).Top;
  int number = 0;
  bool sawData3 = false;
  TChunk3DS* chosen = nullptr;
  for (TChunk3DS* c = layout->Children(); c != nullptr && chosen == nullptr; c = c->Sibling()) {
    // Release 3 writes its own viewport records; older ones after them are
    // not counted.
    if (c->Tag == VIEWPORT_DATA_3) sawData3 = true;
    else if (c->Tag != VIEWPORT_DATA || sawData3) continue;
    if (number++ == wanted) chosen = c;
  }
  WithValue<TViewportData3DS>(file, chosen, [&](const TViewportData3DS& d) {
    switch (d.View) {
      case 1: v.ViewType = vtTopView3DS; break;
      case 2: v.ViewType = vtBottomView3DS; break;
      case 3: v.ViewType = vtLeftView3DS; break;
      case 4: v.ViewType = vtRightView3DS; break;
      case 5: v.ViewType = vtFrontView3DS; break;
      case 6: v.ViewType = vtBackView3DS; break;
      case 7: v.ViewType = vtUserView3DS; break;
      case 18: v.ViewType = vtSpotlightView3DS; break;
      case -1: v.ViewType = vtCameraView3DS; break;
      default: v.ViewType = vtNoView3DS; break;
    }
    v.Ortho.Zoom = v.User.Zoom = d.Zoom;
    v.Ortho.Center = v.User.Center = d.WorldCenter;
    v.User.HorAng = d.HorizAng;
    v.User.VerAng = d.VertAng;
    v.Camera = d.CamName;
  });
  WithValue<TViewportSize3DS>(file, FindNextChunk(layout->Children(), VIEWPORT_SIZE), [&](const TViewportSize3DS& s) {
    v.Size = {s.XPos, s.YPos, s.Width, s.Height};
  });
  return v;
}

TViewport3DS GetViewport(TFile3DS& file) {
  TChunk3DS* root = file.TopChunk();
  if (root == nullptr || (root->Tag != M3DMAGIC && root->Tag != CMAGIC)) return TViewport3DS();
  TChunk3DS* source = FindNextChunk(root->Children(), KFDATA);
  if (source == nullptr) source = FindNextChunk(root->Children(), MDATA);
  if (source == nullptr) return TViewport3DS();
  return ReadViewportFromChunk(file, source);
}

TMeshSet3DS TFile3DS::GetMeshSettings() { return GetMeshSet(*this); }
TAtmosphere3DS TFile3DS::GetAtmosphereData() { return GetAtmosphere(*this); }
TBackground3DS TFile3DS::GetBackgroundData() { return GetBackground(*this); }
TViewport3DS TFile3DS::GetViewportData() { return GetViewport(*this); }

TReleaseLevel TFile3DS::GetMeshRelease() {
  TChunk3DS* root = TopChunk();
  if (root == nullptr || (root->Tag != M3DMAGIC && root->Tag != CMAGIC)) return rlReleaseNotKnown;
  std::int64_t version = 0;
  WithValue<std::int32_t>(*this, FindChunk(root, MESH_VERSION), [&](std::int32_t v) { version = v; });
  return ReleaseFromVersion(version);
}

TReleaseLevel TFile3DS::GetDatabaseRelease() {
  TChunk3DS* root = TopChunk();
  if (root == nullptr) return rlReleaseNotKnown;
  switch (root->Tag) {
    case MLIBMAGIC: return rlRelease3;
    case M3DMAGIC: {
      std::int64_t version = 0;
      WithValue<std::int32_t>(*this, FindChunk(root, M3D_VERSION), [&](std::int32_t v) { version = v; });
      return ReleaseFromVersion(version);
    }
    case CMAGIC: return GetMeshRelease();
    default: return rlReleaseNotKnown;
  }
}

}  // namespace corvane
