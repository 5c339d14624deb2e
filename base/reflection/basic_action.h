// TBasicAction: what a component needs of an action to hand itself over as
// its target. An action says which targets it can act on, and executes or
// updates itself on one of them.
#pragma once

namespace corvane {

class TObject;

class TBasicAction {
 public:
  virtual ~TBasicAction() = default;
  virtual bool HandlesTarget(TObject* target) = 0;
  virtual void ExecuteTarget(TObject* target) = 0;
  virtual void UpdateTarget(TObject* target) = 0;
};

}  // namespace corvane
