#include "coach/try_steering.h"

#include "engine/twins.h"

namespace dalu {

TryStep SteerTryTwin(const Engine& position, int side, TwinMove& twin, char action) {
  switch (action) {
    case '4':
      twin.Column -= 1;
      break;
    case '6':
      twin.Column += 1;
      break;
    case 'z':
      twin.Rotation = (twin.Rotation + 1) % 4;
      break;
    case '5':
    case 'x':
      twin.Rotation = (twin.Rotation + 3) % 4;
      break;
    case '2':
      return IsBlocked(position, position.Boards[side], twin) ? TryStep::kRefused
                                                              : TryStep::kDropped;
    default:
      return TryStep::kIgnored;
  }
  // Off the walls as in live play: a key moves the twin one step, so one step back suffices.
  const int W = position.FieldWidth;
  if (twin.Column > W || (twin.Column == W && twin.Rotation == 3)) twin.Column -= 1;
  if (twin.Column < 1 || (twin.Column == 1 && twin.Rotation == 1)) twin.Column += 1;
  return TryStep::kMoved;
}

}  // namespace dalu
