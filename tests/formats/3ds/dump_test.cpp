#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <set>
#include <string>

#include "base/lists/string_list.h"
#include "formats/3ds/chunk_ids.h"
#include "formats/3ds/chunk_names.h"
#include "formats/3ds/dump.h"
#include "formats/3ds/errors.h"
#include "formats/3ds/file.h"
#include "formats/3ds/pascal_format.h"
#include "tests/formats/3ds/loaded_file.h"

namespace corvane {
namespace {

using namespace chunk3ds;
using namespace test3ds;

int CountChunks(TChunk3DS* chunk) {
  int n = 1;
  for (TChunk3DS* c = chunk->Children(); c != nullptr; c = c->Sibling()) n += CountChunks(c);
  return n;
}

TEST(ChunkNames, PublishedListInMemoryTagsAndTheUnknown) {
  struct Row {
    std::uint16_t tag;
    const char* name;
  } rows[] = {
      {0x4D4D, "M3DMAGIC"},         {0x3D3D, "MDATA"},          {0x4000, "NAMED_OBJECT"},
      {0x4100, "N_TRI_OBJECT"},     {0x4110, "POINT_ARRAY"},    {0xA000, "MAT_NAME"},
      {0xAFFF, "MAT_ENTRY"},        {0xB000, "KFDATA"},         {0xC23D, "CMAGIC"},
      {0x0995, "ChunkType"},        {0x0996, "ChunkUnique"},    {0x0997, "NotChunk"},
      {0x0998, "Container"},        {0x0999, "IsChunk"},        {0x8008, "XDATA_procedure"},
      {0xC3CB, "C_SXP_SELFI_MASKDATA"},                         {0xF020, "POS_TRACK_TAG_KEY"},
      {0xF021, "ROT_TRACK_TAG_KEY"}, {0xF022, "SCL_TRACK_TAG_KEY"}, {0xF023, "FOV_TRACK_TAG_KEY"},
      {0xF024, "ROLL_TRACK_TAG_KEY"}, {0xF025, "COL_TRACK_TAG_KEY"}, {0xF026, "MORPH_TRACK_TAG_KEY"},
      {0xF027, "HOT_TRACK_TAG_KEY"}, {0xF028, "FALL_TRACK_TAG_KEY"}, {0xF110, "POINT_ARRAY_ENTRY"},
      {0xF111, "POINT_FLAG_ARRAY_ENTRY"}, {0xF120, "FACE_ARRAY_ENTRY"}, {0xF130, "MSH_MAT_GROUP_ENTRY"},
      {0xF140, "TEX_VERTS_ENTRY"},  {0xF150, "SMOOTH_GROUP_ENTRY"}, {0xFFFF, "DUMMY"},
      {0xCA50, "C_DXFNAME_SRC "},   {0xCA60, "C_AUTO_WELD "},   {0xCA70, "C_AUTO_UNIFY "},
      {0xCA80, "C_AUTO_SMOOTH "},   {0xCA90, "C_DXF_SMOOTH_ANG "}, {0xCAA0, "C_SMOOTH_ANG "},
      {0x1234, "UNKNOWN_CHUNK"},    {0x0C3C, "UNKNOWN_CHUNK"},
  };
  for (const Row& r : rows) EXPECT_EQ(ChunkTagToString(r.tag), r.name) << std::hex << r.tag;

  // The published list (id TAB name, one a line): every id has its name,
  // but for the two rows this reader has always named otherwise.
  const std::string list = Fixture("chunk_names.tsv");
  std::size_t listed = 0;
  for (std::size_t at = 0; at < list.size();) {
    const std::size_t tab = list.find('\t', at), end = list.find('\n', at);
    ASSERT_NE(tab, std::string::npos);
    ASSERT_LT(tab, end);
    const auto tag = static_cast<std::uint16_t>(std::stoul(list.substr(at, tab - at), nullptr, 16));
    const std::string name = list.substr(tab + 1, end - tab - 1);
    if (tag != 0x0C3C && tag != 0x8008) {
      EXPECT_EQ(ChunkTagToString(tag), name) << std::hex << tag;
    }
    ++listed;
    at = end + 1;
  }
  EXPECT_EQ(listed, 569u);

  // 589 ids, each with one name, none of them the unknown.
  EXPECT_EQ(ChunkTagNameCount(), 589u);
  std::set<std::uint16_t> ids;
  for (std::size_t i = 0; i < ChunkTagNameCount(); ++i) {
    ids.insert(ChunkTagAt(i));
    EXPECT_NE(ChunkTagToString(ChunkTagAt(i)), "UNKNOWN_CHUNK");
  }
  EXPECT_EQ(ids.size(), ChunkTagNameCount());
}

TEST(PascalFormat, ObjectPascalRules) {
  struct Row {
    const char* format;
    std::vector<TFormatArg3DS> args;
    const char* text;
  } rows[] = {
      {"%sChunk %s ($%x), Length is %d ($%3:x)", {"", "M3DMAGIC", 0x4D4D, 555}, "Chunk M3DMAGIC ($4D4D), Length is 555 ($22B)"},
      {"%f|%.2f|%.0f|%.3f", {1.5, -0.125f, 2.5, 1.0}, "1.50|-0.12|2|1.000"},
      {"%d%%", {50}, "50%"},
      {"%x", {-1}, "FFFFFFFF"},
      {"%5d|%-5d|%.3d", {7, 7, 7}, "    7|7    |007"},
      {"%d %s", {3}, "3 %s"},          // no argument left: written as it stands
      {"%d", {"text"}, "%d"},          // wrong kind of argument
      {"%1:s %0:s %s", {"a", "b"}, "b a b"},
  };
  for (const Row& r : rows) EXPECT_EQ(PascalFormat(r.format, r.args), r.text) << r.format;
}

TEST(Errors, FixedTextsFormattingAndTranslation) {
  EXPECT_STREQ(Error3DSDefaultText(error3ds_no_mem), "Not enough memory to complete operation.");
  EXPECT_EQ(std::string(Error3DSDefaultText(error3ds_invalid_arg)),
            "The argument passed to the function is invalid.\rUsually caused by a nil pointer or an out of range "
            "numeric argument.");
  EXPECT_STREQ(Error3DSDefaultText(error3ds_reading_file), "Error occured while reading file.");
  try {
    ShowErrorFormatted(error3ds_invalid_index, 7);
  } catch (const E3DSError& e) {
    EXPECT_STREQ(e.what(), "Invalid index 7.");
  }
  SetError3DSText(error3ds_wrong_object, "Falsches Objekt");
  try {
    ShowError(error3ds_wrong_object);
  } catch (const E3DSError& e) {
    EXPECT_STREQ(e.what(), "Falsches Objekt");
  }
  SetError3DSText(error3ds_wrong_object, Error3DSDefaultText(error3ds_wrong_object));
  // The reader's read error is one of its own errors, and so is running
  // out of memory.
  EXPECT_THROW(throw E3DSReadError(), E3DSError);
  try {
    WithNoMemError3DS([]() -> int { throw std::bad_alloc(); });
    FAIL();
  } catch (const E3DSError& e) {
    EXPECT_EQ(e.what(), Error3DSText(error3ds_no_mem));
  }
}

TEST(Dump, TerseDumpHasOneLinePerChunk) {
  const std::string bytes = Fixture("cube.3ds");
  TMemoryStream stream = StreamOf(bytes);
  TFile3DS file(stream);
  TStringList lines;
  file.DumpDatabase(lines, dlTerseDump);
  ASSERT_EQ(lines.Count(), CountChunks(file.TopChunk()));
  EXPECT_EQ(lines.Get(0), "Chunk M3DMAGIC ($4D4D), Length is " + std::to_string(bytes.size()) + " ($" +
                              PascalFormat("%x", {static_cast<std::int64_t>(bytes.size())}) + ")");
  EXPECT_EQ(lines.Get(1), "\tChunk M3D_VERSION ($2), Length is 10 ($A)");
  EXPECT_EQ(lines.Get(2), "\tChunk MDATA ($3D3D), Length is " + std::to_string(FindChunk(file.TopChunk(), MDATA)->Size) +
                              " ($" + PascalFormat("%x", {std::int64_t{FindChunk(file.TopChunk(), MDATA)->Size}}) + ")");
  for (int i = 1; i < lines.Count(); ++i) EXPECT_EQ(lines.Get(i).rfind('\t', 0), 0u) << lines.Get(i);
  // A root of 555 bytes, in the form the tools print.
  TStringList root;
  TChunk3DS chunk(M3DMAGIC, 555, 0);
  ChunkHeaderReport(root, &chunk, 0);
  EXPECT_EQ(root.Get(0), "Chunk M3DMAGIC ($4D4D), Length is 555 ($22B)");
}

TEST(Dump, ValueLinesAtTheDeeperLevels) {
  TLoaded loaded(Fixture("cube.3ds"));
  TFile3DS& file = loaded.file;
  // A comma-decimal locale changes nothing.
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  std::setlocale(LC_ALL, "de_DE.UTF-8");
  TStringList medium, maximum;
  file.DumpDatabase(medium, dlMediumDump);
  file.DumpDatabase(maximum, dlMaximumDump);
  std::setlocale(LC_ALL, previous.c_str());
  const std::string text = medium.Text();
  for (const char* line : {"\t\tVersion 3", "\t\t\tName: Cube Box", "\t\t\t\t\t24 Vertices", "\t\t\t\t\t12 Faces",
                           "\t\t\t\t\t\tMaterial Name of Red Paint", "\t\t\t\t\t\tAssigned to 12 Faces",
                           "\t\t\tMaster Scale  1.00", "\t\t\t\tMaterial Name Red Paint", "\t\t\t\t\tPercentage of 50%",
                           "\t\t\t\t\tColor R: 255,  G: 0,  B: 0", "\t\t\t\tCamera at  0.00,  -10.00,  5.00",
                           "\t\t\t\tObject Name: Cube Box", "\t\t\t\tFlags 1: $4000", "\t\t\t\tNo Parent",
                           "\t\t\t\t2 Keys, Flags: $0", "\t\t\t\tFrame 100, Tens 0.50, Cont 0.25",
                           "\t\t\t\tObject at  10.00,  0.00,  0.00", "\t\t\t\tFrame 50, Ease to 1.00, Ease from 0.50",
                           "\t\t\t\t\tMap Name checker.png", "\t\t\t\t\tMap Flags:  NONE"}) {
    EXPECT_NE(text.find(std::string(line) + "\n"), std::string::npos) << line;
  }
  EXPECT_EQ(text.find("Vertex 0 at"), std::string::npos);  // per-element lines only at the maximum
  EXPECT_NE(maximum.Text().find("\t\t\t\t\tVertex 2 at  1.00,  1.00,  0.00\n"), std::string::npos);
  EXPECT_NE(maximum.Text().find("\t\t\t\t\tFace 1 Vertices 0, 2, 3 and flag $7\n"), std::string::npos);
  EXPECT_NE(maximum.Text().find("\t\t\t\tPRIMARY_NODE\n"), std::string::npos);
  // The dump leaves no decoded data behind.
  EXPECT_EQ(FindChunk(file.TopChunk(), POINT_ARRAY)->Data, nullptr);
}

TEST(Dump, IndentationStopsAtTwelveTabs) {
  EXPECT_EQ(IndentString(0), "");
  EXPECT_EQ(IndentString(3), "\t\t\t");
  EXPECT_EQ(IndentString(12), std::string(12, '\t'));
  EXPECT_EQ(IndentString(40), std::string(12, '\t'));
  EXPECT_EQ(IndentString(-2), "");
}

}  // namespace
}  // namespace corvane
