// ScoreTable: the applet's list of names with integer scores, highest
// first (script global "scoreTable"), saved beside the applet in a ".score"
// file. Each line is name "=" score; the score is also the line's object,
// which is what the order uses. The table has no line limit of its own;
// MaxScores bounds it far beyond any real table, and no score or file is
// ever cut to fit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/lists/wide_string_list.h"
#include "engine/core/base_object.h"
#include "engine/shell/applet_data_file.h"

namespace corvane {

// The most lines a score table holds ("-maxscores=N"), far beyond any real
// table: it only stops an applet adding a score every frame from growing
// the table without end. An add past it (or past what the file's reader
// takes back) is refused with a line, and a stored table of more lines is
// not loaded but kept as it is: the budget never costs a stored score.
inline constexpr std::int32_t kDefaultMaxScores = 100000;
extern std::int32_t MaxScores;

class ScoreTable : public BaseObject {
  CORVANE_CLASS(ScoreTable, BaseObject)
  static void Describe(TClassBuilder<ScoreTable>& c);

  // An empty table, ordered by object.
  explicit ScoreTable(const TCreateContext& context);

  // Puts the line in its place, after the lines of the same score; a name
  // already listed is added again. A table loaded out of order is sorted
  // first. Refused, with an error line, for a name holding a line break
  // (it would split into other lines in the file), and when the table
  // holds MaxScores lines or its file would pass what its reader takes
  // back (base/lists/wide_string_file.h). The lines added
  // since the table was last read are placed together when it is next read
  // (or when they are as many as the lines placed), so that each add costs
  // a share of one merge rather than moving every line below it.
  void AddScore(const std::u16string& name, std::int32_t score);
  // count: the number of lines.
  std::int32_t ScoreCount() const { return Placed().Count(); }
  // The name of line index: everything before its last "=" (a name may
  // hold "=" itself); "" outside the table.
  std::u16string Names(std::int32_t index) const;
  // The score of line index; 0 outside the table.
  std::int32_t Scores(std::int32_t index) const;

  // The file through the engine's external manager. Loading keeps the
  // file's line order; a score that is no 32-bit integer reads 0. A file
  // of more than MaxScores lines is not taken (an error line): the table
  // stays empty and the file is kept as it is. An empty table is never
  // stored, so it never replaces an earlier file; nor is a file that is
  // there but could not be read or was not taken (TAppletDataFile).
  void Load();
  void Store();
  // The applet's name (from the log file's) + ".score", fixed by the first
  // Load or Store.
  std::string DataFileName();

  TWideStringList& Entries() { return Placed(); }
  const TWideStringList& Entries() const { return Placed(); }

 private:
  // The lines with every added one in its place.
  TWideStringList& Placed() const;

  struct TAdded {
    std::u16string Line;
    std::int32_t Score;
  };
  // Placed on the first read: the table's lines are its look-ups' state.
  mutable TWideStringList entries_;
  mutable std::vector<TAdded> added_;
  // Whether the lines stand highest first (a file may hold them otherwise).
  mutable bool ordered_ = true;
  // The units of every line, placed or added, with its CR LF: what the
  // stored file would hold.
  std::int64_t units_ = 0;
  TAppletDataFile file_{".score", this};
};

}  // namespace corvane
