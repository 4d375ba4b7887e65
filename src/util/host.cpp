#include "util/host.h"

namespace dalu {

void Host::MarkTime() {
  const uint32_t now = TickMs();
  // Wrapping arithmetic, like the waits.
  timeMark_ = waitEnded_ && now - waitDue_ <= kLateWaitSlackMs ? waitDue_ : now;
  waitEnded_ = false;
}

void Host::WaitFromMark(uint32_t units) {
  ProcessEvents();
  const uint32_t waitMs = paceDivisor_ == 0 ? 0 : units / 2 / paceDivisor_;
  // Elapsed time in wrapping arithmetic, so a tick count that wraps does not end the wait
  // early or make it last for weeks.
  for (;;) {
    const uint32_t elapsed = TickMs() - timeMark_;
    if (elapsed >= waitMs) break;
    WaitForEvents(static_cast<int>(waitMs - elapsed));
  }
  waitDue_ = timeMark_ + waitMs;
  waitEnded_ = true;
}

bool HeldMessages::Keep(const std::string& text) {
  if (!holding_) return false;
  held_.push_back(text);
  return true;
}

std::vector<std::string> HeldMessages::Release(bool lastOnly) {
  holding_ = false;
  std::vector<std::string> out;
  out.swap(held_);
  if (lastOnly && out.size() > 1) out.erase(out.begin(), out.end() - 1);
  return out;
}

void VirtualHost::ProcessEvents() {
  ++eventPasses;
  if (onEvents) onEvents();
}

void VirtualHost::WaitForEvents(int maxMs) {
  if (maxMs > 0) now_ += static_cast<uint32_t>(maxMs);
  ProcessEvents();
}

}  // namespace dalu
