// Tracking the simulated host's task-memory blocks.
#include "hostsim/task_blocks.h"

#include <cstring>
#include <mutex>
#include <unordered_set>

#include "platform/task_memory_watch.h"
#include "platform/win_memory.h"

namespace {

SimTaskBlocks* g_tracker = nullptr;  // the innermost live tracker

// Every block the task allocator made since the watch began and has not freed. A second thread of
// a client may call the allocator too.
struct Ledger {
  std::mutex lock;
  std::unordered_set<void*> live;
  bool watching = false;
  bool complete = false;  // watching since before any module was loaded: knows every block
};
Ledger& TheLedger() {
  static Ledger* ledger = new Ledger;  // outlives every static destructor that may free a block
  return *ledger;
}

void Allocated(void* block) {
  Ledger& ledger = TheLedger();
  std::lock_guard<std::mutex> hold(ledger.lock);
  ledger.live.insert(block);
}

// The tracker that handed out a block at that address last, or null.
SimTaskBlocks* Owner(void* block) {
  for (SimTaskBlocks* t = g_tracker; t != nullptr; t = t->outer) {
    if (t->GaveOut(block)) return t;
  }
  return nullptr;
}

bool Freeing(void* block) {
  Ledger& ledger = TheLedger();
  bool made = false;
  bool complete = false;
  {
    std::lock_guard<std::mutex> hold(ledger.lock);
    made = ledger.live.erase(block) != 0;
    complete = ledger.complete;
  }
  SimTaskBlocks* owner = Owner(block);
  // A host block given back that the allocator has not made again since is not the allocator's
  // now, however late the watch began.
  const bool known = made || (!complete && !(owner != nullptr && owner->GivenBack(block)));
  if (owner == nullptr) owner = g_tracker;
  if (owner == nullptr) return true;  // no host to tell: as without a watch
  return owner->NoteTaskFree(block, known);
}

bool LibraryFreeing(void* block) {
  SimTaskBlocks* owner = Owner(block);
  return owner == nullptr || owner->NoteLibraryFree(block);
}

void StartWatch(bool complete) {
  Ledger& ledger = TheLedger();
  std::lock_guard<std::mutex> hold(ledger.lock);
  if (ledger.watching) return;
  ledger.watching = true;
  ledger.complete = complete;
  WatchTaskMemory({Allocated, Freeing});
}

}  // namespace

void SimWatchTaskMemory() {
  StartWatch(true);
}

bool SimWatchLibraryHeap(HMODULE module) {
  return FilterLibraryHeapFrees(module, LibraryFreeing);
}

SimTaskBlocks::SimTaskBlocks() : outer(g_tracker) {
  StartWatch(false);
  g_tracker = this;
}

SimTaskBlocks::~SimTaskBlocks() {
  Reclaim();
  // Out of the chain, wherever it is in it: hosts need not end in the reverse order of their
  // making.
  for (SimTaskBlocks** link = &g_tracker; *link != nullptr; link = &(*link)->outer) {
    if (*link == this) {
      *link = outer;
      break;
    }
  }
}

void* SimTaskBlocks::Alloc(size_t bytes, bool hostKeeps) {
  void* block = CoTaskMemAlloc(bytes);
  if (block == nullptr) return nullptr;
  const size_t index = handedOut_++;
  newest_[block] = index;
  held_.emplace(index, Block{block, kHandedOut, hostKeeps, false, {}});
  // What the host puts in a shared block is known once the caller has filled it: see
  // CheckSharedBlocks, which takes the first look.
  return block;
}

char* SimTaskBlocks::CopyString(const char* text, bool hostKeeps) {
  if (text == nullptr) return nullptr;
  size_t bytes = std::strlen(text) + 1;
  auto* copy = static_cast<char*>(Alloc(bytes, hostKeeps));
  if (copy == nullptr) return nullptr;
  std::memcpy(copy, text, bytes);
  Block& b = held_.at(handedOut_ - 1);
  b.text = true;
  if (hostKeeps) b.put.assign(copy, bytes);
  return copy;
}

bool SimTaskBlocks::Freed(size_t index) const {
  return index < handedOut_ && held_.count(index) == 0;
}

bool SimTaskBlocks::GivenBack(void* block) const {
  const auto found = newest_.find(block);
  return found != newest_.end() && held_.count(found->second) == 0;
}

void SimTaskBlocks::CheckSharedBlocks() {
  for (auto& [index, b] : held_) {
    if (!b.hostKeeps || b.state != kHandedOut || !b.text) continue;
    if (std::memcmp(b.address, b.put.data(), b.put.size()) == 0) continue;
    faults_.push_back(SimMemoryFault::kWroteSharedText);
    b.put.assign(static_cast<const char*>(b.address), b.put.size());  // reported once
  }
}

void SimTaskBlocks::Forget() {
  held_.clear();
  newest_.clear();
  handedOut_ = 0;
  freedByClient_ = 0;
  freedWrongly_ = 0;
}

void SimTaskBlocks::Reclaim() {
  std::unordered_map<size_t, Block> held;
  held.swap(held_);  // forget them first: the frees below pass the watch too
  Forget();
  for (const auto& [index, b] : held) {
    if (b.state == kFreedWrongly || b.hostKeeps) CoTaskMemFree(b.address);
  }
}

void SimTaskBlocks::ReclaimAll() {
  std::unordered_map<size_t, Block> held;
  held.swap(held_);
  Forget();
  for (const auto& [index, b] : held) CoTaskMemFree(b.address);
}

bool SimTaskBlocks::NoteTaskFree(void* block, bool known) {
  const auto found = newest_.find(block);
  const bool gaveOut = found != newest_.end();
  const auto held = gaveOut ? held_.find(found->second) : held_.end();
  if (known) {
    if (held != held_.end()) {  // also one freed wrongly before: given back now
      if (held->second.state == kFreedWrongly) --freedWrongly_;
      held_.erase(held);
      ++freedByClient_;
    }
    return true;
  }
  faults_.push_back(gaveOut && held == held_.end() ? SimMemoryFault::kGivenBackTwice
                                                   : SimMemoryFault::kNotHostBlock);
  return false;
}

bool SimTaskBlocks::NoteLibraryFree(void* block) {
  const auto found = newest_.find(block);
  if (found == newest_.end()) return true;
  const auto held = held_.find(found->second);
  if (held == held_.end() || held->second.state != kHandedOut) return true;
  held->second.state = kFreedWrongly;
  ++freedWrongly_;
  faults_.push_back(SimMemoryFault::kLibraryFree);
  return false;
}
