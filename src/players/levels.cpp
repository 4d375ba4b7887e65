#include "players/levels.h"

#include "util/text.h"

namespace dalu {

std::string LevelName(int level, bool english) {
  if (level < 0 || level >= kLevelCount) return {};
  const LevelEntry& entry = kLevels[level];
  return english ? std::string(entry.English) : Utf8ToCp932(entry.JapaneseUtf8);
}

}  // namespace dalu
