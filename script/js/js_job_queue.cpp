#include "script/js/js_job_queue.h"

#include <algorithm>
#include <deque>
#include <memory>
#include <utility>
#include <vector>

#include <js/Promise.h>
#include <js/Realm.h>
#include <js/UniquePtr.h>

#include "script/js/js_error_report.h"
#include "script/js/js_main_hold.h"

namespace corvane::js {

namespace {

// Rejections noted at once, at most; later ones go unreported rather than
// growing a list beside the script heap.
constexpr std::size_t kMaxNotedRejections = 1024;

// The realm's owner (its engine, or nullptr): what a job or a rejection
// belongs to.
const void* OwnerOfRealm(JS::Realm* realm) { return realm ? JS::GetRealmPrivate(realm) : nullptr; }

// A job or a rejected promise, kept alive while it waits.
struct TPending {
  TPending(JSContext* cx, JSObject* object, const void* owner, std::uint64_t number)
      : object(cx, object), owner(owner), number(number) {}
  JS::PersistentRootedObject object;
  const void* owner;
  std::uint64_t number;
};
using TPendingList = std::deque<std::unique_ptr<TPending>>;

// The first entry numbered at or after the mark: entries are numbered in
// the order they come, so those of the current call are the list's end.
TPendingList::iterator FirstSince(TPendingList& list, std::uint64_t mark) {
  return std::lower_bound(list.begin(), list.end(), mark,
                          [](const std::unique_ptr<TPending>& pending, std::uint64_t m) { return pending->number < m; });
}

class TJobQueue final : public JS::JobQueue {
 public:
  // The library's calls are steps of the main thread into the engine's code.
  JSObject* getIncumbentGlobal(JSContext* cx) override {
    const TEngineCode engineCode;
    return JS::CurrentGlobalOrNull(cx);
  }

  bool enqueuePromiseJob(JSContext* cx, JS::HandleObject, JS::HandleObject job, JS::HandleObject,
                         JS::HandleObject) override {
    const TEngineCode engineCode;
    if (jobs_.size() >= kMaxPendingJobs) {
      JS_ReportErrorASCII(cx, "Too many promise jobs are waiting");
      return false;
    }
    jobs_.push_back(std::make_unique<TPending>(cx, job, OwnerOfRealm(JS::GetCurrentRealmOrNull(cx)), next_++));
    return true;
  }

  // Only the library's debugger asks for this, and no debugger is made:
  // the engine runs the jobs itself, call by call.
  void runJobs(JSContext*) override {}

  bool empty() const override { return jobs_.empty(); }

  void NoteRejection(JSContext* cx, JS::HandleObject promise, JS::PromiseRejectionHandlingState state) {
    if (state == JS::PromiseRejectionHandlingState::Handled) {
      std::erase_if(rejections_, [&](const std::unique_ptr<TPending>& noted) { return noted->object.get() == promise.get(); });
      return;
    }
    if (rejections_.size() >= kMaxNotedRejections) return;
    rejections_.push_back(std::make_unique<TPending>(cx, promise, OwnerOfRealm(JS::GetCurrentRealmOrNull(cx)), next_++));
  }

  std::uint64_t Mark() const { return next_; }

  bool Take(std::uint64_t mark, JS::MutableHandleObject job) {
    for (auto it = FirstSince(jobs_, mark); it != jobs_.end(); it = FirstSince(jobs_, mark)) {
      std::unique_ptr<TPending> next = std::move(*it);
      jobs_.erase(it);
      // Only in the realm it was queued in, of an engine that still stands.
      JSObject* object = next->object;
      if (!next->owner || OwnerOfRealm(JS::GetObjectRealmOrNull(object)) != next->owner) continue;
      job.set(object);
      return true;
    }
    return false;
  }

  void DropSince(std::uint64_t mark) {
    jobs_.erase(FirstSince(jobs_, mark), jobs_.end());
    rejections_.erase(FirstSince(rejections_, mark), rejections_.end());
  }

  void DropOf(const void* owner) {
    auto mine = [owner](const std::unique_ptr<TPending>& pending) { return pending->owner == owner; };
    std::erase_if(jobs_, mine);
    std::erase_if(rejections_, mine);
  }

  void ReportRejections(JSContext* cx, std::uint64_t mark) {
    auto first = FirstSince(rejections_, mark);
    std::vector<std::unique_ptr<TPending>> noted(std::make_move_iterator(first),
                                                 std::make_move_iterator(rejections_.end()));
    rejections_.erase(first, rejections_.end());
    for (const std::unique_ptr<TPending>& rejection : noted) {
      JS::RootedObject promise(cx, rejection->object);
      if (!rejection->owner || OwnerOfRealm(JS::GetObjectRealmOrNull(promise)) != rejection->owner) continue;
      JSAutoRealm realm(cx, promise);
      JS::RootedValue reason(cx, JS::GetPromiseResult(promise));
      JS_SetPendingException(cx, reason);
      ReportPendingException(cx);
    }
  }

  void Clear() {
    jobs_.clear();
    rejections_.clear();
  }

 private:
  // What the library's debugger sets aside while it runs code of its own.
  class TSaved final : public SavedJobQueue {
   public:
    explicit TSaved(TJobQueue& queue) : queue_(queue), jobs_(std::move(queue.jobs_)) { queue.jobs_.clear(); }
    ~TSaved() override {
      const TEngineCode engineCode;
      for (auto& job : queue_.jobs_) jobs_.push_back(std::move(job));
      queue_.jobs_ = std::move(jobs_);
    }

   private:
    TJobQueue& queue_;
    TPendingList jobs_;
  };

  ::js::UniquePtr<SavedJobQueue> saveJobQueue(JSContext*) override {
    const TEngineCode engineCode;
    return ::js::MakeUnique<TSaved>(*this);
  }

  TPendingList jobs_;
  TPendingList rejections_;
  std::uint64_t next_ = 0;
};

TJobQueue* gQueue = nullptr;

void TrackRejection(JSContext* cx, bool, JS::HandleObject promise, JS::PromiseRejectionHandlingState state, void*) {
  const TEngineCode engineCode;
  if (gQueue) gQueue->NoteRejection(cx, promise, state);
}

}  // namespace

void StartJobQueue(JSContext* cx) {
  if (gQueue) return;
  gQueue = new TJobQueue;
  JS::SetJobQueue(cx, gQueue);
  JS::SetPromiseRejectionTrackerCallback(cx, TrackRejection);
}

void StopJobQueue(JSContext* cx) {
  if (!gQueue) return;
  // The roots go before the context does; the queue itself after it.
  gQueue->Clear();
  JS::SetPromiseRejectionTrackerCallback(cx, nullptr);
}

void DeleteJobQueue() {
  delete gQueue;
  gQueue = nullptr;
}

std::uint64_t JobMark() { return gQueue ? gQueue->Mark() : 0; }

bool TakeJob(std::uint64_t mark, JS::MutableHandleObject job) {
  return gQueue && gQueue->Take(mark, job);
}

void DropJobsSince(std::uint64_t mark) {
  if (gQueue) gQueue->DropSince(mark);
}

void DropJobsOf(const void* engine) {
  if (gQueue) gQueue->DropOf(engine);
}

void ReportUnhandledRejections(JSContext* cx, std::uint64_t mark) {
  if (gQueue) gQueue->ReportRejections(cx, mark);
}

}  // namespace corvane::js
