#include "config/config_file.h"

#include <algorithm>
#include <memory>

#include "util/file_io.h"
#include "util/host.h"
#include "util/text.h"

namespace dalu {

namespace {

// A configuration file is a few hundred bytes; anything this large is not one.
inline constexpr size_t kMaxConfigBytes = 1024 * 1024;

std::string ConfigPath(const ConfigContext& g) {
  return g.cfg.AppDir + kConfigFileName;
}

void ReportFailure(const ConfigContext& g, bool reading, const std::string& systemText) {
  const std::string path = PathText(ConfigPath(g));
  if (g.cfg.EnglishUI) {
    g.host.ShowError((reading ? "Cannot read " : "Cannot write ") + path + ": " + systemText);
  } else {
    g.host.ShowError(path + Utf8ToCp932(reading ? " を読み込めません: " : " を保存できません: ") +
                     systemText);
  }
}

std::string TooLargeText(bool english) {
  return english ? "the file is larger than 1 MB" : Utf8ToCp932("ファイルが大きすぎます");
}

}  // namespace

std::string CurDirLoad(const std::string& exePath) {
  const size_t mark = exePath.rfind("DALU/");
  if (mark != std::string::npos) return exePath.substr(0, mark + 5);
  // Left open by the rules: without "DALU/" the program lives in its own directory.
  const size_t slash = exePath.rfind('/');
  if (slash == std::string::npos) return "./";
  return exePath.substr(0, slash + 1);
}

void DefaultConfig(int32_t (&cfg)[kCfgItems]) {
  for (int i = 0; i < kCfgItems; ++i) cfg[i] = i < kTimingItems ? kCfgDefault[i] : 0;
}

std::string DefaultConfigLabel(int i) {
  // The English labels of the configuration dialog; items 8..11 have no control.
  static constexpr const char* kLabels[kCfgItems] = {
      "ChainCount Wait",   "(Gravity Power)",
      "DropHit Speed",     "(Bounding Count)",
      "Animation Wait",    "Vanishing Wait",
      "(Separated Speed)", "ChainCount Limit",
      "(Not used)",        "(Not used)",
      "(Not used)",        "(Not used)",
      "BrickTone(Speedy)", "Language(\x8c\xbe\x8c\xea)",  // "Language(言語)"
      "Draw Field Lines"};
  return (i >= 0 && i < kCfgItems) ? kLabels[i] : "";
}

void ParseConfigText(std::string_view bytes, ParsedConfig& out) {
  const std::vector<std::string_view> lines = SplitLines(bytes);
  DefaultConfig(out.Cfg);
  out.badNumber = false;
  for (int i = 0; i < kCfgItems; ++i) {
    const size_t labelLine = 2 * static_cast<size_t>(i);
    out.hadLabel[i] = labelLine < lines.size();
    out.Labels[i] = out.hadLabel[i] ? std::string(lines[labelLine]) : DefaultConfigLabel(i);
    if (labelLine + 1 >= lines.size()) continue;  // a short file: the default stays
    const auto v = ParseInt(lines[labelLine + 1]);
    if (!v) {
      out.badNumber = true;
      continue;
    }
    out.Cfg[i] = i < kTimingItems ? std::clamp(*v, kCfgMin[i], kCfgMax[i]) : *v;
  }
}

std::string ConfigText(const std::string (&labels)[kCfgItems], const int32_t (&cfg)[kCfgItems]) {
  std::string out;
  for (int i = 0; i < kCfgItems; ++i) {
    AddLine(out, labels[i]);
    AddLine(out, IntToText(cfg[i]));
  }
  return out;
}

void ConfigLoad(const ConfigContext& g) {
  Config& c = g.cfg;
  DefaultConfig(c.Cfg);
  const ReadResult file = ReadWholeFile(ConfigPath(g), kMaxConfigBytes);
  switch (file.status) {
    case ReadStatus::kOk: {
      auto parsed = std::make_unique<ParsedConfig>();
      ParseConfigText(file.bytes, *parsed);
      std::copy(std::begin(parsed->Cfg), std::end(parsed->Cfg), std::begin(c.Cfg));
      // One message for the whole file: a damaged file would otherwise greet the user with
      // a box per line at start-up.
      if (parsed->badNumber) g.host.ShowError(kPleaseInputInteger);
      break;
    }
    case ReadStatus::kMissing:
      // A fresh install: write the defaults so the dialog has a file to keep labels of.
      c.EnglishUI = true;
      ConfigWrite(g);
      break;
    case ReadStatus::kTooLarge:
      ReportFailure(g, true, TooLargeText(c.EnglishUI));
      break;
    case ReadStatus::kFailed:
      ReportFailure(g, true, file.error);
      break;
    case ReadStatus::kNotRegular:
      ReportFailure(g, true, NotRegularText(file.kind, c.EnglishUI));
      break;
  }
  c.EnglishUI = c.Cfg[kLanguage] == 0;
}

bool ConfigWrite(const ConfigContext& g) {
  Config& c = g.cfg;
  auto parsed = std::make_unique<ParsedConfig>();
  const ReadResult file = ReadWholeFile(ConfigPath(g), kMaxConfigBytes);
  if (file.status == ReadStatus::kOk) {
    ParseConfigText(file.bytes, *parsed);  // only its labels are used
  } else if (file.status == ReadStatus::kMissing) {
    ParseConfigText("", *parsed);
  } else {
    // Writing over a file that could not be read would lose its labels.
    ReportFailure(g, true,
                  file.status == ReadStatus::kTooLarge     ? TooLargeText(c.EnglishUI)
                  : file.status == ReadStatus::kNotRegular ? NotRegularText(file.kind, c.EnglishUI)
                                                           : file.error);
    return false;
  }
  int32_t values[kCfgItems];
  std::copy(std::begin(c.Cfg), std::end(c.Cfg), std::begin(values));
  values[kLanguage] = values[kLanguage] == 0 ? 0 : 1;
  const std::string err =
      WriteFileAtomically(c.AppDir, kConfigFileName, ConfigText(parsed->Labels, values));
  if (!err.empty()) {
    ReportFailure(g, false, err);
    return false;
  }
  return true;
}

}  // namespace dalu
