// The source a derived file was made from. A file the engine derives from
// another beside it (a ".bin" compiled from its ".object", a ".pixmap" or a
// ".mesh" converted from a picture or a model) carries at its end the stamp
// of the source as it was converted:
//   the source's exact time (64 bits), its size (64 bits), the content
//   digest of its bytes (32 bytes), then "CVSOURCE"; little-endian.
// Every reader of those files stops at the end of its record, so the stamp
// changes nothing of what they read.
//
// The derived file serves only while it was made from the source as it is
// now: the sizes must be equal, and either the exact times (read from the
// resource manager, no byte of the source) or the digests. Comparing the
// digests lets a derived file serve whatever time a copy gave its source (a
// container packs every file with one date); a source larger than
// kMaxDigestedSourceBytes is not read for its digest, and its derived file
// serves only at the same exact time. A derived file without a stamp
// (written by a tool, or before stamps) never serves while its source is
// there: it is made again.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/system/file_date.h"
#include "base/system/content_digest.h"

namespace corvane {

class TResourceMan;
class TStream;

inline constexpr std::int64_t kMaxDigestedSourceBytes = std::int64_t{64} << 20;
// The bytes of a stamp.
inline constexpr std::int64_t kSourceStampBytes = 8 + 8 + 32 + 8;

struct TSourceStamp {
  // The manager's exact stamp; a time of 0 when it keeps none.
  TFileStamp File;
  TContentDigestBytes Digest{};
};

// The source's stamp as it is now: read whole through the manager for its
// digest. Nothing when it cannot be read whole, or is larger than
// kMaxDigestedSourceBytes (then only its exact stamp is kept, with a zero
// digest, when the manager has one).
std::optional<TSourceStamp> StampOfSource(TResourceMan& resMan, const std::string& source);
// The stamp of a source of the exact stamp and of size and digest as read
// (either may be missing), by the rules above.
std::optional<TSourceStamp> MakeSourceStamp(std::optional<TFileStamp> exact, std::optional<TSourceStamp> read);

// Whether the derived file was made from the source as it is now (see
// above). False when either is missing or the derived file has no stamp.
bool MadeFromSource(TResourceMan& resMan, const std::string& derived, const std::string& source);

// Writes the stamp at the stream's position: the end of a derived file
// about to be stored. False when the stream took less.
bool WriteSourceStamp(TStream& stream, const TSourceStamp& stamp);

}  // namespace corvane
