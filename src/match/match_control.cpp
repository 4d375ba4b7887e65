#include "match/match_control.h"

namespace dalu {

PhaseFlag::operator bool() const {
  switch (q_) {
    case Question::kLoopActive:
      return phase_ != LoopPhase::kIdle;
    case Question::kTurnInProgress:
      return phase_ == LoopPhase::kTurn || phase_ == LoopPhase::kMovesOpen ||
             phase_ == LoopPhase::kStepWait;
    case Question::kMovesOpen:
      return phase_ == LoopPhase::kMovesOpen;
    case Question::kStepWaitActive:
      return phase_ == LoopPhase::kStepWait;
  }
  return false;
}

PhaseFlag& PhaseFlag::operator=(bool on) {
  if (on == static_cast<bool>(*this)) return *this;
  switch (q_) {
    case Question::kLoopActive:
      phase_ = on ? LoopPhase::kBetweenTurns : LoopPhase::kIdle;
      break;
    case Question::kTurnInProgress:
      phase_ = on ? LoopPhase::kTurn : LoopPhase::kBetweenTurns;
      break;
    case Question::kMovesOpen:
      phase_ = on ? LoopPhase::kMovesOpen : LoopPhase::kTurn;
      break;
    case Question::kStepWaitActive:
      phase_ = on ? LoopPhase::kStepWait : LoopPhase::kTurn;
      break;
  }
  return *this;
}

}  // namespace dalu
