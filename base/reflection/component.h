// TGComponent: the streamable component. An owner tree in which each
// component owns an ordered list of components with names unique among
// their siblings, a state set the streaming code drives, free notifications
// between components of different owners, and the hooks the object stream
// uses to enumerate children and finish loading.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "base/reflection/component_state.h"
#include "base/reflection/persistent.h"

namespace corvane {

class TBasicAction;
class TGReader;
class TGWriter;
class TGComponent;

enum TOperation : std::uint8_t { opInsert, opRemove };

using TGComponentName = std::u16string;
using TGetChildProc = std::function<void(TGComponent*)>;

class TGComponentEnumerator {
 public:
  explicit TGComponentEnumerator(const TGComponent* component) : component_(component) {}
  bool MoveNext();
  TGComponent* Current() const;

 private:
  int position_ = -1;
  const TGComponent* component_;
};

class TGComponent : public TPersistent {
  CORVANE_CLASS(TGComponent, TPersistent)
  static void Describe(TClassBuilder<TGComponent>& c);

  // Inserts itself into the context's owner when that is a component.
  explicit TGComponent(const TCreateContext& context);
  ~TGComponent() override;
  void BeforeDestruction() override;

  // Owner tree.
  TGComponent* Owner() const { return owner_; }
  TPersistent* GetOwner() const override { return owner_; }
  std::string GetNamePath() const override;
  void InsertComponent(TGComponent* component);
  void RemoveComponent(TGComponent* component);
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  // The i-th owned component; an index outside the list logs
  // "ListIndexError <i>" and gives nullptr.
  TGComponent* Components(int index) const;
  std::span<TGComponent* const> ComponentList() const { return components_; }
  int ComponentIndex() const;
  void SetComponentIndex(int value);
  // First owned component whose name equals `name` without case.
  TGComponent* FindComponent(std::u16string_view name) const;
  TGComponentEnumerator GetEnumerator() const { return TGComponentEnumerator(this); }
  // Frees every owned component, last first.
  void DestroyComponents();

  // Names.
  const TGComponentName& Name() const { return name_; }
  virtual void SetName(const TGComponentName& newName);
  std::int32_t Tag() const { return tag_; }
  void SetTag(std::int32_t tag) { tag_ = tag; }

  // State and style.
  TGComponentState ComponentState() const { return state_; }
  TGComponentStyle ComponentStyle() const { return style_; }
  bool HasState(TGComponentStateFlag flag) const { return state_.Contains(flag); }
  bool HasStyle(TGComponentStyleFlag flag) const { return style_.Contains(flag); }
  // For the streaming code, which drives the state set.
  void IncludeState(TGComponentStateFlag flag) { state_.Include(flag); }
  void ExcludeState(TGComponentStateFlag flag) { state_.Exclude(flag); }
  void IncludeStyle(TGComponentStyleFlag flag) { style_.Include(flag); }
  void ExcludeStyle(TGComponentStyleFlag flag) { style_.Exclude(flag); }
  bool IsLoaded() const { return loaded_; }

  // Design position, two 16-bit halves.
  std::int16_t DesignLeft() const { return designLeft_; }
  std::int16_t DesignTop() const { return designTop_; }
  void SetDesignLeft(std::int32_t v) { designLeft_ = static_cast<std::int16_t>(v); }
  void SetDesignTop(std::int32_t v) { designTop_ = static_cast<std::int16_t>(v); }
  // Each half as one stream integer; reading keeps its low 16 bits.
  void ReadLeft(TGReader& reader);
  void ReadTop(TGReader& reader);
  void WriteLeft(TGWriter& writer) const;
  void WriteTop(TGWriter& writer) const;

  // Free notifications.
  void FreeNotification(TGComponent* component);
  void RemoveFreeNotification(TGComponent* component);
  std::span<TGComponent* const> FreeNotifies() const { return freeNotifies_; }

  // Streaming hooks.
  virtual void GetChildren(const TGetChildProc& proc, TGComponent* root) {}
  virtual TGComponent* GetChildOwner() { return nullptr; }
  virtual TGComponent* GetChildParent() { return this; }
  virtual TGComponent* GetParentComponent() const { return nullptr; }
  virtual bool HasParent() const { return false; }
  virtual void SetParentComponent(TGComponent* parent) {}
  virtual void SetChildOrder(TGComponent* child, int order) {}
  virtual void Loaded();
  // Reads / writes this component's properties and children.
  virtual void ReadState(TGReader& reader);
  virtual void WriteState(TGWriter& writer);
  virtual void Updating() { state_.Include(csUpdating); }
  virtual void Updated() { state_.Exclude(csUpdating); }
  // No class of this engine is entered in a system registry.
  virtual void UpdateRegistry() {}
  // Nothing holds a component through a reference count.
  void FreeOnRelease() {}

  // Lets the action execute / update on this component when it handles it
  // as a target; false, and nothing done, when it does not.
  virtual bool ExecuteAction(TBasicAction* action);
  virtual bool UpdateAction(TBasicAction* action);

  // An exception left a safe call: there is no caller to report details to,
  // so the result is the failure "unexpected" (0x8000FFFF), never success.
  virtual std::int32_t SafeCallException(TObject* exceptObject, void* exceptAddress);

  void Destroying();
  void SetAncestor(bool value);
  void SetDesigning(bool value, bool setChildren = true);
  void SetInline(bool value) { state_.Set(csInline, value); }
  void SetDesignInstance(bool value) { state_.Set(csDesignInstance, value); }
  void SetSubComponent(bool value) { style_.Set(csSubComponent, value); }

 protected:
  virtual void Notification(TGComponent* component, TOperation operation);
  virtual void ValidateRename(TGComponent* component, const TGComponentName& curName,
                              const TGComponentName& newName);
  virtual void ValidateContainer(TGComponent* component);
  virtual void ValidateInsert(TGComponent* component) {}
  void ChangeName(const TGComponentName& newName) { name_ = newName; }

 private:
  void Insert(TGComponent* component);
  void Remove(TGComponent* component);
  void SetReference(bool enable);

  TGComponent* owner_ = nullptr;
  TGComponentName name_;
  std::int32_t tag_ = 0;
  std::vector<TGComponent*> components_;
  std::vector<TGComponent*> freeNotifies_;
  std::int16_t designLeft_ = 0;
  std::int16_t designTop_ = 0;
  bool loaded_ = false;
  TGComponentState state_;
  TGComponentStyle style_{csInheritable};
};

// Whether the wide name narrowed to 8 bits is an identifier: a letter or
// "_", then letters, digits or "_".
bool IsValidIdent(std::u16string_view name);

}  // namespace corvane
