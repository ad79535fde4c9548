#include "script/call_watchdog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace ombrel {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct Interrupts {
  std::atomic<int> count{0};
  std::atomic<int> elsewhere{0};  // run on a thread other than the caller's
  pthread_t caller = pthread_self();
  static void Record(void* context) {
    auto* self = static_cast<Interrupts*>(context);
    self->count.fetch_add(1);
    if (!pthread_equal(pthread_self(), self->caller)) self->elsewhere.fetch_add(1);
  }
};

// A call that runs until it is interrupted (or 2 s pass): how long it ran.
Clock::duration RunawayCall(CallWatchdog& watchdog, const Interrupts& interrupts) {
  const int before = interrupts.count.load();
  const auto start = Clock::now();
  watchdog.Begin();
  while (interrupts.count.load() == before && Clock::now() - start < 2s) {
  }
  EXPECT_TRUE(watchdog.Overrun());
  watchdog.End();
  return Clock::now() - start;
}

// Short calls are never judged, however many; a long one is interrupted on
// its own thread between its budget and two ticks past it (a loaded
// machine allowed for), and the next call starts clean.
TEST(CallWatchdog, InterruptsOnlyTheCallPastItsBudget) {
  Interrupts interrupts;
  CallWatchdog watchdog(30ms, &Interrupts::Record, &interrupts);
  const auto start = Clock::now();
  while (Clock::now() - start < 200ms) {
    watchdog.Begin();
    EXPECT_FALSE(watchdog.Overrun());
    watchdog.End();
  }
  EXPECT_EQ(interrupts.count.load(), 0);

  const Clock::duration ran = RunawayCall(watchdog, interrupts);
  EXPECT_GE(ran, 30ms);
  EXPECT_LT(ran, 500ms);
  // The signal comes again at each tick while the call runs: one may land
  // before the call has seen the first.
  EXPECT_GE(interrupts.count.load(), 1);
  EXPECT_EQ(interrupts.elsewhere.load(), 0);

  watchdog.Begin();
  EXPECT_FALSE(watchdog.Overrun());
  watchdog.End();
}

// Without calls the watching thread sleeps; the next call wakes it, and a
// runaway one is still caught.
TEST(CallWatchdog, SleepsWhenIdleAndWakesForTheNextCall) {
  Interrupts interrupts;
  CallWatchdog watchdog(20ms, &Interrupts::Record, &interrupts);
  watchdog.Begin();
  watchdog.End();
  const auto start = Clock::now();
  while (!watchdog.Asleep() && Clock::now() - start < CallWatchdog::kIdle + 2s) std::this_thread::sleep_for(10ms);
  ASSERT_TRUE(watchdog.Asleep());
  EXPECT_LT(RunawayCall(watchdog, interrupts), 500ms);
  EXPECT_FALSE(watchdog.Asleep());
  EXPECT_GE(interrupts.count.load(), 1);
}

// Two watchdogs of calls on different threads interrupt each its own.
TEST(CallWatchdog, EachInterruptsItsOwnThread) {
  Interrupts a, b;
  CallWatchdog wa(20ms, &Interrupts::Record, &a);
  CallWatchdog wb(20ms, &Interrupts::Record, &b);
  std::thread other([&] {
    b.caller = pthread_self();
    RunawayCall(wb, b);
  });
  RunawayCall(wa, a);
  other.join();
  EXPECT_GE(a.count.load(), 1);
  EXPECT_GE(b.count.load(), 1);
  EXPECT_EQ(a.elsewhere.load() + b.elsewhere.load(), 0);
}

}  // namespace
}  // namespace ombrel
