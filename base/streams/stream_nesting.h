// One budget of nesting for everything that reads object streams into
// objects: every level of every stream being read, and every object file
// included into another while that one is read, take a level of the same
// kMaxStreamDepth. Apart, the limits would multiply (files included 32 deep,
// each nesting its objects 256 deep, overflow the stack).
#pragma once

namespace corvane {

// Takes a level; false when every level was already in use (the level is
// taken all the same, so that each Enter has its Leave).
bool EnterStreamNesting();
void LeaveStreamNesting();
// Levels in use now.
int StreamNestingDepth();

// A level held for a scope.
class TStreamNestingLevel {
 public:
  TStreamNestingLevel() : entered_(EnterStreamNesting()) {}
  ~TStreamNestingLevel() { LeaveStreamNesting(); }
  TStreamNestingLevel(const TStreamNestingLevel&) = delete;
  TStreamNestingLevel& operator=(const TStreamNestingLevel&) = delete;
  // Whether it was within the budget.
  bool Entered() const { return entered_; }

 private:
  bool entered_;
};

}  // namespace corvane
