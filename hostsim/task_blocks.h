// The simulated host's memory that it hands to the client: blocks from CoTaskMemAlloc, tracked so
// that a test can tell which of them the client gave back.
//
// The client's frees are seen by watching the task allocator, which the program and the modules it
// loads share. The host reclaims only the blocks it kept for itself (handed out
// while its memory was shared); the others are the client's to free, and a block it forgets is a
// leak that the sanitizers report.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Tracks the blocks of one simulated host. While one exists, the task allocator's frees are
// watched.
class SimTaskBlocks {
 public:
  SimTaskBlocks();
  ~SimTaskBlocks();  // reclaims the blocks the host kept
  SimTaskBlocks(const SimTaskBlocks&) = delete;
  SimTaskBlocks& operator=(const SimTaskBlocks&) = delete;

  // A new tracked block of bytes bytes; null when refused. hostKeeps: the host frees it itself
  // (its memory is shared), else the client must.
  void* Alloc(size_t bytes, bool hostKeeps);
  // A tracked copy of text (null for null, or when refused).
  char* CopyString(const char* text, bool hostKeeps);

  size_t HandedOut() const { return blocks_.size(); }  // blocks given to the client so far
  size_t FreedByClient() const;                        // of those, how many the client freed
  bool Freed(size_t index) const { return blocks_[index].freed; }  // in hand-out order
  const void* Address(size_t index) const { return blocks_[index].address; }
  // Frees the blocks the host kept that the client did not free, and forgets every block.
  void Reclaim();
  // Frees every block the client did not free, its own or the host's, and forgets every block:
  // once a client's unreturned blocks have been reported, they are not reported again as leaks.
  void ReclaimAll();

  // Called by the free hook: marks block freed when it is a live tracked block.
  void NoteFree(void* block);

 private:
  struct Block {
    void* address;   // as handed out
    bool freed;      // the client gave it back
    bool hostKeeps;  // handed out as shared memory: the host's to free
  };
  std::vector<Block> blocks_;
  void (*previousWatcher_)(void*) = nullptr;  // the watch the outermost tracker replaced
  SimTaskBlocks* previousTracker_;
};
