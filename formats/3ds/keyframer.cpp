// Motion extraction from keyframe nodes. Each reader decodes the node's
// chunks, moves the track arrays into the record and frees the decoded data
// again, so the tree keeps none of it.
#include "formats/3ds/keyframer.h"

#include "formats/3ds/chunk_ids.h"
#include "formats/3ds/errors.h"
#include "formats/3ds/extract.h"
#include "formats/3ds/scene_settings.h"

namespace corvane {

using namespace chunk3ds;

namespace {

template <class V>
void SizeTrack(TTrack3DS<V>& track, std::uint32_t count, const V& value) {
  track = TTrack3DS<V>();
  track.Header.KeyCount = count;
  track.Keys.assign(count, TKeyHeader3DS());
  if constexpr (!std::is_same_v<V, TNoValue3DS>) track.Values.assign(count, value);
}

template <class Track>
void TakeTrack(TFile3DS& file, TChunk3DS* node, std::uint16_t tag, Track& track) {
  if (TChunk3DS* chunk = FindChunk(node, tag)) track = TakeValue<Track>(file, chunk);
}

// Name and flags of a node's header, and the parent name the load
// attached to it. The parent name is copied: it exists nowhere else.
struct THeaderInfo {
  std::string Name;
  std::string Parent;
  std::uint16_t Flags1 = 0, Flags2 = 0;
};

THeaderInfo ReadHeaderInfo(TFile3DS& file, TChunk3DS* node) {
  THeaderInfo info;
  TChunk3DS* hdr = node ? FindChunk(node, NODE_HDR) : nullptr;
  if (hdr == nullptr) return info;
  if (TChunk3DS* parent = FindChunk(hdr, PARENT_NAME)) {
    file.ReadChunkData(parent);
    if (const std::string* name = ChunkValue<std::string>(parent)) info.Parent = *name;
  }
  const TNodeHdr3DS header = TakeValue<TNodeHdr3DS>(file, hdr);
  info.Name = header.ObjName;
  info.Flags1 = header.Flags1;
  info.Flags2 = header.Flags2;
  return info;
}

// The header's name, parent and flags into a motion record.
template <class Motion>
void TakeHeader(TFile3DS& file, TChunk3DS* node, Motion& m) {
  THeaderInfo header = ReadHeaderInfo(file, node);
  m.Name = std::move(header.Name);
  m.Parent = std::move(header.Parent);
  m.Flags1 = header.Flags1;
  m.Flags2 = header.Flags2;
}

// The target node of a camera or spot: parent, flags, position track.
template <class Motion>
void TakeTarget(TFile3DS& file, TChunk3DS* targetNode, Motion& m) {
  if (targetNode == nullptr) return;
  const THeaderInfo target = ReadHeaderInfo(file, targetNode);
  m.TParent = target.Parent;
  m.TFlags1 = target.Flags1;
  m.TFlags2 = target.Flags2;
  TakeTrack(file, targetNode, POS_TRACK_TAG, m.TPos);
}

}  // namespace

void InitObjectMotion(TKFMesh3DS& m, std::uint32_t pos, std::uint32_t rot, std::uint32_t scale, std::uint32_t morph,
                      std::uint32_t hide) {
  m = TKFMesh3DS();
  SizeTrack(m.Pos, pos, TPoint3DS());
  SizeTrack(m.Rot, rot, TKFRotKey3DS());
  SizeTrack(m.Scale, scale, TPoint3DS{1, 1, 1});
  SizeTrack(m.Morph, morph, std::string(" "));
  SizeTrack(m.Hide, hide, TNoValue3DS());
  m.MSAngle = 24;
}

void InitCameraMotion(TKFCamera3DS& m, std::uint32_t pos, std::uint32_t fov, std::uint32_t roll, std::uint32_t targetPos) {
  m = TKFCamera3DS();
  SizeTrack(m.Pos, pos, TPoint3DS());
  SizeTrack(m.FOV, fov, 60.0f);
  SizeTrack(m.Roll, roll, 0.0f);
  SizeTrack(m.TPos, targetPos, TPoint3DS());
}

void InitOmniLightMotion(TKFOmni3DS& m, std::uint32_t pos, std::uint32_t color) {
  m = TKFOmni3DS();
  SizeTrack(m.Pos, pos, TPoint3DS());
  SizeTrack(m.Color, color, TFColor3DS{1, 1, 1});
}

void InitSpotLightMotion(TKFSpot3DS& m, std::uint32_t pos, std::uint32_t color, std::uint32_t hot, std::uint32_t fall,
                         std::uint32_t roll, std::uint32_t targetPos) {
  m = TKFSpot3DS();
  SizeTrack(m.Pos, pos, TPoint3DS());
  SizeTrack(m.Color, color, TFColor3DS{1, 1, 1});
  SizeTrack(m.Hot, hot, 90.0f);
  SizeTrack(m.Fall, fall, 90.0f);
  SizeTrack(m.Roll, roll, 0.0f);
  SizeTrack(m.TPos, targetPos, TPoint3DS());
}

void InitAmbientLightMotion(TKFAmbient3DS& m, std::uint32_t color) {
  m = TKFAmbient3DS();
  SizeTrack(m.Color, color, TFColor3DS{1, 1, 1});
}

TKFMesh3DS ReadObjectMotionFromNode(TFile3DS& file, TChunk3DS* node) {
  if (node == nullptr || node->Tag != OBJECT_NODE_TAG) ShowError(error3ds_wrong_object);
  TKFMesh3DS m;
  TakeHeader(file, node, m);
  if (TChunk3DS* instance = FindChunk(node, INSTANCE_NAME)) {
    m.Instance = TakeValue<std::string>(file, instance);
    m.Name += "." + m.Instance;
  }
  WithValue<TPoint3DS>(file, FindChunk(node, PIVOT), [&](const TPoint3DS& p) { m.Pivot = p; });
  WithValue<TBoundBox3DS>(file, FindChunk(node, BOUNDBOX), [&](const TBoundBox3DS& b) {
    m.BoundMin = b.Min;
    m.BoundMax = b.Max;
  });
  WithValue<float>(file, FindChunk(node, MORPH_SMOOTH), [&](float v) { m.MSAngle = v; });
  TakeTrack(file, node, POS_TRACK_TAG, m.Pos);
  TakeTrack(file, node, ROT_TRACK_TAG, m.Rot);
  TakeTrack(file, node, SCL_TRACK_TAG, m.Scale);
  TakeTrack(file, node, MORPH_TRACK_TAG, m.Morph);
  TakeTrack(file, node, HIDE_TRACK_TAG, m.Hide);
  return m;
}

TKFCamera3DS GetCameraMotion(TFile3DS& file, TChunk3DS* cameraNode, TChunk3DS* targetNode) {
  TKFCamera3DS m;
  TakeHeader(file, cameraNode, m);
  TakeTrack(file, cameraNode, POS_TRACK_TAG, m.Pos);
  TakeTrack(file, cameraNode, FOV_TRACK_TAG, m.FOV);
  TakeTrack(file, cameraNode, ROLL_TRACK_TAG, m.Roll);
  TakeTarget(file, targetNode, m);
  return m;
}

TKFOmni3DS ReadOmniLightMotionFromNode(TFile3DS& file, TChunk3DS* node) {
  TKFOmni3DS m;
  TakeHeader(file, node, m);
  TakeTrack(file, node, POS_TRACK_TAG, m.Pos);
  TakeTrack(file, node, COL_TRACK_TAG, m.Color);
  return m;
}

TKFSpot3DS ReadSpotLightMotionFromNode(TFile3DS& file, TChunk3DS* node, TChunk3DS* targetNode) {
  TKFSpot3DS m;
  TakeHeader(file, node, m);
  TakeTrack(file, node, POS_TRACK_TAG, m.Pos);
  TakeTrack(file, node, COL_TRACK_TAG, m.Color);
  TakeTrack(file, node, HOT_TRACK_TAG, m.Hot);
  TakeTrack(file, node, FALL_TRACK_TAG, m.Fall);
  TakeTrack(file, node, ROLL_TRACK_TAG, m.Roll);
  TakeTarget(file, targetNode, m);
  return m;
}

TKFAmbient3DS ReadAmbientLightMotion(TFile3DS& file, TChunk3DS* node) {
  if (node == nullptr) ShowError(error3ds_invalid_arg);
  TKFAmbient3DS m;
  m.Name = ReadHeaderInfo(file, node).Name;
  TakeTrack(file, node, COL_TRACK_TAG, m.Color);
  return m;
}

TKFMesh3DS GetObjectMotionByName(TFile3DS& file, std::string_view name) {
  TChunk3DS* node = FindKeyframeNodeByName(file, name, OBJECT_NODE_TAG);
  return node ? ReadObjectMotionFromNode(file, node) : TKFMesh3DS();
}

TKFOmni3DS GetOmniLightMotionByName(TFile3DS& file, std::string_view name) {
  TChunk3DS* node = FindKeyframeNodeByName(file, name, LIGHT_NODE_TAG);
  return node ? ReadOmniLightMotionFromNode(file, node) : TKFOmni3DS();
}

TKFSpot3DS GetSpotLightMotionByName(TFile3DS& file, std::string_view name) {
  TChunk3DS* node = FindKeyframeNodeByName(file, name, SPOTLIGHT_NODE_TAG);
  if (node == nullptr) return TKFSpot3DS();
  return ReadSpotLightMotionFromNode(file, node, FindKeyframeNodeByName(file, name, L_TARGET_NODE_TAG));
}

TKFMesh3DS GetObjectMotionByIndex(TFile3DS& file, int index) {
  const TNodeEntry3DS* node = KeyframeNodeByIndex(file, OBJECT_NODE_TAG, index);
  return node ? ReadObjectMotionFromNode(file, node->Entry->Chunk) : TKFMesh3DS();
}

// The node named by the index-th list entry of the tag is the first node of
// that tag and name (a name given twice reads the first node twice).
TKFCamera3DS GetCameraMotionByIndex(TFile3DS& file, int index) {
  const TNodeEntry3DS* entry = KeyframeNodeByIndex(file, CAMERA_NODE_TAG, index);
  if (entry == nullptr) return TKFCamera3DS();
  return GetCameraMotion(file, entry->FirstOfName, IndexedKeyframeNodeByName(file, TARGET_NODE_TAG, entry->Entry->NameStr));
}

TKFOmni3DS GetOmniLightMotionByIndex(TFile3DS& file, int index) {
  const TNodeEntry3DS* entry = KeyframeNodeByIndex(file, LIGHT_NODE_TAG, index);
  return entry ? ReadOmniLightMotionFromNode(file, entry->FirstOfName) : TKFOmni3DS();
}

TKFSpot3DS GetSpotLightMotionByIndex(TFile3DS& file, int index) {
  const TNodeEntry3DS* entry = KeyframeNodeByIndex(file, SPOTLIGHT_NODE_TAG, index);
  if (entry == nullptr) return TKFSpot3DS();
  return ReadSpotLightMotionFromNode(file, entry->FirstOfName,
                                     IndexedKeyframeNodeByName(file, L_TARGET_NODE_TAG, entry->Entry->NameStr));
}

TKFAmbient3DS GetAmbientLightMotion(TFile3DS& file) {
  TChunk3DS* kfdata = FindChunk(file.TopChunk(), KFDATA);
  TChunk3DS* node = kfdata ? FindChunk(kfdata, AMBIENT_NODE_TAG) : nullptr;
  return node ? ReadAmbientLightMotion(file, node) : TKFAmbient3DS();
}

TKFSets3DS GetKFSettings(TFile3DS& file) {
  TChunk3DS* root = file.TopChunk();
  if (root == nullptr) ShowError(error3ds_invalid_database);
  if (root->Tag != M3DMAGIC && root->Tag != CMAGIC) ShowError(error3ds_wrong_database);
  TKFSets3DS sets;
  sets.AnimLength = 30;
  sets.SegEnd = 30;
  TChunk3DS* kfdata = FindNextChunk(root->Children(), KFDATA);
  if (kfdata == nullptr) kfdata = AddNewChunkOrdered(KFDATA, root);
  WithValue<TKFHdr3DS>(file, FindNextChunk(kfdata->Children(), KFHDR),
                       [&](const TKFHdr3DS& h) { sets.AnimLength = static_cast<std::uint32_t>(h.AnimLength); });
  WithValue<std::int32_t>(file, FindNextChunk(kfdata->Children(), KFCURTIME),
                          [&](std::int32_t v) { sets.CurFrame = static_cast<std::uint32_t>(v); });
  WithValue<TKFSeg3DS>(file, FindNextChunk(kfdata->Children(), KFSEG), [&](const TKFSeg3DS& s) {
    sets.SegUse = true;
    sets.SegBegin = static_cast<std::uint32_t>(s.First);
    sets.SegEnd = static_cast<std::uint32_t>(s.Last);
  });
  return sets;
}

TReleaseLevel GetM3dMagicRelease(TFile3DS& file) {
  TChunk3DS* root = file.TopChunk();
  if (root == nullptr || root->Tag != M3DMAGIC) return rlReleaseNotKnown;
  std::int64_t version = 0;
  WithValue<std::int32_t>(file, FindChunk(root, M3D_VERSION), [&](std::int32_t v) { version = v; });
  return ReleaseFromVersion(version);
}

TReleaseLevel GetKFRelease(TFile3DS& file) {
  TChunk3DS* root = file.TopChunk();
  if (root == nullptr || (root->Tag != M3DMAGIC && root->Tag != CMAGIC)) return rlReleaseNotKnown;
  TChunk3DS* kfdata = FindChunk(root, KFDATA);
  if (kfdata == nullptr) return rlReleaseNotKnown;
  std::int64_t version = 0;
  WithValue<TKFHdr3DS>(file, FindChunk(kfdata, KFHDR), [&](const TKFHdr3DS& h) { version = h.Revision; });
  return ReleaseFromVersion(version);
}

}  // namespace corvane
