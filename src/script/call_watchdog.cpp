#include "script/call_watchdog.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <ctime>

namespace ombrel {

namespace {

// A real-time signal: nothing else in the program uses it, and the kernel
// never sends it on its own.
int WatchdogSignal() { return SIGRTMIN + 4; }

}  // namespace

std::atomic<CallWatchdog*> CallWatchdog::pending_{nullptr};

CallWatchdog::CallWatchdog(std::chrono::milliseconds budget, Interrupt interrupt, void* context)
    : budget_(budget),
      // Seen within a tick of starting and judged at every tick: a call is
      // stopped between its budget and two ticks past it.
      tick_(std::clamp(budget / 5, std::chrono::milliseconds(1), std::chrono::milliseconds(10))),
      interrupt_(interrupt),
      context_(context) {}

CallWatchdog::~CallWatchdog() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
  // A signal still on its way finds nobody.
  CallWatchdog* self = this;
  pending_.compare_exchange_strong(self, nullptr);
}

void CallWatchdog::InstallHandler() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct sigaction action {};
    action.sa_handler = &CallWatchdog::OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(WatchdogSignal(), &action, nullptr);
  });
}

void CallWatchdog::Begin() {
  caller_.store(pthread_self(), std::memory_order_relaxed);
  if (!thread_.joinable()) {
    InstallHandler();
    thread_ = std::thread(&CallWatchdog::Run, this);
  }
  serial_.store(serial_.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
  // Ordered with the watch thread's going to sleep: either it sees this
  // call, or this sees it asleep and wakes it.
  running_.store(true);
  if (asleep_.load()) {
    {
      std::lock_guard lock(mutex_);
      asleep_.store(false);
    }
    wake_.notify_all();
  }
}

void CallWatchdog::End() { running_.store(false, std::memory_order_release); }

// The CPU time the calling thread has spent: a call is judged by what it
// ran, not by how long the system kept its thread waiting.
std::chrono::nanoseconds CallWatchdog::CallerTime() const {
  clockid_t clock{};
  timespec t{};
  if (pthread_getcpuclockid(caller_.load(std::memory_order_relaxed), &clock) != 0 || clock_gettime(clock, &t) != 0)
    return {};
  return std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
}

void CallWatchdog::Run() {
  using Clock = std::chrono::steady_clock;
  uint64_t seen = 0;  // the call watched, by serial
  std::chrono::nanoseconds since{};
  Clock::time_point lastCall = Clock::now();
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    wake_.wait_for(lock, tick_, [this] { return stopping_; });
    if (stopping_) break;
    const Clock::time_point now = Clock::now();
    if (running_.load(std::memory_order_acquire)) {
      lastCall = now;
      const uint64_t serial = serial_.load(std::memory_order_relaxed);
      if (serial != seen) {
        seen = serial;
        since = CallerTime();
      } else if (CallerTime() - since >= budget_) {
        // Again at every tick while it runs: a signal may have come while
        // the call was between hooks' reach, or for another watchdog.
        // By serial: the call may end, and the next begin, meanwhile.
        overrun_.store(serial, std::memory_order_release);
        Signal();
      }
      continue;
    }
    if (serial_.load(std::memory_order_relaxed) != seen) {
      seen = serial_.load(std::memory_order_relaxed);
      lastCall = now;
    }
    if (now - lastCall < kIdle) continue;
    asleep_.store(true);
    if (running_.load()) {
      asleep_.store(false);
      continue;
    }
    wake_.wait(lock, [this] { return stopping_ || !asleep_.load(); });
    asleep_.store(false);
    lastCall = Clock::now();
  }
}

void CallWatchdog::Signal() {
  CallWatchdog* expected = nullptr;
  if (pending_.compare_exchange_strong(expected, this) || expected == this)
    pthread_kill(caller_.load(std::memory_order_relaxed), WatchdogSignal());
}

void CallWatchdog::OnSignal(int) {
  const int saved = errno;
  CallWatchdog* w = pending_.load();
  // Only on the thread whose call it is, and only while that call runs:
  // a call that ended meanwhile needs nothing.
  if (!w || !pthread_equal(pthread_self(), w->caller_.load(std::memory_order_relaxed))) {
    errno = saved;
    return;
  }
  if (pending_.compare_exchange_strong(w, nullptr) && w->running_.load() && w->Overrun()) w->interrupt_(w->context_);
  errno = saved;
}

}  // namespace ombrel
