// Qt's own texts (the buttons of message boxes and input dialogs, the file dialogs) in the
// language the program speaks. Qt ships them as catalogues; Debian's qt6-translations-l10n
// puts them into Qt's translations folder. English needs none: Qt's texts are English.
#pragma once

#include <QTranslator>

namespace dalu {

// Owned by the main window: while it lives, Qt's texts follow the last Apply; destroying it
// takes the catalogue back out of the application.
class QtTranslations {
 public:
  // Installs the Japanese catalogue of Qt's base texts, or removes it for English. Returns
  // false when Japanese was asked for and the catalogue is missing: Qt's texts then stay
  // English and the program goes on.
  bool Apply(bool english);

 private:
  QTranslator japanese_;
  bool loaded_ = false;
  bool installed_ = false;
};

}  // namespace dalu
