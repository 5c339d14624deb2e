// Files no exporter writes: every one loads or fails with the reader's own
// error, and every extraction and the dump then run without a crash, a hang
// or an allocation the file's size does not pay for.
#include <gtest/gtest.h>

#include "formats/3ds/chunk_ids.h"
#include "formats/3ds/errors.h"
#include "formats/3ds/file.h"
#include "formats/3ds/meshes.h"
#include "tests/formats/3ds/chunk_bytes.h"
#include "tests/formats/3ds/exercise.h"

namespace corvane {
namespace {

using namespace chunk3ds;
using namespace test3ds;

const char* const kFixtures[] = {"cube.3ds", "lights.3ds", "hierarchy.3ds", "project.prj", "library.mli", "boxes.3ds"};

// Loads bytes and exercises the result; false when the load itself failed.
bool LoadAndExercise(const std::string& bytes, bool valueDumps = true) {
  TMemoryStream stream = StreamOf(bytes);
  TFile3DS file;
  try {
    file.LoadFromStream(stream);
  } catch (const E3DSError&) {
    return false;
  }
  ExerciseFile3DS(file, valueDumps);
  return true;
}

TEST(Hostile, FixturesLoadWholeAndEveryTruncationFails) {
  for (const char* name : kFixtures) {
    const std::string bytes = Fixture(name);
    TMemoryStream stream = StreamOf(bytes);
    TFile3DS file(stream);
    // Real layouts raise nothing; a material library has no keyframer
    // settings to give.
    EXPECT_EQ(ExerciseFile3DS(file), std::string_view(name) == "library.mli" ? 1 : 0) << name;
    for (std::size_t length = 0; length < bytes.size(); ++length)
      EXPECT_FALSE(LoadAndExercise(bytes.substr(0, length))) << name << " cut to " << length;
  }
}

TEST(Hostile, CorruptedFixturesNeverEscapeTheReader) {
  // Every byte of every fixture replaced in turn by a value that breaks
  // lengths, counts or terminators (the values taking turns by position).
  const char values[] = {'\x00', '\xff', '\x7f', '\x80', '\x06'};
  for (const char* name : kFixtures) {
    const std::string bytes = Fixture(name);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      std::string changed = bytes;
      changed[i] = values[i % std::size(values)] == changed[i] ? '\x01' : values[i % std::size(values)];
      LoadAndExercise(changed, false);
    }
  }
}

// A root holding depth containers, each holding the next.
std::string Nested(int depth) {
  std::string bytes = RawChunk(M3DMAGIC, static_cast<std::uint32_t>(6 * (depth + 1)));
  for (int i = depth; i > 0; --i) bytes += RawChunk(MDATA, static_cast<std::uint32_t>(6 * i));
  return bytes;
}

TEST(Hostile, DeepNestingIsCappedAndLongChainsAreWalkedInLoops) {
  {
    TMemoryStream stream = StreamOf(Nested(100000));
    TFile3DS file(stream);
    int depth = 0;
    for (TChunk3DS* c = file.TopChunk(); c != nullptr; c = c->Children()) ++depth;
    EXPECT_EQ(depth, kMaxDepth3DS + 1);
    EXPECT_EQ(ExerciseFile3DS(file), 0);
  }
  {
    std::string objects;
    for (int i = 0; i < 100000; ++i) objects += Chunk(NAMED_OBJECT, Str(""));
    TMemoryStream stream = StreamOf(Chunk(M3DMAGIC, {}, {Chunk(MDATA, {}, {objects})}));
    TFile3DS file(stream);
    RebuildNamedObjectList(file);
    EXPECT_EQ(file.Database().ObjList->size(), 100000u);
    EXPECT_EQ(ExerciseFile3DS(file, false), 0);
  }
}

TEST(Hostile, LengthsAndCountsBeyondTheBytes) {
  const std::string points = Chunk(POINT_ARRAY, U16(3) + Floats({0, 0, 0, 1, 0, 0, 0, 1, 0}));
  auto object = [](const std::string& triChildren) {
    return Chunk(NAMED_OBJECT, Str("o"), {U16(N_TRI_OBJECT) + U32(static_cast<std::uint32_t>(6 + triChildren.size())) + triChildren});
  };
  auto file = [](const std::string& mdataBody) {
    return Chunk(M3DMAGIC, {}, {U16(MDATA) + U32(static_cast<std::uint32_t>(6 + mdataBody.size())) + mdataBody});
  };
  struct Row {
    const char* what;
    std::string bytes;
    bool loads;
    int errors;  // raised by the extractions (a bad payload also by the two value dumps)
  } rows[] = {
      {"root of length 0x7FFFFFFF", RawChunk(M3DMAGIC, 0x7FFFFFFF) + Chunk(MDATA), false, 0},
      {"child of length 0x7FFFFFFF", file(RawChunk(NAMED_OBJECT, 0x7FFFFFFF, Str("x"))), true, 0},
      {"root of length 3", RawChunk(M3DMAGIC, 3), true, 0},
      {"five bytes", "MM\x01\x00\x00", false, 0},
      {"vertex count beyond the chunk", file(object(Chunk(POINT_ARRAY, U16(65535) + Floats({1, 2, 3})))), true, 3},
      {"face count beyond the chunk", file(object(points + Chunk(FACE_ARRAY, U16(9000)))), true, 3},
      {"material group count beyond the chunk",
       file(object(points + Chunk(FACE_ARRAY, U16(0), {Chunk(MSH_MAT_GROUP, Str("m") + U16(60000) + U16(1))}))), true, 3},
      {"a face index past the vertices",
       file(object(points + Chunk(FACE_ARRAY, U16(1) + U16(0) + U16(1) + U16(999) + U16(0)))), true, 0},
      {"key count 0xFFFFFFFF",
       Chunk(M3DMAGIC, {}, {Chunk(KFDATA, {}, {Chunk(OBJECT_NODE_TAG, {}, {Chunk(NODE_HDR, Str("n") + U16(0) + U16(0) + U16(0xFFFF)),
                                                                         Chunk(POS_TRACK_TAG, U16(0) + U32(0) + U32(0) + U32(0xFFFFFFFF))})})}),
       true, 3},
      {"an unterminated name in a value", file(Chunk(0x1100 /* BIT_MAP */, "bitmap")), false, 0},
      {"an unterminated exclude name", file(Chunk(NAMED_OBJECT, Str("L"), {Chunk(N_DIRECT_LIGHT, Floats({0, 0, 0}), {Chunk(DL_EXCLUDE, "x")})})),
       true, 3},
      {"a node header without its words", Chunk(M3DMAGIC, {}, {Chunk(KFDATA, {}, {Chunk(OBJECT_NODE_TAG, {}, {Chunk(NODE_HDR, Str("n"))})})}),
       false, 0},
  };
  for (const Row& r : rows) {
    TMemoryStream stream = StreamOf(r.bytes);
    TFile3DS f;
    bool loaded = true;
    try {
      f.LoadFromStream(stream);
    } catch (const E3DSError&) {
      loaded = false;
    }
    EXPECT_EQ(loaded, r.loads) << r.what;
    if (loaded) {
      EXPECT_EQ(ExerciseFile3DS(f), r.errors) << r.what;
    }
  }
  // The face that points past the vertices is handed over as stored, and
  // the record says so.
  TMemoryStream stream = StreamOf(rows[7].bytes);
  TFile3DS bad(stream);
  const TMesh3DS* mesh = bad.Objects().GetMesh(0);
  ASSERT_EQ(mesh->FaceCount(), 1);
  EXPECT_FALSE(mesh->FaceInRange(mesh->Faces[0]));
}

}  // namespace
}  // namespace corvane
