// A text dump of a chunk tree: a header line per chunk, indented one tab per
// level, and below dlTerseDump the decoded values of each chunk. Lines are
// made by Object Pascal's format rules, always with "." as the decimal
// separator.
#pragma once

#include <string>

#include "formats/3ds/chunk_data.h"
#include "formats/3ds/file.h"

namespace corvane {

class TStrings;

// indent tabs; deeper levels than the dump's twelve share the last one.
std::string IndentString(int indent);
// "<indent>Chunk NAME ($TAG), Length is N ($HEX)".
void ChunkHeaderReport(TStrings& lines, TChunk3DS* chunk, int indent);
void DumpKeyHeader(TStrings& lines, const TKeyHeader3DS& key, int indent);
// The lines of chunk and, one level deeper, of its children.
void DumpChunk(TFile3DS& file, TStrings& lines, TChunk3DS* chunk, int indent, TDumpLevel level);

}  // namespace corvane
