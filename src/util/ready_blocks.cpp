#include "util/ready_blocks.h"

#include <cstring>
#include <new>

namespace ombrel {

BlockPtr TouchedBlock(size_t size) {
  BlockPtr block = AllocatePopulatedBlock(size);
  // Populated by the kernel is not enough on every machine: a virtual one
  // may map a page for the program only when the program first writes it.
  constexpr size_t kPage = 4096;
  for (size_t at = 0; at < size; at += kPage) static_cast<volatile char*>(block.get())[at] = 0;
  return block;
}

ReadyBlocks::ReadyBlocks(size_t size, size_t ahead) : size_(size), ahead_(ahead) {}

ReadyBlocks::~ReadyBlocks() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

BlockPtr ReadyBlocks::Take() {
  {
    std::lock_guard lock(mutex_);
    if (!thread_.joinable()) {
      try {
        thread_ = std::thread([this] { Run(); });
      } catch (const std::system_error&) {
        // No thread to spare: blocks are made as they are needed.
      }
    }
    if (!ready_.empty()) {
      BlockPtr block = std::move(ready_.back());
      ready_.pop_back();
      wake_.notify_one();
      return block;
    }
  }
  wake_.notify_one();
  return AllocatePopulatedBlock(size_);
}

void ReadyBlocks::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stopping_ || ready_.size() < ahead_; });
    if (stopping_) return;
    lock.unlock();
    BlockPtr block;
    try {
      block = TouchedBlock(size_);
    } catch (const std::bad_alloc&) {
      // Out of memory: Take makes its own, and fails where it must.
      return;
    }
    lock.lock();
    ready_.push_back(std::move(block));
  }
}

}  // namespace ombrel
