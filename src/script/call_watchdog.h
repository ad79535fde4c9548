// Watches the calls into one Lua state from a thread of its own, so that a
// call need not watch itself. A count hook stops a runaway script too, but
// Lua then traps on every instruction of every call, even the short ones a
// trigger makes thousands of times a second. Here a call pays a few atomic
// stores. One whose thread has spent its budget of CPU time in it (time the
// system kept the thread waiting does not count) is interrupted as Lua's
// own interpreter stops a script on Ctrl-C: a signal to the thread running
// it, whose handler sets the hook that raises the error.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <pthread.h>
#include <thread>

namespace ombrel {

class CallWatchdog {
 public:
  // Runs in a signal handler on the thread that began the overrunning
  // call, while it is under way: it may only do what such handlers may
  // (lua_sethook is made for it).
  using Interrupt = void (*)(void* context);

  CallWatchdog(std::chrono::milliseconds budget, Interrupt interrupt, void* context);
  ~CallWatchdog();
  CallWatchdog(const CallWatchdog&) = delete;
  CallWatchdog& operator=(const CallWatchdog&) = delete;

  // On the thread making calls: one starts, one has ended.
  void Begin();
  void End();
  // The call under way has run past its budget (its interrupt is on its
  // way or done). Any thread.
  bool Overrun() const {
    return overrun_.load(std::memory_order_acquire) == serial_.load(std::memory_order_relaxed);
  }

  // What the watch thread is doing, for tests: asleep once no call has
  // been made for a while, woken by the next one.
  bool Asleep() const { return asleep_.load(); }
  // Without calls for this long, the thread sleeps until the next one.
  static constexpr std::chrono::milliseconds kIdle{1000};

 private:
  void Run();
  std::chrono::nanoseconds CallerTime() const;
  void Signal();
  static void OnSignal(int);
  static void InstallHandler();

  const std::chrono::milliseconds budget_, tick_;
  const Interrupt interrupt_;
  void* const context_;

  std::atomic<uint64_t> serial_{0};   // counts calls begun
  std::atomic<uint64_t> overrun_{~0ull};  // the serial of the call judged too long
  std::atomic<bool> running_{false};
  std::atomic<bool> asleep_{false};
  std::atomic<pthread_t> caller_{};  // the thread making the call, to be signalled

  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::thread thread_;  // started by the first call

  // The watchdog whose call the signal on its way is for.
  static std::atomic<CallWatchdog*> pending_;
};

}  // namespace ombrel
