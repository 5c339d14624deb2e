// The layout of a container file (".applet", signature "VFILEST"): a small
// file system of 4096-byte blocks inside one stream.
//
//   offset 0      7 bytes "VFILEST"
//   offset 7      u32 BlockCount, u32 FatOffset (1047), u32 RootDirBlock,
//                 u32 ReadOnly, u32 Flag2, 1020 reserved bytes
//   offset 1047   the block table: one u32 per block
//   then          the data blocks, 4096 bytes each
//
// Offsets count from where the container starts in its stream, which need
// not be the stream's start. Every number is little-endian. A file's or a
// directory's data is the bytes of its block chain in chain order.
//
// A directory is stored in its own chain: u32 blob size, then the blob: u32
// entry count and the entries. Entry 0 is "." (the directory's own first
// block), entry 1 ".." (the parent's). A deleted entry keeps its place with
// the first character of its name replaced by "*".
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace corvane {

inline constexpr std::string_view VFSSignature = "VFILEST";
inline constexpr std::uint32_t kVFSBlockSize = 4096;
// The table's offset, and so the size of the header before it.
inline constexpr std::uint32_t kVFSFatOffset = 1047;
inline constexpr std::uint32_t kVFSReservedSize = 1020;
// Blocks of a new container: a 65536-byte table and at most 64 MiB of data.
inline constexpr std::uint32_t kVFSNewBlockCount = 16384;
// Fills the rest of a block when a write ends at the end of the stream.
inline constexpr std::uint8_t kVFSFiller = 0x40;

// Block table values besides the index of the next block of a chain.
inline constexpr std::uint32_t EndBlock = 0xFFFFFFFE;    // last block of a chain
inline constexpr std::uint32_t EmptyBlock = 0xFFFFFFFC;  // free block
// Never stored: the answer of the block search when no block is free.
inline constexpr std::uint32_t BadBlock = 0xFFFFFFFA;

// The attribute of a directory entry.
inline constexpr std::uint32_t faVFSDirectory = 0x10;

// Mode words of a container and of an open file.
inline constexpr std::uint16_t vfsRead = 0;
inline constexpr std::uint16_t vfsWrite = 1;
inline constexpr std::uint16_t vfsCreate = 0xFFFF;

struct TFileEntry {
  std::string Name;  // 8-bit, as stored
  std::uint32_t Size = 0;  // bytes of a file; 0 for a directory
  std::uint32_t Attr = 0;  // faVFSDirectory or 0
  double Date = 0;         // days since 1899-12-30, the fraction is the time of day
  std::uint32_t Block = 0; // first block of the entry's chain
  std::array<std::uint8_t, 16> Reserved{};  // kept as read

  bool IsDir() const { return (Attr & faVFSDirectory) != 0; }
  // Name length field, the name, then Size, Attr, Date, Block and Reserved.
  std::uint64_t StoredSize() const { return kStoredSizeWithoutName + Name.size(); }
  static constexpr std::uint32_t kStoredSizeWithoutName = 4 + 4 + 4 + 8 + 4 + 16;
};

// Paths inside a container use "\" or "/" as separator.
bool IsVFSSeparator(char c);
// Drops one leading separator, then moves the characters up to the next
// separator into the result, drops that separator and leaves the rest in
// path: "a\b\c" gives "a" and leaves "b\c".
std::string CutFirstPathItem(std::string& path);
// The path up to and including its last separator; empty when it has none.
std::string ExtractVFSPath(std::string_view path);
// The part after the last separator.
std::string ExtractVFSName(std::string_view path);
// "*" matches any run, "?" one character; letters compare without regard to
// ASCII case.
bool MatchesMask(std::string_view name, std::string_view mask);

// Reports a container error on the engine log (standard output before the
// engine runs). The text is UTF-8.
void VFSError(std::string_view message);

}  // namespace corvane
