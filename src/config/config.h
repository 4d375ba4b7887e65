// The fifteen stored settings, the language flag and the program directory.
#pragma once

#include <cstdint>
#include <string>

namespace dalu {

inline constexpr int kCfgItems = 15;
inline constexpr int kTimingItems = 8;  // items 0..7 have Default, Fast and limit values

// Item meanings (index into Config::Cfg).
enum CfgItem : int {
  kChainCountWait = 0,    // wait after a chain number is shown, wait units
  kGravityPower = 1,      // hundredths of a row per frame per frame
  kDropHitSpeed = 2,      // starting speed of a twin, hundredths of a row per frame
  kBoundingCount = 3,     // frames of a landing bounce
  kAnimationWait = 4,     // wait per fall frame, wait units
  kVanishingWait = 5,     // wait per vanish frame, wait units
  kSeparatedSpeed = 6,    // speed of a bead whose partner landed, hundredths of a row/frame
  kChainCountLimit = 7,   // smallest chain step whose number is drawn
  kBrickTone = 12,        // 0: darkened areas solid black; other: checkerboard
  kLanguage = 13,         // 0: English; other: Japanese
  kDrawFieldLines = 14,   // 0: grey column lines drawn; other: none
};

// Tables of items 0..7, indexed by item number.
inline constexpr int32_t kCfgDefault[kTimingItems] = {400, 8, 150, 11, 40, 90, -10, 4};
inline constexpr int32_t kCfgFast[kTimingItems] = {200, 20, 200, 9, 10, 30, 0, 4};
inline constexpr int32_t kCfgMin[kTimingItems] = {50, 1, 20, 3, 0, 30, -50, 1};
inline constexpr int32_t kCfgMax[kTimingItems] = {2000, 50, 500, 31, 200, 500, 50, 11};

struct Config {
  int32_t Cfg[kCfgItems] = {400, 8, 150, 11, 40, 90, -10, 4, 0, 0, 0, 0, 0, 0, 0};
  bool EnglishUI = true;
  std::string AppDir;  // ends with "/"
};

}  // namespace dalu
