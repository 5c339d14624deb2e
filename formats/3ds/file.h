// TFile3DS: a 3DS stream (mesh file, project file or material library) read
// into a chunk tree. Loading reads only the chunk headers; a payload is
// decoded when an extraction asks for it (ReadChunkData), so the caller
// keeps the stream open and unchanged while records are extracted.
//
// Every read is bounded by the chunk being read and by the stream: a read
// past either raises E3DSReadError. Chunk lengths are never trusted: a chunk
// shorter than its header ends its parent's list, one running past its
// parent is cut at the parent's end, and reading goes on after each child at
// its (cut) end. Nesting deeper than kMaxDepth3DS is read as data.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "formats/3ds/chunk.h"
#include "formats/3ds/chunk_data.h"

namespace corvane {

class TStream;
class TStrings;
class TObjectList;
class TMaterialList;
class TKeyFramer;
struct TMeshSet3DS;
struct TAtmosphere3DS;
struct TBackground3DS;
struct TViewport3DS;

// Real files nest fewer than 10 levels.
inline constexpr int kMaxDepth3DS = 64;
// Chunk positions and lengths are 32 bits: the writers go no further.
inline constexpr std::int64_t kMaxFileSize3DS = 0xFFFFFFFF;

enum TDBType3DS : std::uint8_t { dbUnknown, dbMeshFile, dbProjectFile, dbMaterialFile };
enum TReleaseLevel : std::uint8_t { rlRelease1, rlRelease2, rlRelease3, rlReleaseNotKnown };
enum TDumpLevel : std::uint8_t { dlTerseDump, dlMediumDump, dlMaximumDump };

// The keyframe node ids, in the order the parent-name pass visits them (the
// ambient node is not among them).
inline constexpr std::array<std::uint16_t, 6> NodeTags = {0xB004, 0xB002, 0xB003, 0xB005, 0xB006, 0xB007};

// An index into the tree: a name and the chunk it names (null for a
// keyframe node without a header).
struct TChunkListEntry3DS {
  std::string NameStr;
  TChunk3DS* Chunk = nullptr;
};
using TChunkList3DS = std::vector<TChunkListEntry3DS>;

// The kinds of named object the object cache extracts by index.
enum TObjectKind3DS : std::uint8_t { okMesh3DS, okOmniLight3DS, okSpotLight3DS, okCamera3DS };

// What an extraction by index or by name looks up in the keyframe node
// list: the entries of each tag in list order, each with the first node of
// its tag and name (found while the index is made, so that taking every
// node by index reads the list in order rather than a hash at random), and
// the first node of each tag and name.
struct TNodeEntry3DS {
  const TChunkListEntry3DS* Entry = nullptr;
  TChunk3DS* FirstOfName = nullptr;
};
struct TNodeIndex3DS {
  std::unordered_map<std::uint16_t, std::vector<TNodeEntry3DS>> ByTag;
  std::unordered_map<std::uint16_t, std::unordered_map<std::string, TChunk3DS*>> FirstByName;
};

struct TDatabase3DS {
  std::unique_ptr<TChunk3DS> TopChunk;
  bool ObjListDirty = true;
  bool MatListDirty = true;
  bool NodeListDirty = true;
  // Absent until rebuilt.
  std::optional<TChunkList3DS> ObjList;
  std::optional<TChunkList3DS> MatList;
  std::optional<TChunkList3DS> NodeList;
  // Made from ObjList and NodeList on first need and dropped with them, so
  // that taking every object by index walks the lists once, not once per
  // object.
  std::array<std::optional<std::vector<TChunk3DS*>>, 4> ObjKinds;
  std::optional<TNodeIndex3DS> NodeIndex;
};

// (position, total): once with (0, stream size) when the tree is started,
// then with (position, 0) for each chunk header read.
using TLoadProgress = std::function<void(std::int64_t position, std::int64_t total)>;

class TFile3DS {
 public:
  TFile3DS();
  // Create, then load from stream (not owned).
  explicit TFile3DS(TStream& stream);
  TFile3DS(const TFile3DS&) = delete;
  TFile3DS& operator=(const TFile3DS&) = delete;
  ~TFile3DS();

  // Forgets the previous stream, empties the caches and the tree, and reads
  // the chunk headers of stream. A root id other than a mesh file, project
  // file or material library gives a childless root and no error.
  void LoadFromStream(TStream& stream);

  TDatabase3DS& Database() { return database_; }
  TChunk3DS* TopChunk() const { return database_.TopChunk.get(); }
  TObjectList& Objects() { return *objects_; }
  TMaterialList& Materials() { return *materials_; }
  TKeyFramer& KeyFramer() { return *keyFramer_; }
  void SetOnProgress(TLoadProgress handler) { onProgress_ = std::move(handler); }

  TDBType3DS GetDatabaseType() const;
  TReleaseLevel GetDatabaseRelease();
  TReleaseLevel GetMeshRelease();
  TMeshSet3DS GetMeshSettings();
  TAtmosphere3DS GetAtmosphereData();
  TBackground3DS GetBackgroundData();
  TViewport3DS GetViewportData();
  // One header line per chunk, indented by depth; value lines above
  // dlTerseDump.
  void DumpDatabase(TStrings& lines, TDumpLevel level);

  // Decodes chunk's payload into chunk->Data unless it is already there.
  void ReadChunkData(TChunk3DS* chunk);
  static void FreeChunkData(TChunk3DS* chunk) {
    if (chunk != nullptr) chunk->Data.reset();
  }
  // ReadChunkData, then the value when it is a T (null otherwise).
  template <class T>
  T* ChunkData(TChunk3DS* chunk) {
    ReadChunkData(chunk);
    return ChunkValue<T>(chunk);
  }

  // Typed readers at the current position, little-endian, bounded by the
  // chunk being decoded (E3DSReadError past it).
  std::uint8_t ReadByte();
  std::uint16_t ReadWord();
  std::int16_t ReadShort();
  std::uint32_t ReadCardinal();
  std::int32_t ReadInteger();
  float ReadSingle();
  double ReadDouble();
  void ReadData(std::int64_t count, void* buffer);
  void Skip(std::int64_t count);
  void ReadHeader(std::uint16_t& tag, std::uint32_t& size);
  TPoint3DS ReadPoint();
  TTexVert3DS ReadTexVert();
  TFace3DS ReadFace();
  TTrackHeader3DS ReadTrackHeader();
  TKeyHeader3DS ReadKeyHeader();
  // Three singles r, g, b.
  TFColor3DS ReadColorF();
  // 8-bit characters up to a 0 byte; one that runs to the bound raises
  // E3DSReadError.
  std::string ReadString();

  // The bytes left before the bound.
  std::int64_t BytesLeft() const { return limit_ - position_; }

  // The writers, mirror images of the readers, little-endian at the write
  // stream's position. The write stream is apart from the stream being
  // read, so a loaded file's records can be written out as they are read.
  // A write the stream does not take whole, one with no write stream, and
  // one that would reach past the 4 GiB a chunk's 32-bit offsets address
  // raise E3DSWriteError.
  void SetWriteStream(TStream* stream) { out_ = stream; }
  void WriteByte(std::uint8_t value);
  void WriteWord(std::uint16_t value);
  void WriteShort(std::int16_t value);
  void WriteCardinal(std::uint32_t value);
  void WriteInteger(std::int32_t value);
  void WriteSingle(float value);
  void WriteDouble(double value);
  void WriteData(std::int64_t count, const void* buffer);
  // The characters, then a 0 byte; text holding a 0 byte would read back
  // cut short, so it raises error3ds_invalid_arg and writes nothing.
  void WriteString(std::string_view text);
  // WriteString, then 0 bytes up to length bytes in all. Text that does
  // not fit with its 0 raises error3ds_string_too_long and writes nothing.
  void WriteFixedString(std::string_view text, std::int64_t length);
  void WriteHeader(std::uint16_t tag, std::uint32_t size);
  // Patches the length of the chunk whose header was written at start to
  // end - start, then stands at end. A header that is not inside what was
  // written, or a length below 6 or beyond 32 bits, raises
  // error3ds_invalid_arg and writes nothing.
  void FinishHeader(std::int64_t start, std::int64_t end);
  void WritePoint(const TPoint3DS& point);
  void WriteTexVertex(const TTexVert3DS& vertex);
  void WriteFace(const TFace3DS& face);
  void WriteTrackHeader(const TTrackHeader3DS& header);
  // Time, flags, then the singles whose flag bits are set, in the reader's
  // order.
  void WriteKeyHeader(const TKeyHeader3DS& key);

 private:
  void ReleaseDatabase();
  void CreateDatabase();
  void ReadChildren(TChunk3DS& chunk, int depth);
  void ReadXDataEntryChildren(TChunk3DS& chunk, int depth);
  void SeekChild(TChunk3DS& chunk);
  void SeekTo(std::int64_t position);
  // A count of elements of elementSize bytes that must fit before the bound.
  void CheckFits(std::int64_t count, std::int64_t elementSize) const;
  template <class T>
  std::vector<T> ReadArray(std::int64_t count);
  // One value of a record; chunkSize counts the arrays that fill their
  // chunk.
  template <class T>
  T ReadValue(std::uint32_t chunkSize);
  template <class V>
  TTrack3DS<V> ReadTrack();
  // Puts count bytes at the write stream's position.
  void Put(const void* bytes, std::int64_t count);
  void ParseDatabase();

  TStream* stream_ = nullptr;
  std::int64_t streamSize_ = 0;
  std::int64_t position_ = 0;
  std::int64_t limit_ = 0;
  TDatabase3DS database_;
  std::unique_ptr<TObjectList> objects_;
  std::unique_ptr<TMaterialList> materials_;
  std::unique_ptr<TKeyFramer> keyFramer_;
  TLoadProgress onProgress_;
  TStream* out_ = nullptr;
};

}  // namespace corvane
