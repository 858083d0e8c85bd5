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
  newest_[block] = blocks_.size();
  blocks_.push_back({block, kHandedOut, hostKeeps, false, {}});
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
  blocks_.back().text = true;
  if (hostKeeps) blocks_.back().put.assign(copy, bytes);
  return copy;
}

size_t SimTaskBlocks::FreedByClient() const {
  size_t freed = 0;
  for (const Block& b : blocks_) freed += b.state == kGivenBack ? 1 : 0;
  return freed;
}

size_t SimTaskBlocks::FreedWrongly() const {
  size_t freed = 0;
  for (const Block& b : blocks_) freed += b.state == kFreedWrongly ? 1 : 0;
  return freed;
}

bool SimTaskBlocks::GivenBack(void* block) const {
  const auto found = newest_.find(block);
  return found != newest_.end() && blocks_[found->second].state == kGivenBack;
}

void SimTaskBlocks::CheckSharedBlocks() {
  for (Block& b : blocks_) {
    if (!b.hostKeeps || b.state != kHandedOut || !b.text) continue;
    if (std::memcmp(b.address, b.put.data(), b.put.size()) == 0) continue;
    faults_.push_back(SimMemoryFault::kWroteSharedText);
    b.put.assign(static_cast<const char*>(b.address), b.put.size());  // reported once
  }
}

void SimTaskBlocks::Reclaim() {
  std::vector<Block> blocks;
  blocks.swap(blocks_);  // forget them first: the frees below pass the watch too
  newest_.clear();
  for (const Block& b : blocks) {
    if (b.state == kFreedWrongly || (b.state == kHandedOut && b.hostKeeps)) {
      CoTaskMemFree(b.address);
    }
  }
}

void SimTaskBlocks::ReclaimAll() {
  std::vector<Block> blocks;
  blocks.swap(blocks_);
  newest_.clear();
  for (const Block& b : blocks) {
    if (b.state != kGivenBack) CoTaskMemFree(b.address);
  }
}

bool SimTaskBlocks::NoteTaskFree(void* block, bool known) {
  const auto found = newest_.find(block);
  Block* b = found != newest_.end() ? &blocks_[found->second] : nullptr;
  if (known) {
    if (b != nullptr) b->state = kGivenBack;  // also one freed wrongly before: given back now
    return true;
  }
  faults_.push_back(b != nullptr && b->state == kGivenBack ? SimMemoryFault::kGivenBackTwice
                                                           : SimMemoryFault::kNotHostBlock);
  return false;
}

bool SimTaskBlocks::NoteLibraryFree(void* block) {
  const auto found = newest_.find(block);
  if (found == newest_.end() || blocks_[found->second].state != kHandedOut) return true;
  blocks_[found->second].state = kFreedWrongly;
  faults_.push_back(SimMemoryFault::kLibraryFree);
  return false;
}
