// TFileSystem: directories, files and listings.
#include "resources/container/container_file_system.h"

#include <algorithm>
#include <limits>
#include <unordered_set>

#include "base/text/text_convert.h"
#include "resources/container/container_dates.h"

namespace corvane {

TFileSystem::~TFileSystem() {
  while (!openFiles_.empty()) CloseFile(openFiles_.back().get());
}

TDir* TFileSystem::DirOfBlock(std::uint32_t block) {
  if (!root_) return nullptr;
  if (block >= blockCount_) {
    ReportBadBlock(block);
    return nullptr;
  }
  if (block == root_->Block()) return root_.get();
  const auto found = dirs_.find(block);
  if (found != dirs_.end()) return found->second.get();
  std::unique_ptr<TDir> dir = TDir::CreateOpen(*this, block);
  TDir* result = dir.get();
  dirs_.emplace(block, std::move(dir));
  return result;
}

TDir* TFileSystem::GetDir(std::string_view path) {
  // Directories are held per first block, so "data\", "\data\" and
  // "/data" all reach one object.
  TDir* dir = root_.get();
  std::string rest(path);
  while (dir && !rest.empty()) {
    const std::string item = CutFirstPathItem(rest);
    const int index = item.empty() ? -1 : dir->FindEntry(item, true);
    if (index < 0) return nullptr;
    dir = dir->OpenDirEntry(dir->Entry(static_cast<std::uint32_t>(index)).Block);
  }
  return dir;
}

bool TFileSystem::CreateDir(std::string_view path) {
  if (!Writable()) return false;
  if (GetDir(path)) return true;
  const std::string name = ExtractVFSName(path);
  if (name.empty()) {
    VFSError("Empty name refused");
    return false;
  }
  TDir* parent = GetDir(ExtractVFSPath(path));
  if (!parent) return false;
  if (parent->FindAnyEntry(name) >= 0) {
    VFSError("Entry " + name + " alredy exists");
    return false;
  }
  std::unique_ptr<TDir> dir = parent->CreateDirEntry(parent->Block());
  if (!dir) return false;
  if (!parent->AddEntry(name, faVFSDirectory, dir->Block())) {
    SaveFAT(dir->Block(), EmptyBlock);
    return false;
  }
  // A damaged table can hand out a block that a damaged entry made a
  // folder of already: the new folder takes its place in the cache, the
  // old object stays alive for whoever still holds it.
  std::unique_ptr<TDir>& cached = dirs_[dir->Block()];
  if (cached) retired_.push_back(std::move(cached));
  cached = std::move(dir);
  return true;
}

bool TFileSystem::ForceDir(std::string_view path) {
  if (!Writable() || path.empty()) return false;
  std::string rest(path);
  std::string sofar;
  while (!rest.empty()) {
    const std::string item = CutFirstPathItem(rest);
    if (item.empty()) return false;
    sofar = sofar.empty() ? item : sofar + "\\" + item;
    if (!CreateDir(sofar)) return false;
  }
  return true;
}

bool TFileSystem::OpenForWriting(const TDir* dir, std::string_view name) const {
  return std::any_of(openFiles_.begin(), openFiles_.end(), [&](const std::unique_ptr<TFile>& file) {
    return file->Dir() == dir && file->ForWriting() && SameText(file->OpenedName(), name);
  });
}

TFile* TFileSystem::Keep(std::unique_ptr<TFile> file, const std::string& pathName) {
  if (!file) return nullptr;
  file->pathName_ = pathName;
  openFiles_.push_back(std::move(file));
  return openFiles_.back().get();
}

TFile* TFileSystem::CreateFile(const std::string& name) {
  if (!Writable()) return nullptr;
  const std::string fileName = ExtractVFSName(name);
  if (fileName.empty()) {
    VFSError("Empty name refused");
    return nullptr;
  }
  const std::string dirPath = ExtractVFSPath(name);
  if (!dirPath.empty()) ForceDir(dirPath);
  TDir* dir = GetDir(dirPath);
  if (!dir) return nullptr;
  // A directory of that name stays: files never replace directories.
  if (dir->FindEntry(fileName, true) >= 0) {
    VFSError("Entry " + fileName + " alredy exists");
    return nullptr;
  }
  if (OpenForWriting(dir, fileName)) {
    VFSError("Can't create opened file");
    return nullptr;
  }
  // The old file is erased only when the new one can be made: one block
  // for it and what its directory grows by.
  const std::uint64_t needed = 1 + BlocksToGrow(dir->Block(), 0, dir->StoredSizeWith(fileName));
  if (needed == 0 || needed > freeBlocks_) {
    VFSError("Container is full");
    return nullptr;
  }
  if (TFile* old = OpenFileRead(name)) EraseFile(old);
  return Keep(TFile::CreateEmpty(fileName, *dir, vfsCreate), name);
}

TFile* TFileSystem::OpenFileRead(const std::string& name) {
  const std::string fileName = ExtractVFSName(name);
  if (fileName.empty()) return nullptr;
  TDir* dir = GetDir(ExtractVFSPath(name));
  if (!dir) return nullptr;
  return Keep(TFile::CreateOpen(fileName, *dir, vfsRead), name);
}

TFile* TFileSystem::OpenFileWrite(const std::string& name) {
  if (!root_) return nullptr;
  if ((mode_ & 1) == 0) {
    VFSError("Can't create opened file");
    return nullptr;
  }
  const std::string fileName = ExtractVFSName(name);
  if (fileName.empty()) return nullptr;
  TDir* dir = GetDir(ExtractVFSPath(name));
  if (!dir) return nullptr;
  if (OpenForWriting(dir, fileName)) {
    VFSError("Can't create opened file");
    return nullptr;
  }
  return Keep(TFile::CreateOpen(fileName, *dir, vfsWrite), name);
}

void TFileSystem::CloseFile(TFile* file) {
  const auto found = std::find_if(openFiles_.begin(), openFiles_.end(),
                                  [&](const std::unique_ptr<TFile>& f) { return f.get() == file; });
  if (found == openFiles_.end()) return;
  const std::unique_ptr<TFile> closing = std::move(*found);
  openFiles_.erase(found);
  // Only a file that changed writes its entry back, and only over its own
  // entry: one erased meanwhile (a replaced file) stays erased.
  if (!Writable() || !(closing->ForWriting() || closing->Erased())) return;
  TDir* dir = closing->Dir();
  if (closing->Index() < dir->Count() && dir->Entry(closing->Index()).Name == closing->OpenedName()) {
    dir->SaveEntry(closing->Index(), closing->Entry());
  }
}

void TFileSystem::EraseFile(TFile* file) {
  const bool open = std::any_of(openFiles_.begin(), openFiles_.end(),
                                [&](const std::unique_ptr<TFile>& f) { return f.get() == file; });
  if (!open) return;
  if (!file->entry_.Name.empty()) file->entry_.Name[0] = '*';
  file->erased_ = true;
  CloseFile(file);
}

bool TFileSystem::FileExists(const std::string& name) {
  if (!root_) return false;
  const std::string dirPath = ExtractVFSPath(name);
  TDir* dir = GetDir(dirPath);
  if (!dir) {
    VFSError("dir not exists " + dirPath);
    return false;
  }
  const std::string fileName = ExtractVFSName(name);
  return !fileName.empty() && dir->FindEntry(fileName, false) >= 0;
}

std::uint32_t TFileSystem::Read(TFile* file, void* buffer, std::uint32_t count) {
  if (!file) return 0;
  const std::int64_t size = file->Size();
  if (file->Position() > size) {
    VFSError("File " + file->Entry().Name + " read error");
    return 0;
  }
  const auto wanted = static_cast<std::uint64_t>(std::min<std::int64_t>(count, size - file->Position()));
  const std::uint64_t got =
      LoadData(file->Entry().Block, buffer, static_cast<std::uint64_t>(file->Position()), wanted);
  file->position_ += static_cast<std::int64_t>(got);
  if (got < wanted) VFSError("File " + file->Entry().Name + " is cut short");
  return static_cast<std::uint32_t>(got);
}

std::uint32_t TFileSystem::Write(TFile* file, const void* buffer, std::uint32_t count) {
  // A file opened for reading never writes: its entry is not saved back.
  if (!Writable() || !file || !file->ForWriting() || count == 0) return 0;
  if (file->Position() + count > std::numeric_limits<std::uint32_t>::max()) {
    VFSError("File " + file->Entry().Name + " too large");
    return 0;
  }
  const std::uint32_t block =
      SaveData(file->entry_.Block, buffer, static_cast<std::uint64_t>(file->Position()), count);
  if (block == BadBlock || block == EmptyBlock) return 0;
  file->entry_.Block = block;
  file->position_ += count;
  file->entry_.Size = std::max(file->entry_.Size, static_cast<std::uint32_t>(file->position_));
  return count;
}

void TFileSystem::Fill(TVFSSearchRec& search, const TFileEntry& entry) {
  search.Time = DateTimeToFileDate(entry.Date);
  search.Size = entry.Size;
  search.Attr = entry.Attr;
  search.Name = entry.Name;
}

int TFileSystem::FindFirst(std::string_view path, std::uint32_t attributes, TVFSSearchRec& search) {
  search = TVFSSearchRec();
  TDir* dir = GetDir(ExtractVFSPath(path));
  if (!dir) return 1;
  const std::string mask = ExtractVFSName(path);
  for (std::uint32_t i = 0; i < dir->Count(); ++i) {
    if (!MatchesMask(dir->Entry(i).Name, mask)) continue;
    if (!search.Handle) {
      Fill(search, dir->Entry(i));
      search.Handle = std::make_unique<TVFSSearchHandle>();
      search.Handle->Dir = dir;
    } else {
      search.Handle->Pending.push_back(i);
    }
  }
  return 0;
}

int TFileSystem::FindNext(TVFSSearchRec& search) {
  TVFSSearchHandle* handle = search.Handle.get();
  if (!handle || handle->Next >= handle->Pending.size()) return 1;
  Fill(search, handle->Dir->Entry(handle->Pending[handle->Next++]));
  return 0;
}

void TFileSystem::FindClose(TVFSSearchRec& search) { search.Handle.reset(); }

void TFileSystem::WalkTree(const std::function<void(const std::string& dirPath, const TFileEntry& entry)>& visit) {
  if (!root_) return;
  struct TFrame {
    TDir* Dir;
    std::uint32_t Next;
    std::size_t PathLength;
  };
  // Iterative, with every directory entered once: a hostile tree can be
  // deep and can point back at its ancestors.
  std::unordered_set<std::uint32_t> entered{root_->Block()};
  std::vector<TFrame> stack{{root_.get(), 0, 0}};
  std::string path;
  while (!stack.empty()) {
    TFrame& frame = stack.back();
    if (frame.Next >= frame.Dir->Count()) {
      const std::size_t restore = frame.PathLength;
      stack.pop_back();
      path.resize(restore);
      continue;
    }
    const TFileEntry entry = frame.Dir->Entry(frame.Next++);
    if (entry.Name.empty() || entry.Name == "." || entry.Name == ".." || entry.Name[0] == '*') continue;
    visit(path, entry);
    if (!entry.IsDir()) continue;
    if (!entered.insert(entry.Block).second) {
      VFSError("Container directory " + path + entry.Name + " loops back");
      continue;
    }
    TDir* dir = DirOfBlock(entry.Block);
    if (!dir) continue;
    const std::size_t length = path.size();
    path += entry.Name + "\\";
    stack.push_back({dir, 0, length});
  }
}

}  // namespace corvane
