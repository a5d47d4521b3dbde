#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/fakes/scripted_messages.h"
#include "platform/timer_service.h"

using namespace tolvane;

namespace {

// The ticks (1-based) at which a timer fires over `ticks` ticks.
std::vector<int> FiringTicks(int interval, int ticks) {
  ManualTickSource source;
  TNy100Timer service(source);
  auto& t = service.CreateTimer();
  std::vector<int> fired;
  int now = 0;
  t.SetInterval(interval);
  t.SetHandler([&] { fired.push_back(now); });
  t.SetEnabled(true);
  EXPECT_TRUE(service.SetActive(true));
  EXPECT_EQ(source.period(), 100);
  for (now = 1; now <= ticks; ++now) source.Tick();
  return fired;
}

TEST(TimerService, IntervalsRoundUpToWholeTicks) {
  EXPECT_EQ(FiringTicks(30, 3), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(FiringTicks(100, 2), (std::vector<int>{1, 2}));
  EXPECT_EQ(FiringTicks(250, 9), (std::vector<int>{3, 6, 9}));
  EXPECT_EQ(FiringTicks(1000, 20), (std::vector<int>{10, 20}));
  EXPECT_EQ(FiringTicks(0, 2), (std::vector<int>{1, 2}));
}

TEST(TimerService, NewTimersWaitAndChangesReloadTheCountdown) {
  ManualTickSource source;
  TNy100Timer service(source);
  auto& t = service.CreateTimer();
  EXPECT_FALSE(t.Enabled());
  EXPECT_EQ(t.Interval(), 1000);
  int runs = 0;
  t.SetHandler([&] { ++runs; });
  service.SetActive(true);
  source.Tick(20);
  EXPECT_EQ(runs, 0);  // disabled when created
  t.SetInterval(300);
  t.SetEnabled(true);
  source.Tick(2);
  EXPECT_EQ(t.Countdown(), 100);
  t.SetInterval(300);  // starts the count again
  source.Tick(2);
  EXPECT_EQ(runs, 0);
  source.Tick();
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(t.Countdown(), 300);
}

TEST(TimerService, RunsFromLastCreatedToFirst) {
  ManualTickSource source;
  TNy100Timer service(source);
  std::string order;
  for (char name : std::string("abc")) {
    auto& t = service.CreateTimer();
    t.SetInterval(100);
    t.SetHandler([&order, name] { order += name; });
    t.SetEnabled(true);
  }
  service.SetActive(true);
  source.Tick(2);
  EXPECT_EQ(order, "cbacba");
}

TEST(TimerService, FailingHandlerRunsAgainAtTheNextTick) {
  ManualTickSource source;
  TNy100Timer service(source);
  auto& t = service.CreateTimer();
  int calls = 0;
  t.SetInterval(500);
  t.SetHandler([&] {
    if (++calls <= 2) throw std::runtime_error("not yet");
  });
  t.SetEnabled(true);
  service.SetActive(true);
  source.Tick(5);
  EXPECT_EQ(calls, 1);
  source.Tick();  // failed: not reloaded
  EXPECT_EQ(calls, 2);
  source.Tick();  // succeeds, and only now reloads
  EXPECT_EQ(calls, 3);
  source.Tick(4);
  EXPECT_EQ(calls, 3);
  source.Tick();
  EXPECT_EQ(calls, 4);
}

TEST(TimerService, HandlersMayStopRemoveAndCreateTimers) {
  ManualTickSource source;
  TNy100Timer service(source);
  std::string log;
  auto& single = service.CreateTimer();  // single-shot: stops itself first
  single.SetInterval(100);
  single.SetHandler([&] {
    single.SetEnabled(false);
    log += "s";
  });
  single.SetEnabled(true);
  auto& self = service.CreateTimer();  // removes itself from its own handler
  self.SetInterval(100);
  self.SetHandler([&] {
    log += "r";
    service.RemoveTimer(self);
    auto& born = service.CreateTimer();  // created during a tick: waits for the next
    born.SetInterval(100);
    born.SetHandler([&] { log += "n"; });
    born.SetEnabled(true);
  });
  self.SetEnabled(true);
  service.SetActive(true);
  source.Tick();
  EXPECT_EQ(log, "rs");
  EXPECT_EQ(service.TimerCount(), 2);
  source.Tick(2);
  EXPECT_EQ(log, "rsnn");
}

TEST(TimerService, ActivationAndStop) {
  ManualTickSource source;
  ScriptedMessages messages;
  TNy100Timer service(source, &messages);
  source.RefuseStart(true);
  EXPECT_FALSE(service.SetActive(true));
  EXPECT_FALSE(service.Active());
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Out of System Timers"});
  source.RefuseStart(false);
  EXPECT_TRUE(service.SetActive(true));
  EXPECT_TRUE(source.running());
  EXPECT_TRUE(service.SetActive(false));
  EXPECT_FALSE(source.running());
}

}  // namespace
