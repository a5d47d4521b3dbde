#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <thread>

#include "platform/qt/qt_main_thread.h"
#include "platform/qt/qt_tick_source.h"

namespace tolvane {
namespace {

void RunEventsFor(int ms, const std::function<bool()>& done) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < ms && !done()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

TEST(QtTickSource, DrivesTheTimerServiceFromTheEventLoop) {
  QtTickSource source;
  TNy100Timer service(source);
  auto& t = service.CreateTimer();
  int runs = 0;
  t.SetInterval(200);
  t.SetHandler([&] { ++runs; });
  t.SetEnabled(true);
  ASSERT_TRUE(service.SetActive(true));
  QElapsedTimer clock;
  clock.start();
  RunEventsFor(5000, [&] { return runs >= 2; });
  EXPECT_EQ(runs, 2);
  EXPECT_GE(clock.elapsed(), 300);  // two firings of a 200 ms timer are four ticks
  service.SetActive(false);
  RunEventsFor(300, [] { return false; });
  EXPECT_EQ(runs, 2);
}

TEST(QtMainThreadQueue, RunsPostedWorkOnTheMainThread) {
  QtMainThreadQueue queue;
  QThread* ranOn = nullptr;
  std::thread worker([&] { queue.Post([&] { ranOn = QThread::currentThread(); }); });
  worker.join();
  RunEventsFor(5000, [&] { return ranOn != nullptr; });
  EXPECT_EQ(ranOn, QCoreApplication::instance()->thread());
}

}  // namespace
}  // namespace tolvane
