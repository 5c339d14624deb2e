// The value types of the 3DS format and the records that decoded chunk
// payloads become. Every record is a TChunkRecord3DS<T> around a plain
// value, so extraction code reads `ChunkValue<T>(chunk)` and moves arrays
// out of it without copying.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "formats/3ds/chunk.h"

namespace corvane {

struct TPoint3DS {
  float x = 0, y = 0, z = 0;
  bool operator==(const TPoint3DS&) const = default;
};

struct TTexVert3DS {
  float u = 0, v = 0;
  bool operator==(const TTexVert3DS&) const = default;
};

struct TFace3DS {
  std::uint16_t V1 = 0, V2 = 1, V3 = 2;
  std::uint16_t Flag = 0;
  bool operator==(const TFace3DS&) const = default;
};

struct TFColor3DS {
  float r = 0, g = 0, b = 0;
  bool operator==(const TFColor3DS&) const = default;
};

struct TColor24 {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const TColor24&) const = default;
};

struct TTrackHeader3DS {
  std::uint16_t Flags = 0;
  // Real files put values here: they are kept, never checked.
  std::uint32_t Nu1 = 0, Nu2 = 0;
  std::uint32_t KeyCount = 1;
  bool operator==(const TTrackHeader3DS&) const = default;
};

struct TKeyHeader3DS {
  std::uint32_t Time = 0;
  std::uint16_t RFlags = 0;
  float Tension = 0, Continuity = 0, Bias = 0, EaseTo = 0, EaseFrom = 0;
  bool operator==(const TKeyHeader3DS&) const = default;
};

struct TKFRotKey3DS {
  float Angle = 0, X = 0, Y = 0, Z = 1;
  bool operator==(const TKFRotKey3DS&) const = default;
};

// The records of the payload table.
struct TFog3DS {
  float NearPlane = 0, NearDensity = 0, FarPlane = 0, FarDensity = 0;
};
struct TLayerFog3DS {
  float ZMin = 0, ZMax = 0, Density = 0;
  std::uint32_t Flags = 0;
};
struct TViewStandard3DS {
  float ViewWidth = 0;
  TPoint3DS Target;
};
struct TViewUser3DS {
  float ViewWidth = 0, XYViewAngle = 0, YZViewAngle = 0, BankAngle = 0;
  TPoint3DS Target;
};
struct TMshMatGroup3DS {
  std::string MatName;
  std::vector<std::uint16_t> Faces;
};
struct TMapInfo3DS {
  std::uint16_t MapType = 0;
  float TileX = 1, TileY = 1;
  TPoint3DS IconPos;
  float IconScaling = 1;
  std::array<float, 12> XMatrix = {1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0};
  float IconWidth = 1, IconHeight = 1, CylIconHeight = 1;
  bool operator==(const TMapInfo3DS&) const = default;
};
struct TDlSpotlight3DS {
  TPoint3DS Target;
  float Hotspot = 0, Falloff = 0;
};
struct TDlLocalShadow23DS {
  float Bias = 0, Filter = 0;
  std::int16_t MapSize = 0;
};
struct TNCamera3DS {
  TPoint3DS Position, Target;
  float Roll = 0, Focal = 0;
};
struct TCamRanges3DS {
  float Near = 0, Far = 0;
};
struct TViewportLayout3DS {
  std::int16_t Form = 0, Top = 0, Ready = 0, WState = 0, SwapWS = 0, SwapPort = 0, SwapCur = 0;
};
struct TViewportData3DS {
  std::int16_t Flags = 0, AxisLockout = 0, WinXPos = 0, WinYPos = 0, WinWidth = 0, WinHeight = 0, View = 0;
  float Zoom = 0;
  TPoint3DS WorldCenter;
  float HorizAng = 0, VertAng = 0;
  std::string CamName;
};
struct TViewportSize3DS {
  std::uint16_t XPos = 0, YPos = 0, Width = 0, Height = 0;
};
struct TMatAcubic3DS {
  std::uint8_t ShadeLevel = 0, Antialias = 0;
  std::int16_t Flags = 0;
  std::uint32_t MapSize = 0, FrameInterval = 0;
};
struct TKFSeg3DS {
  std::int32_t First = 0, Last = 0;
};
struct TKFHdr3DS {
  std::int16_t Revision = 0;
  std::string Filename;
  std::int32_t AnimLength = 0;
};
struct TNodeHdr3DS {
  std::string ObjName;
  std::uint16_t Flags1 = 0, Flags2 = 0;
  std::int16_t ParentIndex = 0;
};
struct TBoundBox3DS {
  TPoint3DS Min, Max;
};

// A key-framed track: the header, one key header per key and, except for
// the hide track, one value per key.
struct TNoValue3DS {
  bool operator==(const TNoValue3DS&) const = default;
};
template <class V>
struct TTrack3DS {
  using value_type = V;
  TTrackHeader3DS Header{0, 0, 0, 0};
  std::vector<TKeyHeader3DS> Keys;
  std::vector<V> Values;
  std::uint32_t KeyCount() const { return Header.KeyCount; }
  bool operator==(const TTrack3DS&) const = default;
};
using TPosTrack3DS = TTrack3DS<TPoint3DS>;
using TRotTrack3DS = TTrack3DS<TKFRotKey3DS>;
using TScaleTrack3DS = TTrack3DS<TPoint3DS>;
using TColorTrack3DS = TTrack3DS<TFColor3DS>;
using TFloatTrack3DS = TTrack3DS<float>;
using TMorphTrack3DS = TTrack3DS<std::string>;
using THideTrack3DS = TTrack3DS<TNoValue3DS>;

template <class T>
struct TChunkRecord3DS final : TChunkData3DS {
  TChunkRecord3DS() = default;
  explicit TChunkRecord3DS(T value, bool synthesised = false) : Value(std::move(value)), synthesised_(synthesised) {}
  bool Synthesised() const override { return synthesised_; }
  std::unique_ptr<TChunkData3DS> Clone() const override { return std::make_unique<TChunkRecord3DS>(Value, synthesised_); }
  T Value{};

 private:
  bool synthesised_ = false;
};

// The decoded value of chunk when it holds a T; null otherwise.
template <class T>
T* ChunkValue(TChunk3DS* chunk) {
  if (chunk == nullptr) return nullptr;
  auto* record = dynamic_cast<TChunkRecord3DS<T>*>(chunk->Data.get());
  return record ? &record->Value : nullptr;
}

// Raw payload blocks (procedural data, extended data entries, any id the
// table does not know).
using TRawData3DS = std::vector<std::uint8_t>;

// Sets chunk->Data to an empty record of the kind its id decodes into
// (null for containers and markers) and returns it.
TChunkData3DS* InitChunkData(TChunk3DS* chunk);

}  // namespace corvane
