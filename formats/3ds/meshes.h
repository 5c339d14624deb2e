// Mesh extraction: the triangle meshes among the named objects of a mesh or
// project file as TMesh3DS records, and TObjectList, the lazy cache of a
// TFile3DS that also holds its lights and cameras (lights_cameras.h).
//
// A record keeps the values as the file stores them: vertices in the
// object's own space, LocalMatrix as read, no welding and no normals. A
// consumer that builds engine meshes reads Vertices, Faces (corner indices
// are NOT checked against the vertex count), TexVerts (TexVert gives (0, 0)
// past their end), MaterialGroups (face indices into Faces), SmoothGroup
// (0 past the stored masks), LocalMatrix and the flags, and needs neither
// the tree nor the stream afterwards.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "formats/3ds/chunk_data.h"
#include "formats/3ds/file.h"
#include "formats/3ds/lights_cameras.h"
#include "formats/3ds/record_cache.h"

namespace corvane {

class TFile3DS;

// One material group: the faces (indices into TMesh3DS::Faces) that use a
// material.
struct TObjMat3DS {
  std::string Name;
  std::vector<std::uint16_t> FaceIndex;
  std::uint16_t NFaces() const { return static_cast<std::uint16_t>(FaceIndex.size()); }
  bool operator==(const TObjMat3DS&) const = default;
};

struct TMesh3DS {
  std::string Name;
  bool Hidden = false;
  bool VisLofter = false;
  bool Matte = false;
  bool NoCast = false;
  bool Fast = false;
  bool NoReceiveShadow = false;
  bool Frozen = false;
  std::vector<TPoint3DS> Vertices;
  std::vector<std::uint16_t> VertexFlags;
  std::vector<TTexVert3DS> TexVerts;
  bool HasMapInfo = false;
  TMapInfo3DS MapInfo;
  // Three rows of the rotation, then the origin.
  std::array<float, 12> LocalMatrix{};
  std::vector<TFace3DS> Faces;
  // One mask per face in a well-formed file; fewer when the file holds fewer.
  std::vector<std::uint32_t> SmoothGroups;
  bool HasBoxMap = false;
  std::array<std::string, 6> BoxMapNames;
  std::uint8_t MeshColor = 0;
  std::vector<TObjMat3DS> MaterialGroups;
  bool Procedural = false;
  std::string ProcName;
  std::vector<std::uint8_t> ProcData;

  // The counts as the file stores them (16 bits each).
  std::uint16_t VertexCount() const { return static_cast<std::uint16_t>(Vertices.size()); }
  std::uint16_t VertexFlagCount() const { return static_cast<std::uint16_t>(VertexFlags.size()); }
  std::uint16_t TexVertCount() const { return static_cast<std::uint16_t>(TexVerts.size()); }
  std::uint16_t FaceCount() const { return static_cast<std::uint16_t>(Faces.size()); }
  std::uint16_t MaterialGroupCount() const { return static_cast<std::uint16_t>(MaterialGroups.size()); }
  std::uint32_t SmoothGroupCount() const { return static_cast<std::uint32_t>(SmoothGroups.size()); }
  std::uint32_t ProcDataSize() const { return static_cast<std::uint32_t>(ProcData.size()); }
  // Safe lookups for consumers that index by vertex or face number.
  TTexVert3DS TexVert(std::size_t vertex) const { return vertex < TexVerts.size() ? TexVerts[vertex] : TTexVert3DS{}; }
  std::uint32_t SmoothGroup(std::size_t face) const { return face < SmoothGroups.size() ? SmoothGroups[face] : 0; }
  bool FaceInRange(const TFace3DS& face) const {
    return face.V1 < Vertices.size() && face.V2 < Vertices.size() && face.V3 < Vertices.size();
  }
  bool operator==(const TMesh3DS&) const = default;
};
using PMesh3DS = TMesh3DS*;

// The file's cache of meshes, omni lights, spot lights and cameras. A list
// is sized on the first count query; an entry is extracted on its first
// request and kept until the next load. Extraction errors (E3DSError) pass
// out of the Get call and leave the entry empty, so a later call tries
// again.
class TObjectList {
 public:
  explicit TObjectList(TFile3DS& owner);
  ~TObjectList();

  int GetMeshObjectCount();
  // Null when there are no meshes; std::out_of_range for an index outside
  // the list.
  TMesh3DS* GetMesh(int index);
  int GetOmniCount();
  int GetSpotCount();
  int GetCamCount();
  TLight3DS* GetOmniLight(int index);
  TLight3DS* GetSpotLight(int index);
  TCamera3DS* GetCamera(int index);
  void ClearLists();

 private:
  TFile3DS& owner_;
  TRecordCache3DS<TMesh3DS> meshes_;
  TRecordCache3DS<TLight3DS> omniLights_;
  TRecordCache3DS<TLight3DS> spotLights_;
  TRecordCache3DS<TCamera3DS> cameras_;
};

// Brings the named-object list of the file's database up to date.
void RebuildNamedObjectList(TFile3DS& file);
// The NAMED_OBJECT chunks of one kind in list order: an object whose
// subtree holds N_TRI_OBJECT is a mesh, one holding N_CAMERA a camera, one
// holding N_DIRECT_LIGHT a spot light when that holds DL_SPOTLIGHT, else an
// omni light (an object may be of several kinds).
const std::vector<TChunk3DS*>& NamedObjectsOfKind(TFile3DS& file, TObjectKind3DS kind);
int GetMeshCount(TFile3DS& file);
// The index-th mesh in file order; a zeroed record when there are fewer.
TMesh3DS GetMeshByIndex(TFile3DS& file, int index);
// The mesh of one NAMED_OBJECT chunk (error3ds_wrong_object without an
// N_TRI_OBJECT child).
TMesh3DS ReadMeshFromObject(TFile3DS& file, TChunk3DS* namedObject);
// The NAMED_OBJECT of the index-th object holding a tag chunk (for
// DL_SPOTLIGHT: a spot inside a light); null when there are fewer.
TChunk3DS* FindNamedObjectByIndex(TFile3DS& file, std::uint16_t tag, int index);
// error3ds_invalid_database without a tree, error3ds_wrong_database unless
// the root is a mesh or project file.
void CheckSceneDatabase(TFile3DS& file);

}  // namespace corvane
