// The program's own settings, beside DaluCfg.txt: everything the window remembers that the
// configuration file's fixed layout has no place for (replay speed, controls, hint level).
// One INI file, "DaluMaster.ini" in the program directory, so a copied program directory
// keeps its settings with it and DaluCfg.txt stays byte for byte as other copies expect.
#pragma once

#include <QSettings>
#include <QString>
#include <memory>
#include <string>

namespace dalu {

inline constexpr const char* kProgramSettingsName = "DaluMaster.ini";

// The settings file of the program directory appDir (which ends with "/"). Each caller
// opens its own QSettings; QSettings writes changes back when it is destroyed or synced.
inline std::unique_ptr<QSettings> OpenProgramSettings(const std::string& appDir) {
  return std::make_unique<QSettings>(
      QString::fromStdString(appDir) + QString::fromLatin1(kProgramSettingsName),
      QSettings::IniFormat);
}

}  // namespace dalu
