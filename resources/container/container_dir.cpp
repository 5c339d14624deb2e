#include "resources/container/container_dir.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "base/reflection/class_builder.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "resources/container/container_dates.h"
#include "resources/container/container_file_system.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TDir)

namespace {

void AppendU32(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(value >> (8 * i)));
}

void AppendU64(std::string& out, std::uint64_t value) {
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>(value >> (8 * i)));
}

// Reads little-endian numbers from a blob, never past its end.
class TBlobReader {
 public:
  explicit TBlobReader(std::string_view blob) : blob_(blob) {}
  std::uint64_t Left() const { return blob_.size() - at_; }
  std::uint64_t Number(int bytes) {
    std::uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | static_cast<std::uint8_t>(blob_[at_ + i]);
    at_ += bytes;
    return value;
  }
  std::uint32_t U32() { return static_cast<std::uint32_t>(Number(4)); }
  std::string_view Bytes(std::size_t count) {
    std::string_view bytes = blob_.substr(at_, count);
    at_ += count;
    return bytes;
  }

 private:
  std::string_view blob_;
  std::size_t at_ = 0;
};

std::string Num(std::uint64_t value) { return IntToStr8(static_cast<std::int64_t>(value)); }

}  // namespace

std::unique_ptr<TDir> TDir::CreateEmpty(TFileSystem& fileSystem, std::uint32_t parentBlock,
                                        std::uint32_t ownBlock) {
  auto dir = std::make_unique<TDir>(fileSystem, ownBlock);
  const double now = ContainerNow();
  for (const auto& [name, block] : {std::pair{".", ownBlock}, std::pair{"..", parentBlock}}) {
    TFileEntry entry;
    entry.Name = name;
    entry.Attr = faVFSDirectory;
    entry.Date = now;
    entry.Block = block;
    dir->entries_.push_back(std::move(entry));
  }
  if (!dir->SaveDir()) return nullptr;
  return dir;
}

std::unique_ptr<TDir> TDir::CreateOpen(TFileSystem& fileSystem, std::uint32_t block) {
  auto dir = std::make_unique<TDir>(fileSystem, block);
  const auto damaged = [&](const std::string& what) {
    VFSError("Container directory at block " + Num(block) + " is damaged: " + what);
  };
  char sizeBytes[4];
  if (fileSystem.LoadData(block, sizeBytes, 0, 4) != 4) {
    damaged("no size");
    return dir;
  }
  std::uint64_t size = TBlobReader(std::string_view(sizeBytes, 4)).U32();
  if (size > fileSystem.DirBudget()) {
    damaged("size " + Num(size) + " beyond the container's data");
    size = fileSystem.DirBudget();
  }
  std::string blob(size, '\0');
  const std::uint64_t got = fileSystem.LoadData(block, blob.data(), 4, size);
  fileSystem.SpendDirBudget(got);
  if (got < size) {
    damaged("size " + Num(size) + " beyond its chain");
    blob.resize(got);
  }
  dir->Parse(blob);
  return dir;
}

void TDir::Parse(std::string_view blob) {
  bool reported = false;
  const auto damaged = [&](const std::string& what) {
    if (reported) return;
    reported = true;
    VFSError("Container directory at block " + Num(block_) + " is damaged: " + what);
  };
  TBlobReader in(blob);
  if (in.Left() < 4) {
    damaged("no entry count");
    return;
  }
  const std::uint32_t count = in.U32();
  // Every entry takes at least its fixed part: a hostile count reserves no
  // more than the blob can hold.
  entries_.reserve(std::min<std::uint64_t>(count, in.Left() / TFileEntry::kStoredSizeWithoutName));
  for (std::uint32_t i = 0; i < count; ++i) {
    if (in.Left() < 4) {
      damaged("entry count " + Num(count) + " beyond its data");
      return;
    }
    const std::uint32_t nameLength = in.U32();
    if (in.Left() < TFileEntry::kStoredSizeWithoutName - 4 ||
        nameLength > in.Left() - (TFileEntry::kStoredSizeWithoutName - 4)) {
      damaged("entry " + Num(i) + " cut short");
      return;
    }
    TFileEntry entry;
    entry.Name = std::string(in.Bytes(nameLength));
    entry.Size = in.U32();
    entry.Attr = in.U32();
    entry.Date = std::bit_cast<double>(in.Number(8));
    entry.Block = in.U32();
    std::memcpy(entry.Reserved.data(), in.Bytes(entry.Reserved.size()).data(), entry.Reserved.size());
    if (!IsValidDateTime(entry.Date)) damaged("entry " + Num(i) + " has no valid date");
    entries_.push_back(std::move(entry));
  }
}

int TDir::FindEntry(std::string_view name, bool directory) const {
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].IsDir() == directory && SameText(entries_[i].Name, name)) return static_cast<int>(i);
  }
  return -1;
}

int TDir::FindAnyEntry(std::string_view name) const {
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (SameText(entries_[i].Name, name)) return static_cast<int>(i);
  }
  return -1;
}

std::string TDir::Serialize() const {
  std::string bytes;
  AppendU32(bytes, 0);  // the blob size, set below
  AppendU32(bytes, Count());
  for (const TFileEntry& entry : entries_) {
    AppendU32(bytes, static_cast<std::uint32_t>(entry.Name.size()));
    bytes += entry.Name;
    AppendU32(bytes, entry.Size);
    AppendU32(bytes, entry.Attr);
    AppendU64(bytes, std::bit_cast<std::uint64_t>(entry.Date));
    AppendU32(bytes, entry.Block);
    bytes.append(reinterpret_cast<const char*>(entry.Reserved.data()), entry.Reserved.size());
  }
  std::string size;
  AppendU32(size, static_cast<std::uint32_t>(bytes.size() - 4));
  bytes.replace(0, 4, size);
  return bytes;
}

std::uint64_t TDir::StoredSizeWith(std::string_view name) const {
  std::uint64_t size = 8 + TFileEntry::kStoredSizeWithoutName + name.size();
  for (const TFileEntry& entry : entries_) size += entry.StoredSize();
  return size;
}

bool TDir::SaveDir() {
  // The size and the blob in one write, so that a full container leaves
  // the stored directory as it was.
  const std::string bytes = Serialize();
  return fileSystem_->SaveData(block_, bytes.data(), 0, bytes.size()) != BadBlock;
}

bool TDir::SaveEntry(std::uint32_t index, const TFileEntry& entry) {
  if (index >= Count()) return false;
  TFileEntry old = std::exchange(entries_[index], entry);
  if (SaveDir()) return true;
  entries_[index] = std::move(old);
  return false;
}

bool TDir::AddEntry(const std::string& name, std::uint32_t attr, std::uint32_t block) {
  if (FindAnyEntry(name) >= 0) {
    VFSError("Entry " + name + " alredy exists");
    return false;
  }
  TFileEntry entry;
  entry.Name = name;
  entry.Attr = attr;
  entry.Block = block;
  entries_.push_back(std::move(entry));
  if (SaveDir()) return true;
  entries_.pop_back();
  return false;
}

std::unique_ptr<TDir> TDir::CreateDirEntry(std::uint32_t parentBlock) {
  const std::uint32_t block = fileSystem_->TakeBlock();
  if (block == BadBlock) return nullptr;
  std::unique_ptr<TDir> dir = CreateEmpty(*fileSystem_, parentBlock, block);
  if (!dir) fileSystem_->SaveFAT(block, EmptyBlock);
  return dir;
}

TDir* TDir::OpenDirEntry(std::uint32_t block) { return fileSystem_->DirOfBlock(block); }

}  // namespace corvane
