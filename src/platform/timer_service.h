// The shared timer service: one 100 ms tick drives every single timer of the
// program. A single timer counts its interval down by 100 at each tick and
// runs its handler when the count reaches zero, so intervals round up to
// whole ticks (a 30 ms timer fires at the next tick). The tick comes from a
// TickSource: a QTimer in the GUI, a hand-driven source in tests.
#pragma once

#include <functional>
#include <memory>
#include <vector>

namespace tolvane {

class MessageBoxes;

class TickSource {
 public:
  virtual ~TickSource() = default;
  // Calls `tick` every `periodMs` until Stop; false when no timer is to be had.
  virtual bool Start(int periodMs, std::function<void()> tick) = 0;
  virtual void Stop() = 0;
};

// Ticks when told to.
class ManualTickSource : public TickSource {
 public:
  bool Start(int periodMs, std::function<void()> tick) override;
  void Stop() override { tick_ = nullptr; }
  bool running() const { return static_cast<bool>(tick_); }
  int period() const { return period_; }
  void Tick(int times = 1);
  // Makes the next Start fail, as when the system has no timers left.
  void RefuseStart(bool refuse) { refuse_ = refuse; }

 private:
  std::function<void()> tick_;
  int period_ = 0;
  bool refuse_ = false;
};

class TNySingleTimer {
 public:
  // A handler signals an error by throwing: the countdown then stays where it
  // is, so the handler runs again at the next tick.
  using Handler = std::function<void()>;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool on) { enabled_ = on; Reload(); }
  int Interval() const { return interval_; }
  void SetInterval(int ms) { interval_ = ms; Reload(); }
  void SetHandler(Handler handler) { handler_ = std::move(handler); Reload(); }
  int Countdown() const { return countdown_; }

 private:
  friend class TNy100Timer;
  void Reload() { countdown_ = interval_; }
  void Tick();
  bool enabled_ = false;
  bool removed_ = false;  // removed during a tick, freed after it
  int interval_ = 1000;
  int countdown_ = 1000;
  Handler handler_;
};

class TNy100Timer {
 public:
  static constexpr int kTickMs = 100;
  // `errors` (may be null) hears of an error that escapes a tick.
  TNy100Timer(TickSource& source, MessageBoxes* errors = nullptr) : source_(source), errors_(errors) {}
  ~TNy100Timer();
  TNy100Timer(const TNy100Timer&) = delete;
  TNy100Timer& operator=(const TNy100Timer&) = delete;

  // The service owns its timers; a timer lives until removed or the service ends.
  TNySingleTimer& CreateTimer();
  // Frees the timer; safe from inside a handler, even the timer's own.
  void RemoveTimer(TNySingleTimer& timer);
  int TimerCount() const;

  // Starts or stops the tick; starting fails with "Out of System Timers"
  // (shown through `errors`) when the source has no timer to give.
  bool SetActive(bool on);
  bool Active() const { return active_; }

  // One tick: every enabled timer, from the last created to the first.
  void Tick();

 private:
  TickSource& source_;
  MessageBoxes* errors_;
  bool active_ = false;
  std::vector<std::unique_ptr<TNySingleTimer>> timers_;
  bool ticking_ = false;
  bool removedWhileTicking_ = false;
};

}  // namespace tolvane
