// The keyframer data of a 3DS file (KFDATA and its node chunks): motion
// records with their key-framed tracks for objects, cameras, omni lights,
// spot lights and the ambient light, the animation settings, the node index
// of the database and TKeyFramer, the file's cache of motions.
//
// A missing node or chunk is no error: the record keeps its zeros. A node
// without a NODE_HDR reads with an empty name and zero flags; index entries
// of such nodes are skipped by counts and lookups.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "formats/3ds/chunk_data.h"
#include "formats/3ds/file.h"
#include "formats/3ds/record_cache.h"

namespace corvane {

struct TKFSets3DS {
  std::uint32_t AnimLength = 0;
  std::uint32_t CurFrame = 0;
  bool SegUse = false;
  std::uint32_t SegBegin = 0, SegEnd = 0;
  bool operator==(const TKFSets3DS&) const = default;
};

struct TKFMesh3DS {
  std::string Name;
  std::string Parent;
  std::uint16_t Flags1 = 0, Flags2 = 0;
  TPoint3DS Pivot;
  std::string Instance;
  TPoint3DS BoundMin, BoundMax;
  TPosTrack3DS Pos;
  TRotTrack3DS Rot;
  TScaleTrack3DS Scale;
  TMorphTrack3DS Morph;
  THideTrack3DS Hide;
  float MSAngle = 0;
  bool operator==(const TKFMesh3DS&) const = default;
};

struct TKFCamera3DS {
  std::string Name;
  std::string Parent;
  std::uint16_t Flags1 = 0, Flags2 = 0;
  TPosTrack3DS Pos;
  TFloatTrack3DS FOV;
  TFloatTrack3DS Roll;
  std::string TParent;
  TPosTrack3DS TPos;
  std::uint16_t TFlags1 = 0, TFlags2 = 0;
  bool operator==(const TKFCamera3DS&) const = default;
};

struct TKFOmni3DS {
  std::string Name;
  std::string Parent;
  std::uint16_t Flags1 = 0, Flags2 = 0;
  TPosTrack3DS Pos;
  TColorTrack3DS Color;
  bool operator==(const TKFOmni3DS&) const = default;
};

struct TKFSpot3DS {
  std::string Name;
  std::string Parent;
  std::uint16_t Flags1 = 0, Flags2 = 0;
  TPosTrack3DS Pos;
  TColorTrack3DS Color;
  TFloatTrack3DS Hot;
  TFloatTrack3DS Fall;
  TFloatTrack3DS Roll;
  std::string TParent;
  TPosTrack3DS TPos;
  std::uint16_t TFlags1 = 0, TFlags2 = 0;
  bool operator==(const TKFSpot3DS&) const = default;
};

struct TKFAmbient3DS {
  std::string Name;
  TColorTrack3DS Color;
  bool operator==(const TKFAmbient3DS&) const = default;
};

// Records sized for the given key counts, every key header zero and every
// value the track's default; an object's morph smoothing angle starts at 24.
void InitObjectMotion(TKFMesh3DS& m, std::uint32_t pos, std::uint32_t rot, std::uint32_t scale, std::uint32_t morph,
                      std::uint32_t hide);
void InitCameraMotion(TKFCamera3DS& m, std::uint32_t pos, std::uint32_t fov, std::uint32_t roll, std::uint32_t targetPos);
void InitOmniLightMotion(TKFOmni3DS& m, std::uint32_t pos, std::uint32_t color);
void InitSpotLightMotion(TKFSpot3DS& m, std::uint32_t pos, std::uint32_t color, std::uint32_t hot, std::uint32_t fall,
                         std::uint32_t roll, std::uint32_t targetPos);
void InitAmbientLightMotion(TKFAmbient3DS& m, std::uint32_t color);

// The node index.
void RebuildKeyframeNodeList(TFile3DS& file);
int CountKeyframeNodesByTag(TFile3DS& file, std::uint16_t tag);
// The node list's entries of each tag, and the first node of a tag and a
// header name (not for object nodes, whose names hold their instances).
const TNodeIndex3DS& KeyframeNodeIndex(TFile3DS& file);
// The index-th node list entry of the tag, with the first node of its tag
// and name; null past the last.
const TNodeEntry3DS* KeyframeNodeByIndex(TFile3DS& file, std::uint16_t tag, int index);
// FindKeyframeNodeByName through the index, for every tag but the object
// node's.
TChunk3DS* IndexedKeyframeNodeByName(TFile3DS& file, std::uint16_t tag, const std::string& name);
std::vector<std::string> ListKeyframeNodeNamesByTag(TFile3DS& file, std::uint16_t tag);
// The first KFDATA child with tag whose NODE_HDR name is name (exactly).
TChunk3DS* FindKeyframeNodeByName(TFile3DS& file, std::string_view name, std::uint16_t tag);
// The last index entry with tag named name (object nodes: "name.instance").
TChunk3DS* FindObjectNodeByName(TFile3DS& file, std::string_view name, std::uint16_t tag);

int GetObjectNodeCount(TFile3DS& file);
int GetCameraNodeCount(TFile3DS& file);
int GetOmniLightNodeCount(TFile3DS& file);
int GetSpotLightNodeCount(TFile3DS& file);
std::vector<std::string> GetObjectNodeNameList(TFile3DS& file);
std::vector<std::string> GetCameraNodeNameList(TFile3DS& file);
std::vector<std::string> GetOmniLightNodeNameList(TFile3DS& file);
std::vector<std::string> GetSpotLightNodeNameList(TFile3DS& file);

// Readers of one node (error3ds_wrong_object when the object reader gets
// another kind of node, error3ds_invalid_arg when the ambient reader gets
// none).
TKFMesh3DS ReadObjectMotionFromNode(TFile3DS& file, TChunk3DS* node);
TKFCamera3DS GetCameraMotion(TFile3DS& file, TChunk3DS* cameraNode, TChunk3DS* targetNode);
TKFOmni3DS ReadOmniLightMotionFromNode(TFile3DS& file, TChunk3DS* node);
TKFSpot3DS ReadSpotLightMotionFromNode(TFile3DS& file, TChunk3DS* node, TChunk3DS* targetNode);
TKFAmbient3DS ReadAmbientLightMotion(TFile3DS& file, TChunk3DS* node);

TKFMesh3DS GetObjectMotionByName(TFile3DS& file, std::string_view name);
TKFOmni3DS GetOmniLightMotionByName(TFile3DS& file, std::string_view name);
TKFSpot3DS GetSpotLightMotionByName(TFile3DS& file, std::string_view name);
TKFMesh3DS GetObjectMotionByIndex(TFile3DS& file, int index);
TKFCamera3DS GetCameraMotionByIndex(TFile3DS& file, int index);
TKFOmni3DS GetOmniLightMotionByIndex(TFile3DS& file, int index);
TKFSpot3DS GetSpotLightMotionByIndex(TFile3DS& file, int index);
TKFAmbient3DS GetAmbientLightMotion(TFile3DS& file);

// Adds an empty KFDATA to the tree when there is none.
TKFSets3DS GetKFSettings(TFile3DS& file);
TReleaseLevel GetM3dMagicRelease(TFile3DS& file);
TReleaseLevel GetKFRelease(TFile3DS& file);

class TKeyFramer {
 public:
  explicit TKeyFramer(TFile3DS& owner);
  ~TKeyFramer();

  int GetMeshMotionCount();
  int GetOmniMotionCount();
  int GetSpotMotionCount();
  int GetCamMotionCount();
  // Null when there are none; std::out_of_range outside the list.
  TKFMesh3DS* GetMeshMotion(int index);
  TKFOmni3DS* GetOmniLightMotion(int index);
  TKFSpot3DS* GetSpotLightMotion(int index);
  TKFCamera3DS* GetCameraMotion(int index);
  TKFAmbient3DS* GetAmbientMotion();
  TKFSets3DS GetKFSets();
  void ClearLists();

 private:
  TFile3DS& owner_;
  TRecordCache3DS<TKFMesh3DS> meshMotions_;
  TRecordCache3DS<TKFOmni3DS> omniMotions_;
  TRecordCache3DS<TKFSpot3DS> spotMotions_;
  TRecordCache3DS<TKFCamera3DS> cameraMotions_;
  std::unique_ptr<TKFAmbient3DS> ambient_;
};

}  // namespace corvane
