#include "util/ui/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace dalu {

bool QtTranslations::Apply(bool english) {
  if (english) {
    if (installed_) QCoreApplication::removeTranslator(&japanese_);
    installed_ = false;
    return true;
  }
  if (!loaded_) {
    loaded_ = japanese_.load(QStringLiteral("qtbase_ja"),
                             QLibraryInfo::path(QLibraryInfo::TranslationsPath));
  }
  if (loaded_ && !installed_) installed_ = QCoreApplication::installTranslator(&japanese_);
  return loaded_;
}

}  // namespace dalu
