// The simulated host's memory that it hands to the client: blocks from CoTaskMemAlloc, tracked so
// that a test can tell which of them the client gave back, and how it misused them.
//
// The client's frees are seen by watching the task allocator, which the program and the modules it
// loads share, and the library's heap of a module when asked to (SimWatchLibraryHeap). The host
// reclaims the blocks it kept for itself (handed out while its memory was shared) and those the
// client freed with the wrong allocator; the others are the client's to free, and a block it
// forgets is a leak that the sanitizers report.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/win_module.h"

// Starts watching the task allocator for the rest of the process (the first SimTaskBlocks does so
// at the latest). Started before any module is loaded, the watch knows every block the allocator
// made: a block given to CoTaskMemFree that it did not make is then left alone and reported.
void SimWatchTaskMemory();
// Watches the frees of the library's heap in module: one of a host block still handed out is left
// alone and reported (the host's blocks go back through CoTaskMemFree). False when the module's
// frees cannot be watched.
bool SimWatchLibraryHeap(HMODULE module);

// What a client did wrong with the task allocator or the host's blocks, in the order it happened.
enum class SimMemoryFault {
  kLibraryFree,      // a host block freed through the library's heap instead of given back
  kNotHostBlock,     // CoTaskMemFree of a block the task allocator never made (or freed already)
  kGivenBackTwice,   // CoTaskMemFree of a host block already given back
  kWroteSharedText,  // a property string handed out as shared memory changed in the client
};

// Tracks the blocks of one simulated host. Trackers nest: the innermost (newest) one hears of the
// frees of blocks no live tracker handed out.
class SimTaskBlocks {
 public:
  SimTaskBlocks();
  ~SimTaskBlocks();  // reclaims the blocks the host kept
  SimTaskBlocks(const SimTaskBlocks&) = delete;
  SimTaskBlocks& operator=(const SimTaskBlocks&) = delete;

  SimTaskBlocks* outer;  // the next older live tracker (the watch's chain, newest first)

  // A new tracked block of bytes bytes; null when refused. hostKeeps: the host frees it itself
  // (its memory is shared), else the client must.
  void* Alloc(size_t bytes, bool hostKeeps);
  // A tracked copy of text (null for null, or when refused).
  char* CopyString(const char* text, bool hostKeeps);

  size_t HandedOut() const { return handedOut_; }          // blocks given to the client so far
  size_t FreedByClient() const { return freedByClient_; }  // of those, given back (CoTaskMemFree)
  // Of those, how many it freed through the library's heap (and has not given back since).
  size_t FreedWrongly() const { return freedWrongly_; }
  bool Freed(size_t index) const;  // in hand-out order: whether the client gave that block back
  // The client's faults so far (see SimMemoryFault). Writes into shared blocks are looked for
  // by CheckSharedBlocks.
  const std::vector<SimMemoryFault>& Faults() const { return faults_; }
  // Compares the shared blocks still handed out with what the host put in them; each changed one
  // is a fault, once.
  void CheckSharedBlocks();
  // Frees the blocks the host kept, or the client freed wrongly, that the client did not give
  // back, and forgets every block.
  void Reclaim();
  // Frees every block the client did not give back, its own or the host's, and forgets every
  // block: once a client's unreturned blocks have been reported, they are not reported again as
  // leaks.
  void ReclaimAll();

  // Called by the watches; false leaves the block alone. known: the task allocator made the block
  // and has not freed it (always true when the watch began after the block could be made).
  bool NoteTaskFree(void* block, bool known);
  bool NoteLibraryFree(void* block);
  bool GaveOut(void* block) const { return newest_.count(block) != 0; }  // at some time
  bool GivenBack(void* block) const;  // the newest block handed out at that address was given back

 private:
  enum State { kHandedOut, kFreedWrongly };
  // A block the client has not given back. One given back is forgotten but for its count, so the
  // record stays as large as what the client holds, however long the host runs.
  struct Block {
    void* address;  // as handed out
    State state;
    bool hostKeeps;   // handed out as shared memory: the host's to free
    bool text;        // a string (else a record or an array)
    std::string put;  // what the host put in a shared block
  };
  void Forget();  // every block, after the host has freed what it must

  size_t handedOut_ = 0;
  size_t freedByClient_ = 0;
  size_t freedWrongly_ = 0;                   // blocks now in state kFreedWrongly
  std::unordered_map<size_t, Block> held_;    // hand-out index -> a block not given back
  std::unordered_map<void*, size_t> newest_;  // address -> the newest block handed out there
  std::vector<SimMemoryFault> faults_;
};
