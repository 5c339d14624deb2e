// The chunk tree of a 3DS file: one TChunk3DS per chunk header, in file
// order. A chunk owns its decoded payload, its children and the siblings
// that follow it; releasing one releases all of that without recursion, so
// no tree is too long to free.
#pragma once

#include <cstdint>
#include <memory>

namespace corvane {

// A decoded payload (the records of chunk_data.h derive from it).
struct TChunkData3DS {
  virtual ~TChunkData3DS() = default;
  // A payload that was made by the reader rather than read from the file
  // cannot be decoded again, so it is copied where others are moved.
  virtual bool Synthesised() const { return false; }
  virtual std::unique_ptr<TChunkData3DS> Clone() const = 0;
};

class TChunk3DS {
 public:
  TChunk3DS() = default;
  TChunk3DS(std::uint16_t tag, std::uint32_t size, std::uint32_t position) : Tag(tag), Size(size), Position(position) {}
  TChunk3DS(const TChunk3DS&) = delete;
  TChunk3DS& operator=(const TChunk3DS&) = delete;
  ~TChunk3DS();

  std::uint16_t Tag = 0;
  // The chunk length, header included; a chunk that ran past its parent is
  // cut at the parent's end.
  std::uint32_t Size = 0;
  // Stream offset of the header.
  std::uint32_t Position = 0;
  // Null until ReadChunkData decodes the payload.
  std::unique_ptr<TChunkData3DS> Data;

  TChunk3DS* Children() const { return children_.get(); }
  TChunk3DS* Sibling() const { return sibling_.get(); }
  std::int64_t End() const { return std::int64_t{Position} + Size; }

  // Appends at the end of the children.
  TChunk3DS* AddChild(std::unique_ptr<TChunk3DS> child);
  // Puts child in front of the first child of lower canonical rank
  // (GetChunkValue), else behind the last one.
  TChunk3DS* AddChildOrdered(std::unique_ptr<TChunk3DS> child);
  // Releases the children and the payload; Tag, Size and Position become 0.
  // The chunk stays where it is among its siblings.
  void Clear();

 private:
  // Releases every chunk below and after this one, one at a time.
  void ReleaseLinks();

  std::unique_ptr<TChunk3DS> children_;
  std::unique_ptr<TChunk3DS> sibling_;
  TChunk3DS* lastChild_ = nullptr;
};

using PChunk3DS = TChunk3DS*;

// chunk itself when its tag matches, else the first match depth first among
// its children; null when none.
TChunk3DS* FindChunk(TChunk3DS* chunk, std::uint16_t tag);
// The first chunk with tag in the sibling chain from chunk (included).
TChunk3DS* FindNextChunk(TChunk3DS* chunk, std::uint16_t tag);
// The rank of an id in the canonical chunk order (0 for most ids).
int GetChunkValue(std::uint16_t tag);
// A new chunk with tag placed in parent by rank; the new chunk.
TChunk3DS* AddNewChunkOrdered(std::uint16_t tag, TChunk3DS* parent);
// A copy of the tree from chunk (its siblings excluded): the same tags,
// sizes and positions, the payloads moved to the copy (synthesised ones
// copied). Null raises error3ds_invalid_arg.
std::unique_ptr<TChunk3DS> CopyChunk(TChunk3DS* chunk);
// As TChunk3DS::Clear, for a chunk given by reference.
void DeleteChunk(TChunk3DS* chunk);

}  // namespace corvane
