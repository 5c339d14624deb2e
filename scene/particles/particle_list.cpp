#include "scene/particles/particle_list.h"

#include <algorithm>

#include "base/reflection/class_builder.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TParticleList)

namespace {
// Particles come and go in bursts: the list grows by at least this many
// slots, and by its own size once it is larger, so that a burst of any size
// copies the list a few times rather than once every few slots.
constexpr int kGrowthStep = 64;
}  // namespace

TParticleList::TParticleList(const TCreateContext& context) : TSomePersistent(context) {
  items_.SetGrowthDelta(kGrowthStep);
}

TParticleList::~TParticleList() { FreeAll(); }

int TParticleList::AddItem(TParticle* particle) {
  particle->list = this;
  if (items_.Count() == items_.Capacity()) items_.SetGrowthDelta(std::max(kGrowthStep, items_.Capacity()));
  const int index = items_.Add(particle);
  count_ = items_.Count();
  return index;
}

void TParticleList::RemoveAndFreeItem(TParticle* particle, int slot) {
  // The walk that frees dying particles knows each one's slot.
  const bool atSlot = slot >= 0 && slot < items_.Count() && items_.Get(slot) == particle;
  const int index = atSlot ? slot : items_.IndexOf(particle);
  if (index < 0) return;
  items_.Put(index, nullptr);
  particle->Free();
}

void TParticleList::Pack() {
  items_.Pack();
  count_ = items_.Count();
}

void TParticleList::FreeAll() {
  // Out of the list before each goes, as Clean does.
  items_.Clean();
  count_ = 0;
}

void TParticleList::SetItems(int index, TParticle* particle) {
  items_.Put(index, particle);
  if (particle) particle->list = this;
}

}  // namespace corvane
