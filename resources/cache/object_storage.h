// Object storage: how engine objects reach and leave object files. An
// object file N is kept as text (Base + ".object") and as its compiled
// binary form (Base + ".bin", Base being N without its extension); a load
// reads the ".bin" only while it was compiled from the ".object" as it is
// now (the stamp at its end, base/streams/source_stamp.h: any change of the
// text's size or exact time, or of its bytes, is seen) or has no ".object"
// beside it; otherwise it compiles the text in memory and stores the
// stamped ".bin" (beside, then renamed) only when the compilation
// succeeded. A manager that cannot take
// the ".bin" (embedded defaults, read-only folders and containers) is no
// error: the object loads from the compiled memory.
//
// The tree loads files through engine/core/object_loader.h's LoadObject, which
// refuses a file that includes itself and bounds the work of a load (the
// bytes and objects read here are charged to it); RegisterResourceServices
// installs LoadStoredObject there.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "base/streams/reader.h"

namespace corvane {

class BaseObject;
class TResourceMan;
class TStream;

// The reader of object files: unknown classes become `Dummy` objects
// (logging "Class <name> not found."), reader errors are logged with the
// file name and reading goes on, new objects learn their applet before
// their constructor runs, and references the file does not hold are looked
// up by name in the applet.
class TSomeReader : public TGReader {
  CORVANE_CLASS(TSomeReader, TGReader)
  // loadParent: the object the loaded objects are created under (the root
  // being read). progress: report loading progress to it.
  TSomeReader(TStream& stream, BaseObject* loadParent, std::string fileName, bool progress);

  BaseObject* LoadParent() const { return loadParent_; }
  const std::string& FileName() const { return fileName_; }

 private:
  void DoError(const std::string& message, bool& handled);
  void DoFindComponentClass(const std::string& className, TClass& cls);
  void DoCreateComponent(TClass cls, TGComponent*& component);
  void DoFindComponentInstance(const std::string& name, TGComponent*& instance);

  BaseObject* loadParent_;
  std::string fileName_;
  // The size of the stream whose progress is shown, taken once: asking a
  // file for it costs a system call, and the progress is told per object.
  std::optional<std::int32_t> progressSize_;
};

// The class unknown records become; nullptr when none is registered.
TClass DummyClass();

// Loads fileName (either form) through resMan: into root when given, else
// as a new object; adds the result to parent. With useCache the compiled
// form is kept in the cache of parent's applet and read from there next
// time. nullptr, with the reason logged, when it cannot be loaded.
BaseObject* LoadStoredObject(TResourceMan* resMan, const std::u16string& fileName, BaseObject* parent,
                             BaseObject* root, bool useCache);
// One binary object from the stream's position (which is kept), with an
// empty file name; into root when given; added to parent.
BaseObject* LoadObjectFromStream(TResourceMan* resMan, TStream& stream, BaseObject* parent,
                                 BaseObject* root = nullptr);

// Writes obj as text to fileName exactly as named (no extension changed):
// the file is replaced whole or left as it was. Whether it was written.
bool SaveObject(TResourceMan* resMan, const std::string& fileName, BaseObject* obj);
// obj's binary form at the stream's position; false for no object.
bool SaveObjectToStream(TStream& stream, BaseObject* obj);
// obj's text form at the stream's position, between its BeforeSave and
// AfterSave; false when nothing complete was written.
bool SaveObjectAsText(TStream& stream, BaseObject* obj);
// Compiles the text file fileName into Base + ".bin", whatever the ages,
// stamped with the text it was compiled from.
bool CreateBin(TResourceMan* resMan, const std::string& fileName);

// The name given to the load in progress ("" outside any load).
const std::string& CurrentLoadName();

}  // namespace corvane
