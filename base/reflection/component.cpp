#include "base/reflection/component.h"

#include <algorithm>

#include "base/reflection/basic_action.h"
#include "base/reflection/class_builder.h"
#include "base/streams/reader.h"
#include "base/streams/writer.h"
#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TGComponent)

void TGComponent::Describe(TClassBuilder<TGComponent>& c) {
  // The name travels in the record header, never as a property.
  c.Property("Name", &TGComponent::name_, &TGComponent::SetName).Stored(false);
  c.Property("Tag", &TGComponent::tag_).Default(0);
}

bool TGComponentEnumerator::MoveNext() {
  if (position_ >= component_->ComponentCount() - 1) return false;
  ++position_;
  return true;
}

TGComponent* TGComponentEnumerator::Current() const { return component_->Components(position_); }

TGComponent::TGComponent(const TCreateContext& context) : state_(context.InitialState) {
  if (auto* owner = dynamic_cast<TGComponent*>(context.Owner)) owner->InsertComponent(this);
}

TGComponent::~TGComponent() = default;

void TGComponent::BeforeDestruction() {
  Destroying();
  while (!freeNotifies_.empty()) {
    TGComponent* other = freeNotifies_.back();
    other->Notification(this, opRemove);
    // Notification normally removes the mutual link; make sure the loop ends
    // even for an override that does not call the base.
    if (!freeNotifies_.empty() && freeNotifies_.back() == other) RemoveFreeNotification(other);
  }
  DestroyComponents();
  if (owner_) owner_->RemoveComponent(this);
  TPersistent::BeforeDestruction();
}

std::string TGComponent::GetNamePath() const { return NarrowLatin1(name_); }

void TGComponent::InsertComponent(TGComponent* component) {
  component->ValidateContainer(this);
  if (component->owner_) component->owner_->RemoveComponent(component);
  ValidateRename(component, u"", component->name_);
  Insert(component);
  component->SetReference(true);
  if (state_.Contains(csDesigning)) component->SetDesigning(true, true);
  Notification(component, opInsert);
}

void TGComponent::RemoveComponent(TGComponent* component) {
  ValidateRename(component, component->name_, u"");
  Notification(component, opRemove);
  component->SetReference(false);
  Remove(component);
}

void TGComponent::Insert(TGComponent* component) {
  components_.push_back(component);
  component->owner_ = this;
}

void TGComponent::Remove(TGComponent* component) {
  const auto it = std::find(components_.begin(), components_.end(), component);
  if (it != components_.end()) components_.erase(it);
  component->owner_ = nullptr;
}

TGComponent* TGComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount()) {
    EngineLog(u"ListIndexError " + IntToStr(index));
    return nullptr;
  }
  return components_[static_cast<std::size_t>(index)];
}

int TGComponent::ComponentIndex() const {
  if (!owner_) return -1;
  const auto& list = owner_->components_;
  const auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TGComponent::SetComponentIndex(int value) {
  const int current = ComponentIndex();
  if (current < 0) return;
  auto& list = owner_->components_;
  const int count = static_cast<int>(list.size());
  value = std::clamp(value, 0, count - 1);
  if (value == current) return;
  list.erase(list.begin() + current);
  list.insert(list.begin() + value, this);
}

TGComponent* TGComponent::FindComponent(std::u16string_view name) const {
  if (name.empty()) return nullptr;
  for (TGComponent* c : components_)
    if (SameText(c->name_, name)) return c;
  return nullptr;
}

void TGComponent::DestroyComponents() {
  while (!components_.empty()) {
    TGComponent* component = components_.back();
    if (!component->state_.Contains(csFreeNotification) &&
        !(state_.Contains(csDesigning) && state_.Contains(csInline))) {
      Remove(component);  // silently: nobody asked to hear of it
    } else {
      RemoveComponent(component);
    }
    component->Free();
  }
}

void TGComponent::SetName(const TGComponentName& newName) {
  if (newName == name_) return;
  if (!newName.empty() && !IsValidIdent(newName)) EngineError(u"InvalidName " + newName);
  if (owner_) owner_->ValidateRename(this, name_, newName);
  else ValidateRename(nullptr, name_, newName);
  SetReference(false);
  ChangeName(newName);
  SetReference(true);
}

void TGComponent::ValidateRename(TGComponent* component, const TGComponentName& curName,
                                 const TGComponentName& newName) {
  if (component && !SameText(curName, newName) && component->owner_ == this && FindComponent(newName))
    EngineError(u"DuplicateName " + newName);
  if (state_.Contains(csDesigning) && owner_) owner_->ValidateRename(component, curName, newName);
}

void TGComponent::ValidateContainer(TGComponent* component) { component->ValidateInsert(this); }

void TGComponent::SetReference(bool enable) {
  if (!owner_ || name_.empty()) return;
  const std::string fieldName = NarrowLatin1(name_.substr(0, 255));
  if (const TFieldInfo* field = owner_->ClassType()->FindField(fieldName))
    field->Set(*owner_, enable ? this : nullptr);
}

void TGComponent::FreeNotification(TGComponent* component) {
  if (owner_ && component->owner_ == owner_) {
    state_.Include(csFreeNotification);
    return;
  }
  if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end()) {
    freeNotifies_.push_back(component);
    component->FreeNotification(this);
  }
  state_.Include(csFreeNotification);
}

void TGComponent::RemoveFreeNotification(TGComponent* component) {
  const auto it = std::find(freeNotifies_.begin(), freeNotifies_.end(), component);
  if (it == freeNotifies_.end()) return;
  freeNotifies_.erase(it);
  component->RemoveFreeNotification(this);
}

void TGComponent::Notification(TGComponent* component, TOperation operation) {
  if (operation == opRemove && component) RemoveFreeNotification(component);
  int i = ComponentCount() - 1;
  while (i >= 0) {
    components_[static_cast<std::size_t>(i)]->Notification(component, operation);
    --i;
    if (i >= ComponentCount()) i = ComponentCount() - 1;  // the list shrank
  }
}

void TGComponent::Loaded() {
  state_.Exclude(csLoading);
  loaded_ = true;
}

void TGComponent::ReadState(TGReader& reader) { reader.ReadData(this); }

void TGComponent::WriteState(TGWriter& writer) { writer.WriteData(this); }

void TGComponent::ReadLeft(TGReader& reader) { SetDesignLeft(reader.ReadInteger()); }

void TGComponent::ReadTop(TGReader& reader) { SetDesignTop(reader.ReadInteger()); }

void TGComponent::WriteLeft(TGWriter& writer) const { writer.WriteInteger(designLeft_); }

void TGComponent::WriteTop(TGWriter& writer) const { writer.WriteInteger(designTop_); }

bool TGComponent::ExecuteAction(TBasicAction* action) {
  if (action == nullptr || !action->HandlesTarget(this)) return false;
  action->ExecuteTarget(this);
  return true;
}

bool TGComponent::UpdateAction(TBasicAction* action) {
  if (action == nullptr || !action->HandlesTarget(this)) return false;
  action->UpdateTarget(this);
  return true;
}

std::int32_t TGComponent::SafeCallException(TObject* /*exceptObject*/, void* /*exceptAddress*/) {
  return static_cast<std::int32_t>(0x8000FFFFu);
}

void TGComponent::Destroying() {
  if (state_.Contains(csDestroying)) return;
  state_.Include(csDestroying);
  for (TGComponent* c : components_) c->Destroying();
}

void TGComponent::SetAncestor(bool value) {
  state_.Set(csAncestor, value);
  for (TGComponent* c : components_) c->SetAncestor(value);
}

void TGComponent::SetDesigning(bool value, bool setChildren) {
  state_.Set(csDesigning, value);
  if (setChildren)
    for (TGComponent* c : components_) c->SetDesigning(value, true);
}

bool IsValidIdent(std::u16string_view name) {
  const std::string narrow = NarrowLatin1(name);
  if (narrow.empty()) return false;
  auto isAlpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  if (!isAlpha(narrow[0])) return false;
  return std::all_of(narrow.begin() + 1, narrow.end(),
                     [&](char c) { return isAlpha(c) || (c >= '0' && c <= '9'); });
}

bool TPropInfo::IsSubObject() const {
  if (Kind() != pkClass) return false;
  const TClass cls = PropType()->ClassType();
  return cls && cls->InheritsFrom(TPersistent::StaticClass()) && !cls->InheritsFrom(TGComponent::StaticClass());
}

}  // namespace corvane
