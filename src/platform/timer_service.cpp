#include "platform/timer_service.h"

#include <algorithm>
#include <exception>

#include "platform/messages.h"

namespace tolvane {

bool ManualTickSource::Start(int periodMs, std::function<void()> tick) {
  if (refuse_) return false;
  period_ = periodMs;
  tick_ = std::move(tick);
  return true;
}

void ManualTickSource::Tick(int times) {
  for (int i = 0; i < times && tick_; ++i) {
    auto tick = tick_;  // the tick may stop the source
    tick();
  }
}

void TNySingleTimer::Tick() {
  countdown_ -= TNy100Timer::kTickMs;
  if (countdown_ > 0 || !handler_) return;
  auto handler = handler_;  // the handler may replace itself
  try {
    handler();
  } catch (...) {
    return;  // not reloaded: runs again at the next tick
  }
  Reload();
}

TNy100Timer::~TNy100Timer() {
  if (active_) source_.Stop();
}

TNySingleTimer& TNy100Timer::CreateTimer() {
  timers_.push_back(std::make_unique<TNySingleTimer>());
  return *timers_.back();
}

void TNy100Timer::RemoveTimer(TNySingleTimer& timer) {
  auto it = std::find_if(timers_.begin(), timers_.end(), [&](const auto& t) { return t.get() == &timer; });
  if (it == timers_.end()) return;
  if (ticking_) {
    // Freed after the tick, so that a handler removing its own timer does
    // not pull the object from under itself.
    timer.enabled_ = false;
    timer.removed_ = true;
    removedWhileTicking_ = true;
  } else {
    timers_.erase(it);
  }
}

int TNy100Timer::TimerCount() const {
  return static_cast<int>(
      std::count_if(timers_.begin(), timers_.end(), [](const auto& t) { return !t->removed_; }));
}

bool TNy100Timer::SetActive(bool on) {
  if (on == active_) return true;
  if (!on) {
    source_.Stop();
    active_ = false;
    return true;
  }
  if (!source_.Start(kTickMs, [this] { Tick(); })) {
    if (errors_) errors_->ShowError("Out of System Timers");
    return false;
  }
  active_ = true;
  return true;
}

void TNy100Timer::Tick() {
  if (ticking_) return;
  ticking_ = true;
  try {
    // Timers created by a handler wait for the next tick.
    for (size_t i = timers_.size(); i-- > 0;) {
      TNySingleTimer* t = timers_[i].get();
      if (t->enabled_) t->Tick();
    }
  } catch (const std::exception& e) {
    if (errors_) errors_->ShowError(e.what());
  } catch (...) {
    if (errors_) errors_->ShowError("Erreur");
  }
  ticking_ = false;
  if (removedWhileTicking_) {
    removedWhileTicking_ = false;
    timers_.erase(std::remove_if(timers_.begin(), timers_.end(),
                                 [](const auto& t) { return t->removed_; }),
                  timers_.end());
  }
}

}  // namespace tolvane
