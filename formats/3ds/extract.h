// What every extraction does with a chunk: decode its payload, use or take
// the value, and free the payload again so the tree keeps no decoded data
// and a later extraction decodes it afresh.
#pragma once

#include <utility>

#include "formats/3ds/chunk_data.h"
#include "formats/3ds/file.h"

namespace corvane {

// The decoded T moved out of chunk (a default T when chunk holds none).
template <class T>
T TakeValue(TFile3DS& file, TChunk3DS* chunk) {
  T value{};
  if (T* decoded = file.ChunkData<T>(chunk)) value = std::move(*decoded);
  TFile3DS::FreeChunkData(chunk);
  return value;
}

// use(value) when chunk decodes to a T.
template <class T, class Use>
void WithValue(TFile3DS& file, TChunk3DS* chunk, Use use) {
  if (T* value = file.ChunkData<T>(chunk)) use(*value);
  TFile3DS::FreeChunkData(chunk);
}

inline TFColor3DS ColorFromBytes(const TColor24& c) { return {c.r / 255.0f, c.g / 255.0f, c.b / 255.0f}; }

}  // namespace corvane
