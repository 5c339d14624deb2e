// The tags of the binary object stream ("KVF0") and its record flags.
#pragma once

#include <cstdint>

#include "base/reflection/set.h"

namespace corvane {

enum TValueType : std::uint8_t {
  vaNull = 0,  // ends a list, collection, property list or child list
  vaList = 1,
  vaInt8 = 2,
  vaInt16 = 3,
  vaInt32 = 4,
  vaExtended = 5,  // read as an 8-byte double
  vaString = 6,    // length byte + 8-bit characters
  vaIdent = 7,
  vaFalse = 8,
  vaTrue = 9,
  vaBinary = 10,
  vaSet = 11,
  vaLString = 12,
  vaNil = 13,
  vaCollection = 14,
  vaSingle = 15,
  vaCurrency = 16,
  vaDate = 17,
  vaWString = 18,
  vaInt64 = 19,
  vaUTF8String = 20,
  vaDouble = 21,
};
inline constexpr int kLastValueType = vaDouble;

enum TGFilerFlag : std::uint8_t { ffInherited, ffChildPos, ffInline };
using TGFilerFlags = TSet<TGFilerFlag>;

// The signature every binary object stream starts with.
inline constexpr char kObjectSignature[4] = {'K', 'V', 'F', '0'};

// How deep records, lists, sets and collections may nest in a stream or a
// text before the reader or converter gives up on it. Streams read into
// objects share it with the files included while they are read
// (base/streams/stream_nesting.h).
inline constexpr int kMaxStreamDepth = 256;

}  // namespace corvane
