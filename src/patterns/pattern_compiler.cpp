#include "patterns/pattern_compiler.h"

namespace ombrel {

PatternCompiler::PatternCompiler(PatternDbCache* cache) : cache_(cache), worker_([this] { Run(); }) {}

PatternCompiler::~PatternCompiler() {
  std::deque<Job> dropped;
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    dropped.swap(jobs_);
  }
  wake_.notify_all();
  worker_.join();
  for (Job& job : dropped) job.promise.set_value(nullptr);
}

std::shared_future<PatternCompiler::Result> PatternCompiler::Compile(PatternSetInput input, Done done) {
  Job job{std::move(input), {}, std::move(done)};
  std::shared_future<Result> future = job.promise.get_future().share();
  {
    std::lock_guard lock(mutex_);
    jobs_.push_back(std::move(job));
  }
  wake_.notify_one();
  return future;
}

void PatternCompiler::Run() {
  for (;;) {
    Job job;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
      if (stopping_) return;
      job = std::move(jobs_.front());
      jobs_.pop_front();
    }
    Result result;
    try {
      result = CompilePatternSet(job.input, cache_);
    } catch (...) {
      // Out of memory: the terminal keeps the set it had.
      job.promise.set_exception(std::current_exception());
      continue;
    }
    if (job.done) job.done(result);
    job.promise.set_value(result);
  }
}

}  // namespace ombrel
