// Runs every extraction of a loaded TFile3DS and the dump at every level,
// as a hostile file would meet them. Only the reader's own errors may come
// out of any of them; each is caught so the next one still runs.
#pragma once

#include "base/lists/string_list.h"
#include "formats/3ds/errors.h"
#include "formats/3ds/file.h"
#include "formats/3ds/keyframer.h"
#include "formats/3ds/lights_cameras.h"
#include "formats/3ds/materials.h"
#include "formats/3ds/meshes.h"
#include "formats/3ds/scene_settings.h"

namespace corvane::test3ds {

// The number of calls that raised E3DSError. Quick runs dump only the
// headers (the value dumps cost more than everything else together).
inline int ExerciseFile3DS(TFile3DS& file, bool valueDumps = true) {
  int errors = 0;
  auto attempt = [&](auto&& call) {
    try {
      call();
    } catch (const E3DSError&) {
      ++errors;
    }
  };
  // Every index a count gives, each on its own.
  auto each = [&](auto&& count, auto&& get) {
    attempt([&] {
      for (int i = 0; i < count(); ++i) attempt([&] { get(i); });
    });
  };
  TObjectList& objects = file.Objects();
  each([&] { return objects.GetMeshObjectCount(); }, [&](int i) { objects.GetMesh(i); });
  each([&] { return objects.GetOmniCount(); }, [&](int i) { objects.GetOmniLight(i); });
  each([&] { return objects.GetSpotCount(); }, [&](int i) { objects.GetSpotLight(i); });
  each([&] { return objects.GetCamCount(); }, [&](int i) { objects.GetCamera(i); });
  each([&] { return file.Materials().GetCount(); }, [&](int i) { file.Materials().GetMaterial(i); });
  TKeyFramer& kf = file.KeyFramer();
  each([&] { return kf.GetMeshMotionCount(); }, [&](int i) { kf.GetMeshMotion(i); });
  each([&] { return kf.GetOmniMotionCount(); }, [&](int i) { kf.GetOmniLightMotion(i); });
  each([&] { return kf.GetSpotMotionCount(); }, [&](int i) { kf.GetSpotLightMotion(i); });
  each([&] { return kf.GetCamMotionCount(); }, [&](int i) { kf.GetCameraMotion(i); });
  attempt([&] { kf.GetAmbientMotion(); });
  attempt([&] { file.GetMeshSettings(); });
  attempt([&] { file.GetAtmosphereData(); });
  attempt([&] { file.GetBackgroundData(); });
  attempt([&] { file.GetViewportData(); });
  attempt([&] { file.GetDatabaseRelease(); });
  attempt([&] { GetKFRelease(file); });
  for (TDumpLevel level : {dlTerseDump, dlMediumDump, dlMaximumDump}) {
    if (level != dlTerseDump && !valueDumps) continue;
    attempt([&] {
      TStringList lines;
      file.DumpDatabase(lines, level);
    });
  }
  attempt([&] { kf.GetKFSets(); });  // last: it may add a chunk to the tree
  return errors;
}

}  // namespace corvane::test3ds
