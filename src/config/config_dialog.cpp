#include "config/config_dialog.h"

#include <algorithm>

#include "config/config_file.h"
#include "match/game.h"
#include "util/host.h"
#include "util/text.h"

namespace dalu {

namespace {

struct TextPair {
  const char* English;       // ASCII, or UTF-8 where an English text carries Japanese
  const char* JapaneseUtf8;  // UTF-8 here; ConfigDialogText gives CP932
};

// clang-format off
constexpr TextPair kTexts[static_cast<int>(ConfigDialogTextId::kCount)] = {
  {"ChainCount Wait",        "連鎖数表示時間"},
  {"(Gravity Power)",        "(自由落下加速度)"},
  {"DropHit Speed",          "打つスピード"},
  {"(Bounding Count)",       "(はずみ回数)"},
  {"Animation Wait",         "総合表示時間"},
  {"Vanishing Wait",         "消しのウェイト"},
  {"(Separated Speed)",      "(分離時の初速)"},
  {"ChainCount Limit",       "連鎖数表示最低連鎖数"},
  {"Field Horizontal Size",  "フィールド横サイズ"},
  {"Field Vertical Size",    "フィールド縦サイズ"},
  {"Obstruct Beads",         "邪魔珠"},
  {"To Left",                "左側へ"},
  {"To Right",               "右側へ"},
  {"Language(言語)",         "使用言語(Language)"},
  {"Draw Field Lines",       "縦線をいれる"},
  {"BrickTone(Speedy)",      "真っ黒にする(速い)"},
  {"General Configurations", "全般的な設定"},
  {"For DaluMaster",         "DaluMasterのみ"},
  {"Dalu Config Settlement", "ダル設定"},
  {"Default",                "標準"},
  {"Fast",                   "速い"},
};
// clang-format on

constexpr const char* kLanguageChoiceUtf8[kLanguageChoices] = {"English(英語)", "日本語(Japanese)"};

bool ValidTimingEdit(int k) {
  return k >= 1 && k <= kTimingItems;
}

int32_t HoldTiming(int item, int32_t value) {
  return std::clamp(value, kCfgMin[item], kCfgMax[item]);
}

}  // namespace

std::string ConfigDialogText(ConfigDialogTextId id, bool english) {
  const int i = static_cast<int>(id);
  if (i < 0 || i >= static_cast<int>(ConfigDialogTextId::kCount)) return "";
  return Utf8ToCp932(english ? kTexts[i].English : kTexts[i].JapaneseUtf8);
}

std::string TimingLabel(int k, bool english) {
  if (!ValidTimingEdit(k)) return "";
  return ConfigDialogText(
      static_cast<ConfigDialogTextId>(static_cast<int>(ConfigDialogTextId::kLabel1) + k - 1),
      english);
}

std::string LanguageChoiceText(int entry) {
  if (entry < 0 || entry >= kLanguageChoices) return "";
  return Utf8ToCp932(kLanguageChoiceUtf8[entry]);
}

int ObstructRateEntry(int32_t rate) {
  for (int i = 0; i < kObstructRateChoices; ++i) {
    if (kObstructRateChoice[i].Value == rate) return i;
  }
  return -1;
}

std::string LeaveTimingEdit(Host& host, int k, std::string_view text) {
  if (!ValidTimingEdit(k)) return std::string(text);
  const int item = k - 1;
  // The conversion comes first, so an empty edit shows the message before it takes its
  // Default.
  const int32_t converted = TextToInt(host, text);
  const int32_t value = text.empty() ? kCfgDefault[item] : HoldTiming(item, converted);
  return IntToText(value);
}

std::string DefaultTimingText(int k) {
  return ValidTimingEdit(k) ? IntToText(kCfgDefault[k - 1]) : "";
}

std::string FastTimingText(int k) {
  return ValidTimingEdit(k) ? IntToText(kCfgFast[k - 1]) : "";
}

std::string StepFieldSize(std::string_view text, int step, int32_t min, int32_t max,
                          int32_t fallback) {
  const int32_t value = std::clamp(ParseInt(text).value_or(fallback), min, max);
  const int32_t next = value + step;
  return IntToText(next >= min && next <= max ? next : value);
}

int32_t FieldSizeValue(Host& host, std::string_view text, int32_t min, int32_t max,
                       int32_t fallback) {
  // Left open by the rules: a typed size is held to what the buttons allow, and text that
  // is no number keeps the size the field had rather than becoming the smallest one.
  if (auto v = ParseInt(text)) return std::clamp(*v, min, max);
  host.ShowError(kPleaseInputInteger);
  return std::clamp(fallback, min, max);
}

ConfigDialogValues ConfigDialogShown(const Game& g) {
  ConfigDialogValues v;
  std::copy(g.cfg.Cfg, g.cfg.Cfg + kTimingItems, v.Timing);
  v.DrawFieldLines = g.cfg.Cfg[kDrawFieldLines] == 0;
  v.SolidBlack = g.cfg.Cfg[kBrickTone] == 0;
  v.Width = g.eng.FieldWidth;
  v.Height = g.eng.FieldHeight;
  v.English = g.cfg.EnglishUI;
  for (int p = 1; p <= 2; ++p) v.RateEntry[p] = ObstructRateEntry(g.eng.ObstructRate[p]);
  return v;
}

ConfigCloseResult ConfigDialogClose(Game& g, const ConfigDialogValues& v) {
  Config& c = g.cfg;
  Engine& e = g.eng;
  ConfigCloseResult result;
  // 1. The timing items.
  for (int i = 0; i < kTimingItems; ++i) c.Cfg[i] = HoldTiming(i, v.Timing[i]);
  // 2. The drawing options.
  const int32_t oldBrickTone = c.Cfg[kBrickTone];
  const int32_t oldFieldLines = c.Cfg[kDrawFieldLines];
  c.Cfg[kBrickTone] = v.SolidBlack ? 0 : 1;
  c.Cfg[kDrawFieldLines] = v.DrawFieldLines ? 0 : 1;
  // 3. The field size, which the boards have room for only within these limits.
  const int32_t oldWidth = e.FieldWidth;
  const int32_t oldHeight = e.FieldHeight;
  e.FieldWidth = std::clamp(v.Width, kDialogMinWidth, kDialogMaxWidth);
  e.FieldHeight = std::clamp(v.Height, kDialogMinHeight, kDialogMaxHeight);
  // 4. A changed option or size needs a new background. The options are compared by what
  //    they draw: a hand-edited 5 that becomes 1 draws the same picture.
  result.RebuildBackground = (c.Cfg[kBrickTone] == 0) != (oldBrickTone == 0) ||
                             (c.Cfg[kDrawFieldLines] == 0) != (oldFieldLines == 0) ||
                             e.FieldWidth != oldWidth || e.FieldHeight != oldHeight;
  // 5. The language.
  c.EnglishUI = v.English;
  c.Cfg[kLanguage] = v.English ? 0 : 1;
  // 6. The file; a failure has been reported and stops here.
  result.Written = ConfigWrite(g);
  if (!result.Written) return result;
  // 7. The obstruct rates; a list without a selection keeps its side's rate.
  for (int p = 1; p <= 2; ++p) {
    const int entry = v.RateEntry[p];
    if (entry >= 0 && entry < kObstructRateChoices) {
      e.ObstructRate[p] = kObstructRateChoice[entry].Value;
    }
  }
  return result;
}

}  // namespace dalu
