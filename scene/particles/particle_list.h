// TParticleList: the particles of one effect, in emission order. Removing
// a particle leaves an empty slot until the list is packed, so a walk over
// the list may free as it goes.
#pragma once

#include <cstdint>

#include "base/lists/persistent_object_list.h"
#include "base/reflection/persistent.h"
#include "scene/particles/particle.h"

namespace corvane {

class TParticleList : public TSomePersistent {
  CORVANE_CLASS(TParticleList, TSomePersistent)
  // The owner is the effect.
  explicit TParticleList(const TCreateContext& context);
  // Frees the particles still held.
  ~TParticleList() override;

  ParticleEffect* Effect() const { return effect_; }
  void SetEffect(ParticleEffect* effect) { effect_ = effect; }

  // Sets the particle's list and appends it; its index.
  int AddItem(TParticle* particle);
  // Frees the particle and leaves its slot empty; slot, when it holds the
  // particle, spares the search.
  void RemoveAndFreeItem(TParticle* particle, int slot = -1);
  // Drops the empty slots, keeping the order.
  void Pack();
  // Frees every particle and empties the list.
  void FreeAll();
  int IndexOfItem(const TParticle* particle) const { return items_.IndexOf(particle); }
  // Slots, empty ones included until the next Pack.
  int ItemCount() const { return count_; }
  // nullptr for an empty slot (and, reported, outside the list).
  TParticle* Items(int index) const { return static_cast<TParticle*>(items_.Get(index)); }
  void SetItems(int index, TParticle* particle);
  // Sets the particle's list.
  void AfterItemCreated(TParticle* particle) { particle->list = this; }

 private:
  ParticleEffect* effect_ = nullptr;
  TPersistentObjectList items_;
  int count_ = 0;
};

}  // namespace corvane
