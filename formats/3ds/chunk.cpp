#include "formats/3ds/chunk.h"

#include <vector>

#include "formats/3ds/chunk_ids.h"
#include "formats/3ds/errors.h"

namespace corvane {

TChunk3DS::~TChunk3DS() { ReleaseLinks(); }

void TChunk3DS::ReleaseLinks() {
  std::vector<std::unique_ptr<TChunk3DS>> pending;
  if (children_) pending.push_back(std::move(children_));
  if (sibling_) pending.push_back(std::move(sibling_));
  lastChild_ = nullptr;
  while (!pending.empty()) {
    std::unique_ptr<TChunk3DS> chunk = std::move(pending.back());
    pending.pop_back();
    if (chunk->children_) pending.push_back(std::move(chunk->children_));
    if (chunk->sibling_) pending.push_back(std::move(chunk->sibling_));
    // chunk goes here with no links left.
  }
}

TChunk3DS* TChunk3DS::AddChild(std::unique_ptr<TChunk3DS> child) {
  TChunk3DS* added = child.get();
  if (lastChild_ == nullptr) children_ = std::move(child);
  else lastChild_->sibling_ = std::move(child);
  lastChild_ = added;
  return added;
}

TChunk3DS* TChunk3DS::AddChildOrdered(std::unique_ptr<TChunk3DS> child) {
  const int rank = GetChunkValue(child->Tag);
  TChunk3DS* added = child.get();
  std::unique_ptr<TChunk3DS>* link = &children_;
  while (*link) {
    if (GetChunkValue((*link)->Tag) < rank) {
      child->sibling_ = std::move(*link);
      *link = std::move(child);
      return added;
    }
    link = &(*link)->sibling_;
  }
  *link = std::move(child);
  lastChild_ = added;
  return added;
}

void TChunk3DS::Clear() {
  // Only the children go; the siblings belong to the parent's chain.
  std::unique_ptr<TChunk3DS> keep = std::move(sibling_);
  ReleaseLinks();
  sibling_ = std::move(keep);
  Data.reset();
  Tag = 0;
  Size = 0;
  Position = 0;
}

TChunk3DS* FindChunk(TChunk3DS* chunk, std::uint16_t tag) {
  if (chunk == nullptr) return nullptr;
  if (chunk->Tag == tag) return chunk;
  // Depth is bounded by the tree reader; siblings are walked in a loop.
  for (TChunk3DS* child = chunk->Children(); child != nullptr; child = child->Sibling())
    if (TChunk3DS* found = FindChunk(child, tag)) return found;
  return nullptr;
}

TChunk3DS* FindNextChunk(TChunk3DS* chunk, std::uint16_t tag) {
  for (; chunk != nullptr; chunk = chunk->Sibling())
    if (chunk->Tag == tag) return chunk;
  return nullptr;
}

int GetChunkValue(std::uint16_t tag) {
  using namespace chunk3ds;
  switch (tag) {
    case NULL_CHUNK: return 1;
    case SMAGIC: return 2;
    case LMAGIC: return 3;
    case M3DMAGIC: return 4;
    case M3D_VERSION: return 5;
    case MDATA: return 6;
    case KFDATA: return 7;
    case COLOR_24: return 8;
    case LIN_COLOR_24: return 9;
    case MESH_VERSION: return 10;
    case MAT_ENTRY: return 11;
    case KFHDR: return 12;
    case MASTER_SCALE: return 13;
    case VIEWPORT_LAYOUT: return 14;
    case LO_SHADOW_BIAS: return 15;
    case SHADOW_MAP_SIZE: return 16;
    case SHADOW_FILTER: return 17;
    case RAY_BIAS: return 18;
    case O_CONSTS: return 19;
    case AMBIENT_LIGHT: return 20;
    case SOLID_BGND: return 21;
    case BIT_MAP: return 22;
    case V_GRADIENT: return 23;
    case USE_BIT_MAP: return 24;
    case USE_SOLID_BGND: return 25;
    case USE_V_GRADIENT: return 26;
    case FOG: return 27;
    case LAYER_FOG: return 28;
    case DISTANCE_CUE: return 29;
    case DEFAULT_VIEW: return 30;
    case NAMED_OBJECT: return 31;
    case KFSEG: return 32;
    case KFCURTIME: return 33;
    case OBJECT_NODE_TAG:
    case CAMERA_NODE_TAG:
    case TARGET_NODE_TAG:
    case L_TARGET_NODE_TAG:
    case SPOTLIGHT_NODE_TAG: return 34;
    case AMBIENT_NODE_TAG: return 35;
    case OBJ_HIDDEN:
    case N_TRI_OBJECT:
    case N_DIRECT_LIGHT:
    case N_CAMERA: return 1;
    default: return 0;
  }
}

TChunk3DS* AddNewChunkOrdered(std::uint16_t tag, TChunk3DS* parent) {
  return WithNoMemError3DS([&] { return parent->AddChildOrdered(std::make_unique<TChunk3DS>(tag, 0, 0)); });
}

namespace {

std::unique_ptr<TChunk3DS> CopyTree(TChunk3DS* chunk) {
  auto copy = std::make_unique<TChunk3DS>(chunk->Tag, chunk->Size, chunk->Position);
  if (chunk->Data) copy->Data = chunk->Data->Synthesised() ? chunk->Data->Clone() : std::move(chunk->Data);
  for (TChunk3DS* child = chunk->Children(); child != nullptr; child = child->Sibling()) copy->AddChild(CopyTree(child));
  return copy;
}

}  // namespace

std::unique_ptr<TChunk3DS> CopyChunk(TChunk3DS* chunk) {
  if (chunk == nullptr) ShowError(error3ds_invalid_arg);
  return WithNoMemError3DS([&] { return CopyTree(chunk); });
}

void DeleteChunk(TChunk3DS* chunk) {
  if (chunk != nullptr) chunk->Clear();
}

}  // namespace corvane
