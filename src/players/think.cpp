#include "players/think.h"

#include "players/levels.h"
#include "util/host.h"

namespace dalu {

void ThinkContext::ProcessEvents() const {
  host_.ProcessEvents();
}

std::optional<TwinMove> ThinkMove(const ThinkContext& ctx, int player, const TwinMove& current) {
  if (player < 1 || player > 2) return std::nullopt;
  const int level = ctx.eng.PlayerLevel[player];
  if (level < 1 || level >= kLevelCount) return std::nullopt;  // the user, or no level at all
  const LevelEntry& L = kLevels[level];
  return L.Routine == LevelRoutine::kLookAhead
             ? Thinking2p(ctx, player, current, L.Depth)
             : GeneralGutya(ctx, player, current, L.CrowdLimit, L.MaxSurplus, L.MinPoints,
                            L.MaxChains, L.MinChains, L.Mode);
}

}  // namespace dalu
