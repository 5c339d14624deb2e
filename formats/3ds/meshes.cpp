#include "formats/3ds/meshes.h"

#include "formats/3ds/chunk_ids.h"
#include "formats/3ds/errors.h"
#include "formats/3ds/extract.h"
#include "formats/3ds/file.h"
#include "formats/3ds/lights_cameras.h"

namespace corvane {

using namespace chunk3ds;

void CheckSceneDatabase(TFile3DS& file) {
  TChunk3DS* root = file.TopChunk();
  if (root == nullptr) ShowError(error3ds_invalid_database);
  if (root->Tag != M3DMAGIC && root->Tag != CMAGIC) ShowError(error3ds_wrong_database);
}

void RebuildNamedObjectList(TFile3DS& file) {
  TDatabase3DS& db = file.Database();
  if (!db.ObjListDirty) return;
  db.ObjList.reset();
  TChunk3DS* mdata = FindChunk(db.TopChunk.get(), MDATA);
  TChunkList3DS list;
  if (mdata != nullptr) {
    for (TChunk3DS* object = FindChunk(mdata, NAMED_OBJECT); object != nullptr;
         object = FindNextChunk(object->Sibling(), NAMED_OBJECT)) {
      const std::string* name = file.ChunkData<std::string>(object);
      list.push_back({name ? *name : std::string(), object});
    }
  }
  db.ObjList = std::move(list);
  for (auto& kind : db.ObjKinds) kind.reset();
  if (mdata != nullptr) db.ObjListDirty = false;
}

namespace {

bool IsOfKind(TChunk3DS* object, TObjectKind3DS kind) {
  switch (kind) {
    case okMesh3DS: return FindChunk(object, N_TRI_OBJECT) != nullptr;
    case okCamera3DS: return FindChunk(object, N_CAMERA) != nullptr;
    case okOmniLight3DS:
    case okSpotLight3DS: {
      TChunk3DS* light = FindChunk(object, N_DIRECT_LIGHT);
      if (light == nullptr) return false;
      return (FindChunk(light, DL_SPOTLIGHT) != nullptr) == (kind == okSpotLight3DS);
    }
  }
  return false;
}

}  // namespace

const std::vector<TChunk3DS*>& NamedObjectsOfKind(TFile3DS& file, TObjectKind3DS kind) {
  RebuildNamedObjectList(file);
  std::optional<std::vector<TChunk3DS*>>& objects = file.Database().ObjKinds[kind];
  if (!objects) {
    objects.emplace();
    for (const TChunkListEntry3DS& entry : *file.Database().ObjList)
      if (IsOfKind(entry.Chunk, kind)) objects->push_back(entry.Chunk);
  }
  return *objects;
}

int GetMeshCount(TFile3DS& file) { return static_cast<int>(NamedObjectsOfKind(file, okMesh3DS).size()); }

TChunk3DS* FindNamedObjectByIndex(TFile3DS& file, std::uint16_t tag, int index) {
  RebuildNamedObjectList(file);
  int count = 0;
  for (const TChunkListEntry3DS& entry : *file.Database().ObjList) {
    TChunk3DS* found = nullptr;
    if (tag == DL_SPOTLIGHT) found = FindChunk(FindChunk(entry.Chunk, N_DIRECT_LIGHT), DL_SPOTLIGHT);
    else found = FindChunk(entry.Chunk, tag);
    if (found != nullptr && count++ == index) return entry.Chunk;
  }
  return nullptr;
}

TMesh3DS GetMeshByIndex(TFile3DS& file, int index) {
  CheckSceneDatabase(file);
  const std::vector<TChunk3DS*>& meshes = NamedObjectsOfKind(file, okMesh3DS);
  if (index < 0 || static_cast<std::size_t>(index) >= meshes.size()) return TMesh3DS();
  return ReadMeshFromObject(file, meshes[static_cast<std::size_t>(index)]);
}

TMesh3DS ReadMeshFromObject(TFile3DS& file, TChunk3DS* namedObject) {
  TChunk3DS* triObject = namedObject ? FindNextChunk(namedObject->Children(), N_TRI_OBJECT) : nullptr;
  if (triObject == nullptr) ShowError(error3ds_wrong_object);
  TMesh3DS mesh;
  if (const std::string* name = file.ChunkData<std::string>(namedObject)) mesh.Name = *name;
  for (TChunk3DS* child = triObject->Children(); child != nullptr; child = child->Sibling()) {
    switch (child->Tag) {
      case POINT_ARRAY: mesh.Vertices = TakeValue<std::vector<TPoint3DS>>(file, child); break;
      case POINT_FLAG_ARRAY: mesh.VertexFlags = TakeValue<std::vector<std::uint16_t>>(file, child); break;
      case TEX_VERTS: mesh.TexVerts = TakeValue<std::vector<TTexVert3DS>>(file, child); break;
      case FACE_ARRAY: {
        mesh.Faces = TakeValue<std::vector<TFace3DS>>(file, child);
        if (child->Children() == nullptr) break;
        for (TChunk3DS* group = FindChunk(child, MSH_MAT_GROUP); group != nullptr;
             group = FindNextChunk(group->Sibling(), MSH_MAT_GROUP)) {
          TMshMatGroup3DS decoded = TakeValue<TMshMatGroup3DS>(file, group);
          mesh.MaterialGroups.push_back({std::move(decoded.MatName), std::move(decoded.Faces)});
        }
        if (TChunk3DS* smooth = FindNextChunk(child->Children(), SMOOTH_GROUP))
          mesh.SmoothGroups = TakeValue<std::vector<std::uint32_t>>(file, smooth);
        if (TChunk3DS* boxMap = FindNextChunk(child->Children(), MSH_BOXMAP)) {
          mesh.BoxMapNames = TakeValue<std::array<std::string, 6>>(file, boxMap);
          mesh.HasBoxMap = true;
        }
        break;
      }
      case MESH_MATRIX: mesh.LocalMatrix = TakeValue<std::array<float, 12>>(file, child); break;
      case MESH_COLOR: mesh.MeshColor = TakeValue<std::uint8_t>(file, child); break;
      case MESH_TEXTURE_INFO:
        mesh.HasMapInfo = true;
        mesh.MapInfo = TakeValue<TMapInfo3DS>(file, child);
        break;
      case PROC_NAME: mesh.ProcName = TakeValue<std::string>(file, child); break;
      case PROC_DATA: mesh.ProcData = TakeValue<TRawData3DS>(file, child); break;
      default: break;
    }
  }
  TChunk3DS* first = namedObject->Children();
  mesh.Hidden = FindNextChunk(first, OBJ_HIDDEN) != nullptr;
  mesh.VisLofter = FindNextChunk(first, OBJ_VIS_LOFTER) != nullptr;
  mesh.NoCast = FindNextChunk(first, OBJ_DOESNT_CAST) != nullptr;
  mesh.Matte = FindNextChunk(first, OBJ_MATTE) != nullptr;
  mesh.Fast = FindNextChunk(first, OBJ_FAST) != nullptr;
  mesh.Frozen = FindNextChunk(first, OBJ_FROZEN) != nullptr;
  mesh.NoReceiveShadow = FindNextChunk(first, OBJ_DONT_RCVSHADOW) != nullptr;
  mesh.Procedural = FindNextChunk(first, OBJ_PROCEDURAL) != nullptr;
  return mesh;
}

TObjectList::TObjectList(TFile3DS& owner) : owner_(owner) {}

TObjectList::~TObjectList() = default;

void TObjectList::ClearLists() {
  meshes_.Clear();
  omniLights_.Clear();
  spotLights_.Clear();
  cameras_.Clear();
}

int TObjectList::GetMeshObjectCount() {
  return meshes_.Count([&] { return GetMeshCount(owner_); });
}
int TObjectList::GetOmniCount() {
  return omniLights_.Count([&] { return GetOmniLightCount(owner_); });
}
int TObjectList::GetSpotCount() {
  return spotLights_.Count([&] { return GetSpotLightCount(owner_); });
}
int TObjectList::GetCamCount() {
  return cameras_.Count([&] { return GetCameraCount(owner_); });
}

TMesh3DS* TObjectList::GetMesh(int index) {
  return meshes_.Get(index, [&] { return GetMeshCount(owner_); }, [&] { return GetMeshByIndex(owner_, index); });
}

TLight3DS* TObjectList::GetOmniLight(int index) {
  return omniLights_.Get(index, [&] { return GetOmniLightCount(owner_); },
                         [&] { return GetOmniLightByIndex(owner_, index); });
}

TLight3DS* TObjectList::GetSpotLight(int index) {
  return spotLights_.Get(index, [&] { return GetSpotLightCount(owner_); },
                         [&] { return GetSpotLightByIndex(owner_, index); });
}

TCamera3DS* TObjectList::GetCamera(int index) {
  return cameras_.Get(index, [&] { return GetCameraCount(owner_); }, [&] { return GetCameraByIndex(owner_, index); });
}

}  // namespace corvane
