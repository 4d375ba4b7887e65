// The host: the clock, the event pump and the two message boxes, as the core sees them.
// The window supplies a real one; headless runs and tests use VirtualHost.
//
// Paced waits are measured from one remembered mark in units of half a millisecond: a wait
// of 150 units ends 75 ms after the last MarkTime. Every wait lets pending events run at
// least once, which is how key, button and menu handlers get to run during a match.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace dalu {

// The time a host without real events lets pass in one wait for a person.
inline constexpr int kPersonWaitStepMs = 100;

class Host {
 public:
  virtual ~Host() = default;

  // Milliseconds since some fixed start; wraps like a 32-bit tick count.
  virtual uint32_t TickMs() = 0;
  // Runs every pending event once and returns.
  virtual void ProcessEvents() = 0;
  // Blocks until an event arrives or maxMs milliseconds have passed, then runs the pending
  // events. Used by the paced waits.
  virtual void WaitForEvents(int maxMs) = 0;
  // Blocks until an event arrives, however long that takes, then runs the pending events.
  // Used by the waits for a person (a key, a replay step, a comment), whose flags only
  // handlers of events change: a program waiting for its user wakes for nothing else. A
  // host without real events counts kPersonWaitStepMs of its clock instead.
  virtual void WaitForPerson() { WaitForEvents(kPersonWaitStepMs); }
  // Modal message boxes with one OK button. Text is CP932 bytes.
  virtual void ShowError(const std::string& text) = 0;
  virtual void ShowInfo(const std::string& text) = 0;

  // ---- Paced waits ----
  // The current tick count, remembered; or, when a paced wait was due at most
  // kLateWaitSlackMs before, the tick at which that wait was due to end. A real sleep ends
  // a little after its time (the event loop's millisecond timers; on a busy machine the
  // scheduler, by several milliseconds), and an animation is a chain of marks and waits:
  // without this, every frame would add its lateness to the chain. With it the chain keeps
  // the sum of its waits (a late frame is shown that much shorter), and only its last wait
  // may end late. A wait that ended on time leaves the mark the current tick; the slack is
  // one fall frame at the default settings.
  void MarkTime();
  // Lets events run once, then keeps letting them run until units/2 ms have passed since
  // the mark. A wait already over returns after the first pass.
  void WaitFromMark(uint32_t units);
  uint32_t TimeMark() const { return timeMark_; }
  // From now on paced waits last 1/divisor of their time; 0 ends them at once (events still
  // run once). 1, the specified waits, unless a fast replay asks for more speed.
  void SetPaceDivisor(uint32_t divisor) { paceDivisor_ = divisor; }

  static constexpr uint32_t kLateWaitSlackMs = 20;

 private:
  uint32_t timeMark_ = 0;
  uint32_t paceDivisor_ = 1;
  uint32_t waitDue_ = 0;     // when the last paced wait was due to end
  bool waitEnded_ = false;  // and no mark has been taken since it ended
};

// Error texts held back while a file is read. A refused file may produce a general error
// and then a precise one; the user should see one report, the last and most precise.
class HeldMessages {
 public:
  void Hold() { holding_ = true; }
  bool Holding() const { return holding_; }
  // While holding keeps the text and returns true; otherwise returns false and the caller
  // shows it at once.
  bool Keep(const std::string& text);
  // Stops holding and returns what was held: all of it, or only the last when lastOnly.
  std::vector<std::string> Release(bool lastOnly);

 private:
  bool holding_ = false;
  std::vector<std::string> held_;
};

// A host whose clock only moves when something waits: every wait returns at once after
// advancing the clock by the time it would have taken. Message boxes are recorded.
// An optional hook runs on every pass of event processing, so tests can act "during" a wait
// the way a user's click would.
class VirtualHost : public Host {
 public:
  uint32_t TickMs() override { return now_; }
  void ProcessEvents() override;
  void WaitForEvents(int maxMs) override;
  void ShowError(const std::string& text) override { errors.push_back(text); }
  void ShowInfo(const std::string& text) override { infos.push_back(text); }

  void Advance(uint32_t ms) { now_ += ms; }

  std::function<void()> onEvents;  // runs on every pass of event processing
  std::vector<std::string> errors;
  std::vector<std::string> infos;
  uint64_t eventPasses = 0;

 private:
  uint32_t now_ = 0;
};

}  // namespace dalu
