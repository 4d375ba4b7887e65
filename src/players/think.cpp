#include "players/think.h"

#include "players/levels.h"

namespace dalu {

void ThinkMove(Game& g, int player, const TwinMove& current) {
  if (player < 1 || player > 2) return;
  const int level = g.eng.PlayerLevel[player];
  if (level < 1 || level >= kLevelCount) return;  // the user, or no level at all
  const LevelEntry& L = kLevels[level];
  const TwinMove move = L.Routine == LevelRoutine::kLookAhead
                            ? Thinking2p(g, player, current, L.Depth)
                            : GeneralGutya(g, player, current, L.CrowdLimit, L.MaxSurplus,
                                           L.MinPoints, L.MaxChains, L.MinChains, L.Mode);
  g.ctl.TurnMove[player] = move;
}

}  // namespace dalu
