#include "formats/3ds/dump.h"

#include <algorithm>
#include <vector>

#include "base/lists/string_list.h"
#include "formats/3ds/chunk_ids.h"
#include "formats/3ds/chunk_names.h"
#include "formats/3ds/pascal_format.h"

namespace corvane {

using namespace chunk3ds;

namespace {

constexpr int kMaxIndent = 12;

struct TFlagName {
  std::uint32_t bit;
  const char* name;
};

constexpr TFlagName kMapFlags[] = {
    {0x1, " TEX_DECAL, "},   {0x2, " TEX_MIRROR, "},       {0x4, " TEX_UNUSED1, "},
    {0x8, " TEX_INVERT, "},  {0x10, " TEX_NOWRAP, "},      {0x20, " TEX_SAT, "},
    {0x40, " TEX_ALPHA_SOURCE, "}, {0x80, " TEX_TINT, "},  {0x100, " TEX_DONT_USE_ALPHA, "},
    {0x200, " TEX_RGB_TINT, "},
};

constexpr TFlagName kNodeFlags1[] = {
    {0x4, "%sNODE_RENDOB_HIDE"}, {0x8, "%sNODE_OFF"},         {0x10, "%sATKEY1"},       {0x20, "%sATKEY2"},
    {0x40, "%sATKEY3"},          {0x80, "%sATKEY4"},          {0x100, "%sATKEY5"},      {0x200, "%sMARK_NODE"},
    {0x400, "%sDISABLE_NODE"},   {0x800, "%sHIDE_NODE"},      {0x1000, "%sFAST_NODE"},  {0x4000, "%sPRIMARY_NODE"},
    {0x8000, "%sNODE_CALC_PATH"},
};

constexpr TFlagName kNodeFlags2[] = {
    {0x1, "%sNODE_HAS_PATH"},     {0x2, "%sNODE_AUTO_SMOOTH"}, {0x4, "%sNODE_FROZEN"},    {0x8, "%sNODE_ANI_HIDDEN"},
    {0x10, "%sNODE_MOTION_BLUR"}, {0x20, "%sNODE_BLUR_BRANCH"}, {0x40, "%sNODE_MORPH_MTL"}, {0x80, "%sNODE_MORPH_OB"},
};

class TValueLines {
 public:
  TValueLines(TFile3DS& file, TStrings& lines, int indent, TDumpLevel level)
      : file_(file), lines_(lines), indent_(indent), tab_(IndentString(indent + 1)), level_(level) {}

  void Chunk(TChunk3DS* chunk);

 private:
  // A value line: the indentation is the first argument.
  void Line(std::string_view format, std::initializer_list<TFormatArg3DS> rest) {
    std::vector<TFormatArg3DS> args{TFormatArg3DS(tab_)};
    args.insert(args.end(), rest.begin(), rest.end());
    lines_.Add(PascalFormat(format, args));
  }
  void Point(std::string_view label, const TPoint3DS& p) {
    Line(std::string("%s") + std::string(label) + " at  %f,  %f,  %f", {p.x, p.y, p.z});
  }
  void Color(const TFColor3DS& c) { Line("%sColor R:  %f,  G:  %f,  B:  %f", {c.r, c.g, c.b}); }
  void Flags(const TFlagName* begin, const TFlagName* end, std::uint32_t flags) {
    for (const TFlagName* f = begin; f != end; ++f)
      if (flags & f->bit) Line(f->name, {});
  }
  template <class V, class Value>
  void Track(const TTrack3DS<V>& track, Value value);
  bool Max() const { return level_ == dlMaximumDump; }

  TFile3DS& file_;
  TStrings& lines_;
  int indent_;
  std::string tab_;
  TDumpLevel level_;
};

template <class V, class Value>
void TValueLines::Track(const TTrack3DS<V>& track, Value value) {
  Line("%s%d Keys, Flags: $%x", {std::int64_t{track.Header.KeyCount}, std::int64_t{track.Header.Flags}});
  for (std::size_t i = 0; i < track.Keys.size(); ++i) {
    DumpKeyHeader(lines_, track.Keys[i], indent_ + 1);
    if constexpr (!std::is_same_v<V, TNoValue3DS>) value(track.Values[i]);
  }
}

void TValueLines::Chunk(TChunk3DS* chunk) {
  const bool wasDecoded = chunk->Data != nullptr;
  file_.ReadChunkData(chunk);
  TChunkData3DS* data = chunk->Data.get();
  if (data == nullptr) return;
  const std::uint16_t tag = chunk->Tag;
  if (auto* v = ChunkValue<std::int32_t>(chunk)) {
    if (tag == KFCURTIME) Line("%sCurrent Time %d", {*v});
    else if (tag == SHADOW_RANGE) Line("%sShadow Range %d", {*v});
    else Line("%sVersion %d", {*v});
  } else if (auto* c = ChunkValue<TFColor3DS>(chunk)) {
    Color(*c);
  } else if (auto* b = ChunkValue<TColor24>(chunk)) {
    Line("%sColor R: %d,  G: %d,  B: %d", {int{b->r}, int{b->g}, int{b->b}});
  } else if (auto* s = ChunkValue<std::int16_t>(chunk)) {
    if (tag == INT_PERCENTAGE || tag == MAT_BUMP_PERCENT) Line("%sPercentage of %d%%", {*s});
    else if (tag == NODE_ID) Line("%sNode ID: %d", {*s});
    else if (tag == MAT_SHADING) Line("%sShading Value %d", {*s});
    else Line("%sValue %d", {*s});
  } else if (auto* w = ChunkValue<std::uint16_t>(chunk)) {
    std::string text = PascalFormat("%sMap Flags: ", {tab_});
    if (*w == 0) text += " NONE";
    for (const TFlagName& f : kMapFlags)
      if (*w & f.bit) text += f.name;
    lines_.Add(text);
  } else if (auto* f = ChunkValue<float>(chunk)) {
    if (tag == FLOAT_PERCENTAGE) Line("%sPercentage of %f%%", {*f});
    else if (tag == MASTER_SCALE) Line("%sMaster Scale  %f", {*f});
    else Line("%sValue of  %f", {*f});
  } else if (auto* byte = ChunkValue<std::uint8_t>(chunk)) {
    Line("%sColor Index %d", {int{*byte}});
  } else if (auto* text = ChunkValue<std::string>(chunk)) {
    if (tag == NAMED_OBJECT) Line("%sName: %s", {*text});
    else if (tag == MAT_NAME) Line("%sMaterial Name %s", {*text});
    else if (tag == MAT_MAPNAME) Line("%sMap Name %s", {*text});
    else if (tag == INSTANCE_NAME) Line("%sInstance Name: %s", {*text});
    else if (tag == PARENT_NAME) Line("%sParent Name: %s", {*text});
    else Line("%sName %s", {*text});
  } else if (auto* p = ChunkValue<TPoint3DS>(chunk)) {
    Point(tag == N_DIRECT_LIGHT ? "Light" : tag == PIVOT ? "Pivot" : "Point", *p);
  } else if (auto* points = ChunkValue<std::vector<TPoint3DS>>(chunk)) {
    Line("%s%d Vertices", {static_cast<std::int64_t>(points->size())});
    if (Max())
      for (std::size_t i = 0; i < points->size(); ++i)
        Line("%sVertex %d at  %f,  %f,  %f", {static_cast<std::int64_t>(i), (*points)[i].x, (*points)[i].y, (*points)[i].z});
  } else if (auto* flags = ChunkValue<std::vector<std::uint16_t>>(chunk)) {
    Line("%s%d Flags", {static_cast<std::int64_t>(flags->size())});
    if (Max())
      for (std::size_t i = 0; i < flags->size(); ++i) Line("%sVertex %d flag $%x", {static_cast<std::int64_t>(i), int{(*flags)[i]}});
  } else if (auto* faces = ChunkValue<std::vector<TFace3DS>>(chunk)) {
    Line("%s%d Faces", {static_cast<std::int64_t>(faces->size())});
    if (Max())
      for (std::size_t i = 0; i < faces->size(); ++i) {
        const TFace3DS& fc = (*faces)[i];
        Line("%sFace %d Vertices %d, %d, %d and flag $%x",
             {static_cast<std::int64_t>(i), int{fc.V1}, int{fc.V2}, int{fc.V3}, int{fc.Flag}});
      }
  } else if (auto* group = ChunkValue<TMshMatGroup3DS>(chunk)) {
    Line("%sMaterial Name of %s", {group->MatName});
    Line("%sAssigned to %d Faces", {static_cast<std::int64_t>(group->Faces.size())});
  } else if (auto* uv = ChunkValue<std::vector<TTexVert3DS>>(chunk)) {
    Line("%s%d Vertices", {static_cast<std::int64_t>(uv->size())});
    if (Max())
      for (std::size_t i = 0; i < uv->size(); ++i) Line("%sVertex %d at  %f,  %f", {static_cast<std::int64_t>(i), (*uv)[i].u, (*uv)[i].v});
  } else if (auto* masks = ChunkValue<std::vector<std::uint32_t>>(chunk)) {
    Line("%s%d Smoothing Groups", {static_cast<std::int64_t>(masks->size())});
  } else if (auto* matrix = ChunkValue<std::array<float, 12>>(chunk)) {
    for (int row = 0; row < 4; ++row)
      Line("%sRow %d  %f,  %f,  %f", {row, (*matrix)[row * 3], (*matrix)[row * 3 + 1], (*matrix)[row * 3 + 2]});
  } else if (auto* camera = ChunkValue<TNCamera3DS>(chunk)) {
    Point("Camera", camera->Position);
    Point("Target", camera->Target);
    Line("%sRoll of  %f", {camera->Roll});
    Line("%sLens of  %f", {camera->Focal});
  } else if (auto* spot = ChunkValue<TDlSpotlight3DS>(chunk)) {
    Point("Target", spot->Target);
    Line("%sHotspot of  %f", {spot->Hotspot});
    Line("%sFalloff of  %f", {spot->Falloff});
  } else if (auto* ranges = ChunkValue<TCamRanges3DS>(chunk)) {
    Line("%sCamera Range Near  %f", {ranges->Near});
    Line("%sCamera Range Far  %f", {ranges->Far});
  } else if (auto* hdr = ChunkValue<TNodeHdr3DS>(chunk)) {
    Line("%sObject Name: %s", {hdr->ObjName});
    Line("%sFlags 1: $%x", {int{hdr->Flags1}});
    if (Max()) Flags(std::begin(kNodeFlags1), std::end(kNodeFlags1), hdr->Flags1);
    Line("%sFlags 2: $%x", {int{hdr->Flags2}});
    if (Max()) Flags(std::begin(kNodeFlags2), std::end(kNodeFlags2), hdr->Flags2);
    if (hdr->ParentIndex == -1) Line("%sNo Parent", {});
    else Line("%sParent %d", {hdr->ParentIndex});
  } else if (auto* kfhdr = ChunkValue<TKFHdr3DS>(chunk)) {
    Line("%sRevision %d", {kfhdr->Revision});
    Line("%sFilename %s", {kfhdr->Filename});
    Line("%sAnimation Length %d", {kfhdr->AnimLength});
  } else if (auto* seg = ChunkValue<TKFSeg3DS>(chunk)) {
    Line("%sSegment Start %d, End %d", {seg->First, seg->Last});
  } else if (auto* box = ChunkValue<TBoundBox3DS>(chunk)) {
    Point("Minimum", box->Min);
    Point("Maximum", box->Max);
  } else if (auto* pos = ChunkValue<TPosTrack3DS>(chunk)) {
    const char* label = tag == SCL_TRACK_TAG ? "%sScale of  %f,  %f,  %f" : "%sObject at  %f,  %f,  %f";
    Track(*pos, [&](const TPoint3DS& v) { Line(label, {v.x, v.y, v.z}); });
  } else if (auto* rot = ChunkValue<TRotTrack3DS>(chunk)) {
    Track(*rot, [&](const TKFRotKey3DS& v) {
      Line("%sRotation of  %f", {v.Angle});
      Line("%sAxis of  %f,  %f,  %f", {v.X, v.Y, v.Z});
    });
  } else if (auto* col = ChunkValue<TColorTrack3DS>(chunk)) {
    Track(*col, [&](const TFColor3DS& v) { Color(v); });
  } else if (auto* angles = ChunkValue<TFloatTrack3DS>(chunk)) {
    const char* label = tag == FOV_TRACK_TAG    ? "%sFOV of  %f"
                        : tag == ROLL_TRACK_TAG ? "%sRoll of  %f"
                        : tag == HOT_TRACK_TAG  ? "%sHotspot Angle of  %f"
                                                : "%sFalloff Angle of  %f";
    Track(*angles, [&](float v) { Line(label, {v}); });
  } else if (auto* morph = ChunkValue<TMorphTrack3DS>(chunk)) {
    Track(*morph, [&](const std::string& v) { Line("%sMorph to %s", {v}); });
  } else if (auto* hide = ChunkValue<THideTrack3DS>(chunk)) {
    Track(*hide, [](TNoValue3DS) {});
  } else if (auto* raw = ChunkValue<TRawData3DS>(chunk)) {
    Line("%s%d bytes of data", {static_cast<std::int64_t>(raw->size())});
  }
  if (!wasDecoded) TFile3DS::FreeChunkData(chunk);
}

}  // namespace

std::string IndentString(int indent) { return std::string(static_cast<std::size_t>(std::clamp(indent, 0, kMaxIndent)), '\t'); }

void ChunkHeaderReport(TStrings& lines, TChunk3DS* chunk, int indent) {
  lines.Add(PascalFormat("%sChunk %s ($%x), Length is %d ($%3:x)",
                         {IndentString(indent), ChunkTagToString(chunk->Tag), int{chunk->Tag}, std::int64_t{chunk->Size}}));
}

void DumpKeyHeader(TStrings& lines, const TKeyHeader3DS& key, int indent) {
  std::string text = PascalFormat("%sFrame %d", {IndentString(indent), std::int64_t{key.Time}});
  if (key.RFlags & 0x01) text += PascalFormat(", Tens %.2f", {key.Tension});
  if (key.RFlags & 0x02) text += PascalFormat(", Cont %.2f", {key.Continuity});
  if (key.RFlags & 0x04) text += PascalFormat(", Bias %.2f", {key.Bias});
  if (key.RFlags & 0x08) text += PascalFormat(", Ease to %.2f", {key.EaseTo});
  if (key.RFlags & 0x10) text += PascalFormat(", Ease from %.2f", {key.EaseFrom});
  lines.Add(text);
}

void DumpChunk(TFile3DS& file, TStrings& lines, TChunk3DS* chunk, int indent, TDumpLevel level) {
  if (chunk == nullptr) return;
  ChunkHeaderReport(lines, chunk, indent);
  if (level != dlTerseDump) TValueLines(file, lines, indent, level).Chunk(chunk);
  // Depth is bounded by the tree reader; siblings are walked in a loop.
  for (TChunk3DS* child = chunk->Children(); child != nullptr; child = child->Sibling())
    DumpChunk(file, lines, child, indent + 1, level);
}

void TFile3DS::DumpDatabase(TStrings& lines, TDumpLevel level) {
  if (TopChunk() != nullptr) DumpChunk(*this, lines, TopChunk(), 0, level);
}

}  // namespace corvane
