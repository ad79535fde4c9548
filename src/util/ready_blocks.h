// Blocks for the line store made ready ahead of need on a thread of their
// own. The first write to a new page costs far more than the write itself
// (on a virtual machine, some microseconds a page): a flood of text would
// pay it on the window's thread for every 4 KiB it stores. Here it is paid
// beforehand, beside it.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>
#include <vector>

#include "util/huge_block.h"

namespace ombrel {

class ReadyBlocks {
 public:
  // Blocks of `size` bytes; `ahead` of them kept ready.
  ReadyBlocks(size_t size, size_t ahead);
  ~ReadyBlocks();
  ReadyBlocks(const ReadyBlocks&) = delete;
  ReadyBlocks& operator=(const ReadyBlocks&) = delete;

  size_t Size() const { return size_; }
  // A ready block if one is waiting, else one made now; never waits for the
  // thread. Throws std::bad_alloc.
  BlockPtr Take();

 private:
  void Run();

  const size_t size_, ahead_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::vector<BlockPtr> ready_;
  bool stopping_ = false;
  std::thread thread_;  // started by the first Take
};

// Its pages written once, so writing them again costs no more than the write.
BlockPtr TouchedBlock(size_t size);

}  // namespace ombrel
