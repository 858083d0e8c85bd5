// Tracking the simulated host's task-memory blocks.
#include "hostsim/task_blocks.h"

#include <cstring>

#include "platform/task_memory_watch.h"
#include "platform/win_memory.h"

namespace {

SimTaskBlocks* g_tracker = nullptr;  // the innermost live tracker

void WatchedFree(void* block) {
  if (g_tracker != nullptr) g_tracker->NoteFree(block);
}

}  // namespace

SimTaskBlocks::SimTaskBlocks() : previousTracker_(g_tracker) {
  if (g_tracker == nullptr) previousWatcher_ = WatchTaskMemoryFrees(WatchedFree);
  g_tracker = this;
}

SimTaskBlocks::~SimTaskBlocks() {
  Reclaim();
  g_tracker = previousTracker_;
  if (g_tracker == nullptr) WatchTaskMemoryFrees(previousWatcher_);
}

void* SimTaskBlocks::Alloc(size_t bytes, bool hostKeeps) {
  void* block = CoTaskMemAlloc(bytes);
  if (block != nullptr) blocks_.push_back({block, false, hostKeeps});
  return block;
}

char* SimTaskBlocks::CopyString(const char* text, bool hostKeeps) {
  if (text == nullptr) return nullptr;
  size_t bytes = std::strlen(text) + 1;
  auto* copy = static_cast<char*>(Alloc(bytes, hostKeeps));
  if (copy != nullptr) std::memcpy(copy, text, bytes);
  return copy;
}

size_t SimTaskBlocks::FreedByClient() const {
  size_t freed = 0;
  for (const Block& b : blocks_) freed += b.freed ? 1 : 0;
  return freed;
}

void SimTaskBlocks::Reclaim() {
  std::vector<Block> blocks;
  blocks.swap(blocks_);  // forget them first: the frees below pass the hook too
  for (const Block& b : blocks) {
    if (!b.freed && b.hostKeeps) CoTaskMemFree(b.address);
  }
}

void SimTaskBlocks::ReclaimAll() {
  std::vector<Block> blocks;
  blocks.swap(blocks_);
  for (const Block& b : blocks) {
    if (!b.freed) CoTaskMemFree(b.address);
  }
}

void SimTaskBlocks::NoteFree(void* block) {
  // The newest record wins: an address may come back from the heap for a later block.
  for (auto it = blocks_.rbegin(); it != blocks_.rend(); ++it) {
    if (it->address == block) {
      if (!it->freed) it->freed = true;
      return;
    }
  }
}
