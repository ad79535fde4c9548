// Compiling pattern sets off the window's thread: a set of thousands of
// patterns may take a second to compile, which the window must not wait
// for. The terminal keeps matching with the set it has until the new one
// is ready, polling the future or told through the callback.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>

#include "patterns/compiled_set.h"

namespace ombrel {

class PatternCompiler {
 public:
  using Result = std::shared_ptr<const CompiledPatternSet>;
  // Called on the compiler's thread: a window posts it to its own.
  using Done = std::function<void(const Result&)>;

  // `cache` (which may be null) outlives the compiler.
  explicit PatternCompiler(PatternDbCache* cache = nullptr);
  // Waits for the set being compiled; sets still waiting give null.
  ~PatternCompiler();
  PatternCompiler(const PatternCompiler&) = delete;
  PatternCompiler& operator=(const PatternCompiler&) = delete;

  // Sets are compiled one after another, in the order asked.
  std::shared_future<Result> Compile(PatternSetInput input, Done done = {});

 private:
  struct Job {
    PatternSetInput input;
    std::promise<Result> promise;
    Done done;
  };
  void Run();

  PatternDbCache* cache_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Job> jobs_;
  bool stopping_ = false;
  std::thread worker_;  // last: starts once the rest is ready
};

}  // namespace ombrel
