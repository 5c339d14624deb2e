// The keyframe node bookkeeping of a load (parent names), the node index of
// the database and the keyframe cache.
#include <algorithm>
#include <unordered_map>

#include "formats/3ds/chunk_ids.h"
#include "formats/3ds/errors.h"
#include "formats/3ds/extract.h"
#include "formats/3ds/file.h"
#include "formats/3ds/keyframer.h"

namespace corvane {

using namespace chunk3ds;

namespace {

// One keyframe node as the load sees it.
struct TNodeList {
  std::int16_t ID = -1;
  std::uint16_t Tag = 0;
  std::string Name;
  std::string InstanceName;
  std::int16_t ParentID = -1;
};

bool IsNodeTag(std::uint16_t tag) { return std::find(NodeTags.begin(), NodeTags.end(), tag) != NodeTags.end(); }

// "name" or, with an instance name, "name.instance".
std::string FullName(const std::string& name, const std::string& instance) {
  return instance.empty() ? name : name + "." + instance;
}

}  // namespace

void TFile3DS::ParseDatabase() {
  TChunk3DS* kfdata = FindChunk(TopChunk(), KFDATA);
  if (kfdata == nullptr) return;
  std::vector<TNodeList> nodes;
  for (TChunk3DS* child = kfdata->Children(); child != nullptr; child = child->Sibling()) {
    if (!IsNodeTag(child->Tag)) continue;
    TNodeList node;
    node.Tag = child->Tag;
    if (TChunk3DS* hdr = FindNextChunk(child->Children(), NODE_HDR)) {
      const TNodeHdr3DS header = TakeValue<TNodeHdr3DS>(*this, hdr);
      node.Name = header.ObjName;
      node.ParentID = header.ParentIndex;
    }
    WithValue<std::int16_t>(*this, FindNextChunk(child->Children(), NODE_ID), [&](std::int16_t id) { node.ID = id; });
    if (node.Tag == OBJECT_NODE_TAG)
      node.InstanceName = TakeValue<std::string>(*this, FindNextChunk(child->Children(), INSTANCE_NAME));
    nodes.push_back(std::move(node));
  }
  if (std::any_of(nodes.begin(), nodes.end(), [](const TNodeList& n) { return n.ID == -1; }))
    for (std::size_t i = 0; i < nodes.size(); ++i) nodes[i].ID = static_cast<std::int16_t>(i);

  // The first node of each id, as a walk of the list would find it.
  std::unordered_map<std::int16_t, const TNodeList*> byId;
  for (const TNodeList& node : nodes) byId.emplace(node.ID, &node);

  for (std::uint16_t tag : NodeTags) {
    for (TChunk3DS* chunk = FindChunk(kfdata, tag); chunk != nullptr; chunk = FindNextChunk(chunk->Sibling(), tag)) {
      TChunk3DS* hdr = FindNextChunk(chunk->Children(), NODE_HDR);
      TChunk3DS* idChunk = FindNextChunk(chunk->Children(), NODE_ID);
      if (hdr == nullptr || idChunk == nullptr) continue;
      const auto self = byId.find(TakeValue<std::int16_t>(*this, idChunk));
      if (self == byId.end() || self->second->ParentID == -1) continue;
      const auto parent = byId.find(self->second->ParentID);
      if (parent == byId.end()) continue;
      const std::string name = FullName(parent->second->Name, parent->second->InstanceName);
      if (name.empty() || FindNextChunk(hdr->Children(), PARENT_NAME) != nullptr) continue;
      auto parentName = std::make_unique<TChunk3DS>(PARENT_NAME, static_cast<std::uint32_t>(6 + name.size() + 1), 0);
      parentName->Data = std::make_unique<TChunkRecord3DS<std::string>>(name, true);
      hdr->AddChild(std::move(parentName));
    }
  }
}

void RebuildKeyframeNodeList(TFile3DS& file) {
  TDatabase3DS& db = file.Database();
  if (!db.NodeListDirty) return;
  db.NodeList.reset();
  TChunk3DS* kfdata = FindChunk(file.TopChunk(), KFDATA);
  TChunkList3DS list;
  for (TChunk3DS* child = kfdata ? kfdata->Children() : nullptr; child != nullptr; child = child->Sibling()) {
    if (child->Tag < AMBIENT_NODE_TAG || child->Tag > SPOTLIGHT_NODE_TAG) continue;
    TChunkListEntry3DS entry;
    if (TChunk3DS* hdr = FindNextChunk(child->Children(), NODE_HDR)) {
      entry.Chunk = child;
      entry.NameStr = TakeValue<TNodeHdr3DS>(file, hdr).ObjName;
      if (child->Tag == OBJECT_NODE_TAG)
        if (TChunk3DS* instance = FindNextChunk(child->Children(), INSTANCE_NAME))
          entry.NameStr = FullName(entry.NameStr, TakeValue<std::string>(file, instance));
    }
    list.push_back(std::move(entry));
  }
  const bool any = !list.empty();
  db.NodeList = std::move(list);
  db.NodeIndex.reset();
  if (any) db.NodeListDirty = false;
}

const TNodeIndex3DS& KeyframeNodeIndex(TFile3DS& file) {
  RebuildKeyframeNodeList(file);
  TDatabase3DS& db = file.Database();
  if (!db.NodeIndex) {
    TNodeIndex3DS index;
    // Sized once: a file of many nodes would otherwise rehash every name
    // several times over.
    std::unordered_map<std::uint16_t, std::size_t> counts;
    for (const TChunkListEntry3DS& e : *db.NodeList)
      if (e.Chunk != nullptr) ++counts[e.Chunk->Tag];
    for (const auto& [tag, count] : counts) {
      index.ByTag[tag].reserve(count);
      if (tag != OBJECT_NODE_TAG) index.FirstByName[tag].reserve(count);
    }
    for (const TChunkListEntry3DS& e : *db.NodeList) {
      if (e.Chunk == nullptr) continue;
      // An object node's list name holds its instance; the look-up by
      // name compares the header's name alone.
      TChunk3DS* first = e.Chunk;
      if (e.Chunk->Tag != OBJECT_NODE_TAG) first = index.FirstByName[e.Chunk->Tag].emplace(e.NameStr, e.Chunk).first->second;
      index.ByTag[e.Chunk->Tag].push_back({&e, first});
    }
    db.NodeIndex = std::move(index);
  }
  return *db.NodeIndex;
}

const TNodeEntry3DS* KeyframeNodeByIndex(TFile3DS& file, std::uint16_t tag, int index) {
  const TNodeIndex3DS& nodes = KeyframeNodeIndex(file);
  const auto found = nodes.ByTag.find(tag);
  if (found == nodes.ByTag.end() || index < 0 || static_cast<std::size_t>(index) >= found->second.size())
    return nullptr;
  return &found->second[static_cast<std::size_t>(index)];
}

TChunk3DS* IndexedKeyframeNodeByName(TFile3DS& file, std::uint16_t tag, const std::string& name) {
  const TNodeIndex3DS& nodes = KeyframeNodeIndex(file);
  const auto ofTag = nodes.FirstByName.find(tag);
  if (ofTag == nodes.FirstByName.end()) return nullptr;
  const auto found = ofTag->second.find(name);
  return found == ofTag->second.end() ? nullptr : found->second;
}

int CountKeyframeNodesByTag(TFile3DS& file, std::uint16_t tag) {
  const TNodeIndex3DS& nodes = KeyframeNodeIndex(file);
  const auto found = nodes.ByTag.find(tag);
  return found == nodes.ByTag.end() ? 0 : static_cast<int>(found->second.size());
}

std::vector<std::string> ListKeyframeNodeNamesByTag(TFile3DS& file, std::uint16_t tag) {
  RebuildKeyframeNodeList(file);
  std::vector<std::string> names;
  for (const TChunkListEntry3DS& e : *file.Database().NodeList)
    if (e.Chunk && e.Chunk->Tag == tag) names.push_back(e.NameStr);
  return names;
}

TChunk3DS* FindKeyframeNodeByName(TFile3DS& file, std::string_view name, std::uint16_t tag) {
  TChunk3DS* kfdata = FindChunk(file.TopChunk(), KFDATA);
  if (kfdata == nullptr) return nullptr;
  for (TChunk3DS* child = FindNextChunk(kfdata->Children(), tag); child != nullptr;
       child = FindNextChunk(child->Sibling(), tag)) {
    TChunk3DS* hdr = FindNextChunk(child->Children(), NODE_HDR);
    if (hdr != nullptr && TakeValue<TNodeHdr3DS>(file, hdr).ObjName == name) return child;
  }
  return nullptr;
}

TChunk3DS* FindObjectNodeByName(TFile3DS& file, std::string_view name, std::uint16_t tag) {
  RebuildKeyframeNodeList(file);
  TChunk3DS* found = nullptr;
  for (const TChunkListEntry3DS& e : *file.Database().NodeList)
    if (e.Chunk && e.Chunk->Tag == tag && e.NameStr == name) found = e.Chunk;
  return found;
}

int GetObjectNodeCount(TFile3DS& file) { return CountKeyframeNodesByTag(file, OBJECT_NODE_TAG); }
int GetCameraNodeCount(TFile3DS& file) { return CountKeyframeNodesByTag(file, CAMERA_NODE_TAG); }
int GetOmniLightNodeCount(TFile3DS& file) { return CountKeyframeNodesByTag(file, LIGHT_NODE_TAG); }
int GetSpotLightNodeCount(TFile3DS& file) { return CountKeyframeNodesByTag(file, SPOTLIGHT_NODE_TAG); }
std::vector<std::string> GetObjectNodeNameList(TFile3DS& file) { return ListKeyframeNodeNamesByTag(file, OBJECT_NODE_TAG); }
std::vector<std::string> GetCameraNodeNameList(TFile3DS& file) { return ListKeyframeNodeNamesByTag(file, CAMERA_NODE_TAG); }
std::vector<std::string> GetOmniLightNodeNameList(TFile3DS& file) { return ListKeyframeNodeNamesByTag(file, LIGHT_NODE_TAG); }
std::vector<std::string> GetSpotLightNodeNameList(TFile3DS& file) {
  return ListKeyframeNodeNamesByTag(file, SPOTLIGHT_NODE_TAG);
}

TKeyFramer::TKeyFramer(TFile3DS& owner) : owner_(owner) {}

TKeyFramer::~TKeyFramer() = default;

void TKeyFramer::ClearLists() {
  meshMotions_.Clear();
  omniMotions_.Clear();
  spotMotions_.Clear();
  cameraMotions_.Clear();
  ambient_.reset();
}

int TKeyFramer::GetMeshMotionCount() {
  return meshMotions_.Count([&] { return GetObjectNodeCount(owner_); });
}
int TKeyFramer::GetOmniMotionCount() {
  return omniMotions_.Count([&] { return GetOmniLightNodeCount(owner_); });
}
int TKeyFramer::GetSpotMotionCount() {
  return spotMotions_.Count([&] { return GetSpotLightNodeCount(owner_); });
}
int TKeyFramer::GetCamMotionCount() {
  return cameraMotions_.Count([&] { return GetCameraNodeCount(owner_); });
}

TKFMesh3DS* TKeyFramer::GetMeshMotion(int index) {
  return meshMotions_.Get(index, [&] { return GetObjectNodeCount(owner_); },
                          [&] { return GetObjectMotionByIndex(owner_, index); });
}

TKFOmni3DS* TKeyFramer::GetOmniLightMotion(int index) {
  return omniMotions_.Get(index, [&] { return GetOmniLightNodeCount(owner_); },
                          [&] { return GetOmniLightMotionByIndex(owner_, index); });
}

TKFSpot3DS* TKeyFramer::GetSpotLightMotion(int index) {
  return spotMotions_.Get(index, [&] { return GetSpotLightNodeCount(owner_); },
                          [&] { return GetSpotLightMotionByIndex(owner_, index); });
}

TKFCamera3DS* TKeyFramer::GetCameraMotion(int index) {
  return cameraMotions_.Get(index, [&] { return GetCameraNodeCount(owner_); },
                            [&] { return GetCameraMotionByIndex(owner_, index); });
}

TKFAmbient3DS* TKeyFramer::GetAmbientMotion() {
  if (!ambient_)
    ambient_ = WithNoMemError3DS([&] { return std::make_unique<TKFAmbient3DS>(GetAmbientLightMotion(owner_)); });
  return ambient_.get();
}

TKFSets3DS TKeyFramer::GetKFSets() { return GetKFSettings(owner_); }

}  // namespace corvane
