// The simulated host's memory that it hands to the client: blocks from CoTaskMemAlloc, tracked so
// that a test can tell which of them the client gave back. The host reclaims the rest itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Tracks the blocks of one simulated host. While one exists, frees through the platform's call
// table are watched (the one way the client's CoTaskMemFree reaches the heap here).
class SimTaskBlocks {
 public:
  SimTaskBlocks();
  ~SimTaskBlocks();  // reclaims what the client did not free
  SimTaskBlocks(const SimTaskBlocks&) = delete;
  SimTaskBlocks& operator=(const SimTaskBlocks&) = delete;

  // A new tracked block of bytes bytes; null when refused.
  void* Alloc(size_t bytes);
  // A tracked copy of text (null for null, or when refused).
  char* CopyString(const char* text);

  size_t HandedOut() const { return blocks_.size(); }  // blocks given to the client so far
  size_t FreedByClient() const;                        // of those, how many the client freed
  bool Freed(size_t index) const { return blocks_[index].freed; }  // in hand-out order
  const void* Address(size_t index) const { return blocks_[index].address; }
  // Frees every block the client kept (as the host does with shared memory) and forgets them all.
  void Reclaim();

  // Called by the free hook: marks block freed when it is a live tracked block.
  void NoteFree(void* block);

 private:
  struct Block {
    void* address;  // as handed out
    bool freed;     // the client gave it back
  };
  std::vector<Block> blocks_;
  void (*previousFree_)(void*);  // the table's Free before this tracker was installed
  SimTaskBlocks* previousTracker_;
};
