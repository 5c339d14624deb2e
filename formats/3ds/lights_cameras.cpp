#include "formats/3ds/lights_cameras.h"

#include "formats/3ds/chunk_ids.h"
#include "formats/3ds/errors.h"
#include "formats/3ds/extract.h"
#include "formats/3ds/file.h"
#include "formats/3ds/meshes.h"

namespace corvane {

using namespace chunk3ds;

namespace {

template <class Record, class Read>
Record ReadObjectByIndex(TFile3DS& file, TObjectKind3DS kind, int index, Read read) {
  CheckSceneDatabase(file);
  const std::vector<TChunk3DS*>& objects = NamedObjectsOfKind(file, kind);
  if (index < 0 || static_cast<std::size_t>(index) >= objects.size()) return Record();
  return read(file, objects[static_cast<std::size_t>(index)]);
}

int CountObjects(TFile3DS& file, TObjectKind3DS kind) { return static_cast<int>(NamedObjectsOfKind(file, kind).size()); }

}  // namespace

void InitLight3DS(TLight3DS& light) {
  light = TLight3DS();
  light.Color = {0.708852f, 0.708852f, 0.708852f};
  light.Multiplier = 1.0f;
  light.Attenuation.Inner = 10.0f;
  light.Attenuation.Outer = 100.0f;
}

void InitSpotLight3DS(TLight3DS& light) {
  InitLight3DS(light);
  light.Spot = std::make_unique<TSpotLight3DS>();
  TSpotLight3DS& spot = *light.Spot;
  spot.Target = {1, 1, 1};
  spot.Hotspot = 44.0f;
  spot.Falloff = 45.0f;
  spot.Aspect = 1.0f;
  spot.Shadows.Filter = 3.0f;
  spot.Shadows.MapSize = 512;
  spot.Shadows.RayBias = 1.0f;
}

void InitCamera3DS(TCamera3DS& camera) {
  camera = TCamera3DS();
  camera.Target = {1, 1, 1};
  camera.FOV = 45.0f;
  camera.Ranges = {10.0f, 1000.0f};
}

int GetOmniLightCount(TFile3DS& file) { return CountObjects(file, okOmniLight3DS); }
int GetSpotLightCount(TFile3DS& file) { return CountObjects(file, okSpotLight3DS); }
int GetCameraCount(TFile3DS& file) { return CountObjects(file, okCamera3DS); }

TLight3DS GetOmniLightByIndex(TFile3DS& file, int index) {
  return ReadObjectByIndex<TLight3DS>(file, okOmniLight3DS, index, ReadLightFromObject);
}

TLight3DS GetSpotLightByIndex(TFile3DS& file, int index) {
  return ReadObjectByIndex<TLight3DS>(file, okSpotLight3DS, index, ReadLightFromObject);
}

TCamera3DS GetCameraByIndex(TFile3DS& file, int index) {
  return ReadObjectByIndex<TCamera3DS>(file, okCamera3DS, index, ReadCameraFromObject);
}

TLight3DS ReadLightFromObject(TFile3DS& file, TChunk3DS* namedObject) {
  TChunk3DS* lightChunk = namedObject ? FindNextChunk(namedObject->Children(), N_DIRECT_LIGHT) : nullptr;
  if (lightChunk == nullptr) ShowError(error3ds_wrong_object);
  TLight3DS light;
  TChunk3DS* spotChunk = FindChunk(namedObject, DL_SPOTLIGHT);
  if (spotChunk != nullptr) InitSpotLight3DS(light);
  else InitLight3DS(light);
  if (const std::string* name = file.ChunkData<std::string>(namedObject)) light.Name = *name;
  WithValue<TPoint3DS>(file, lightChunk, [&](const TPoint3DS& p) { light.Pos = p; });

  for (TChunk3DS* child = lightChunk->Children(); child != nullptr; child = child->Sibling()) {
    switch (child->Tag) {
      case COLOR_F: WithValue<TFColor3DS>(file, child, [&](const TFColor3DS& c) { light.Color = c; }); break;
      case COLOR_24: WithValue<TColor24>(file, child, [&](const TColor24& c) { light.Color = ColorFromBytes(c); }); break;
      case DL_OFF: light.DLOff = true; break;
      case DL_ATTENUATE: light.Attenuation.On = true; break;
      case DL_EXCLUDE: WithValue<std::string>(file, child, [&](const std::string& n) { light.Exclude.push_back(n); }); break;
      case DL_INNER_RANGE: WithValue<float>(file, child, [&](float v) { light.Attenuation.Inner = v; }); break;
      case DL_OUTER_RANGE: WithValue<float>(file, child, [&](float v) { light.Attenuation.Outer = v; }); break;
      case DL_MULTIPLIER: WithValue<float>(file, child, [&](float v) { light.Multiplier = v; }); break;
      default: break;
    }
  }
  if (spotChunk == nullptr) return light;

  TSpotLight3DS& spot = *light.Spot;
  WithValue<TDlSpotlight3DS>(file, spotChunk, [&](const TDlSpotlight3DS& s) {
    spot.Target = s.Target;
    spot.Hotspot = s.Hotspot;
    spot.Falloff = s.Falloff;
  });
  for (TChunk3DS* child = spotChunk->Children(); child != nullptr; child = child->Sibling()) {
    switch (child->Tag) {
      case DL_SPOT_ROLL: WithValue<float>(file, child, [&](float v) { spot.Roll = v; }); break;
      case DL_SPOT_ASPECT: WithValue<float>(file, child, [&](float v) { spot.Aspect = v; }); break;
      case DL_SHADOWED: case DL_LOCAL_SHADOW: spot.Shadows.Cast = true; break;
      case DL_RAYSHAD: spot.Shadows.Type = ssUseRayTraceShadow; break;
      case DL_LOCAL_SHADOW2:
        spot.Shadows.Local = true;
        WithValue<TDlLocalShadow23DS>(file, child, [&](const TDlLocalShadow23DS& s) {
          spot.Shadows.Bias = s.Bias;
          spot.Shadows.Filter = s.Filter;
          spot.Shadows.MapSize = static_cast<std::uint16_t>(s.MapSize);
        });
        break;
      case DL_RAY_BIAS: WithValue<float>(file, child, [&](float v) { spot.Shadows.RayBias = v; }); break;
      case DL_SPOT_RECTANGULAR: spot.Cone.Type = csRectangular; break;
      case DL_SEE_CONE: spot.Cone.Show = true; break;
      case DL_SPOT_OVERSHOOT: spot.Cone.Overshoot = true; break;
      case DL_SPOT_PROJECTOR:
        spot.Projector.Use = true;
        WithValue<std::string>(file, child, [&](const std::string& n) { spot.Projector.BitmapName = n; });
        break;
      default: break;
    }
  }
  return light;
}

TCamera3DS ReadCameraFromObject(TFile3DS& file, TChunk3DS* namedObject) {
  TChunk3DS* cameraChunk = namedObject != nullptr && namedObject->Tag == NAMED_OBJECT
                               ? FindNextChunk(namedObject->Children(), N_CAMERA)
                               : nullptr;
  if (cameraChunk == nullptr) ShowError(error3ds_wrong_object);
  TCamera3DS camera;
  InitCamera3DS(camera);
  if (const std::string* name = file.ChunkData<std::string>(namedObject)) camera.Name = *name;
  WithValue<TNCamera3DS>(file, cameraChunk, [&](const TNCamera3DS& c) {
    camera.Position = c.Position;
    camera.Target = c.Target;
    camera.Roll = c.Roll;
    // A lens of no length has no field of view to compute: the default
    // stays rather than an infinity.
    if (c.Focal != 0) camera.FOV = 2400.0f / c.Focal;
  });
  for (TChunk3DS* child = cameraChunk->Children(); child != nullptr; child = child->Sibling()) {
    if (child->Tag == CAM_SEE_CONE) camera.ShowCone = true;
    else if (child->Tag == CAM_RANGES)
      WithValue<TCamRanges3DS>(file, child, [&](const TCamRanges3DS& r) { camera.Ranges = {r.Near, r.Far}; });
  }
  return camera;
}

}  // namespace corvane
