// TMeshBinaryFilter: the ".mesh" file, the binary form every converted
// model is cached in beside its source. Little-endian 32-bit words unless
// noted: "MESHBIN"; indexed (1 or 0); vertex count; vertex format (the
// ordinal of TVertexFormat); index count; 512 reserved zero bytes;
// animated (1 or 0); frame count; animation count N; N animations (a
// counted 8-bit name, first frame, last frame, speed as a float); the
// bounding box minimum and maximum (3 floats each); the vertex data word by
// word (vertex count x vertex size / 4 words, times the frame count for an
// animated mesh, frame after frame); then, when indexed, index count 16-bit
// indices.
//
// Every stored count is untrusted: each is checked against the bytes left
// before anything is made, the format must be one of the eight layouts, an
// animated mesh needs a frame, and every index must name a vertex. A
// refused or short file gives nothing, frees what was made and writes one
// error line; a missing file or another signature gives nothing silently.
#pragma once

#include "platform/filters/filter.h"

namespace corvane {

class TMeshBinaryFilter : public TMeshFilter {
  CORVANE_CLASS(TMeshBinaryFilter, TMeshFilter)
  using TMeshFilter::TMeshFilter;

  static bool IsSupport(std::string_view fileName) { return FileNameContains(fileName, ".mesh"); }
  static TFilterOptions Options() { return {foCanLoad, foCanSave}; }

  // A device mesh made of the file; logs "file was loaded <name>".
  TMesh* LoadFromFile(TResourceMan* resMan, const std::string& name) override;
  // Reads the mesh's data back through the device's locks (its stores may
  // be buffer objects); a mesh that cannot be read back whole is not
  // written. What the mesh draws (its locked counts) stays as it was.
  void SaveToFile(TResourceMan* resMan, const std::string& name, TMesh* mesh) override;
};

}  // namespace corvane
