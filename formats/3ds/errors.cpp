#include "formats/3ds/errors.h"

#include <array>

#include "formats/3ds/pascal_format.h"

namespace corvane {

namespace {

// The carriage returns belong to the texts.
constexpr std::array<const char*, kError3DSCount> kDefaults = {
    "Not enough memory to complete operation.",
    "The argument passed to the function is invalid.\r"
    "Usually caused by a nil pointer or an out of range numeric argument.",
    "The structure passed as an argument to the function has\r"
    "invalid or out of range data in its fields.",
    "An invalid Chunk structure was encountered while reading\r"
    "the database. Usually caused by a corrupt database or file.",
    "The database passed as an argument has not be created yet.",
    "The database passed as an argument is the wrong kind of\r"
    "database for this function.",
    "The database is missing important file chunks needed to\r"
    "fill out the requested structure. Usually caused by a corrupt database or file.",
    "The Name passed to the functions exists but is not the type of object asked for.\r"
    "For example asking for a mesh object with the GetCameraByName3DS function.",
    "The FileName passed as an argument for reading does not exist.",
    "Failed to initialize structure passed as an argument.",
    "Could not open requested file.",
    "Could not close requested file.",
    "Error occured while reading file.",
    "Error occured while creating database.",
    "Error occured while reading database.",
    "Error occured while writing database.",
    "Error occured while writing file.",
    "String encountered in file structure or as an argument was longer than expected.\r"
    "Possibly caused by an uninitialed pointer corrupt file or database.",
    "Failed to get new data from database.",
    "Failed to add new data to the database.",
    "Invalid index %d.",
};

std::array<std::string, kError3DSCount>& CurrentTexts() {
  static std::array<std::string, kError3DSCount> texts = [] {
    std::array<std::string, kError3DSCount> t;
    for (int i = 0; i < kError3DSCount; ++i) t[static_cast<std::size_t>(i)] = kDefaults[static_cast<std::size_t>(i)];
    return t;
  }();
  return texts;
}

}  // namespace

const char* Error3DSDefaultText(TError3DS id) { return kDefaults[id]; }

const std::string& Error3DSText(TError3DS id) { return CurrentTexts()[id]; }

void SetError3DSText(TError3DS id, std::string text) { CurrentTexts()[id] = std::move(text); }

void ShowError(TError3DS id) { throw E3DSError(Error3DSText(id)); }

void ShowError(std::string_view text) { throw E3DSError(std::string(text)); }

void ShowErrorFormatted(TError3DS id, std::int64_t arg) {
  throw E3DSError(PascalFormat(Error3DSText(id), {TFormatArg3DS(arg)}));
}

}  // namespace corvane
