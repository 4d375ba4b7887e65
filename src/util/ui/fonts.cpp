#include "util/ui/fonts.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QStringList>

namespace dalu {

namespace {

struct Substitute {
  QString face;
  QStringList families;  // in order of preference, as fontconfig names them
  QStringList files;     // where Debian's packages put them
};

}  // namespace

QString MinchoFace() {
  return QString::fromUtf8("ＭＳ Ｐ明朝");
}
QString GothicFace() {
  return QString::fromUtf8("ＭＳ Ｐゴシック");
}

void InstallFontSubstitutes() {
  const Substitute subs[] = {
      {MinchoFace(),
       {QStringLiteral("IPAPMincho"), QString::fromUtf8("IPA P明朝"), QStringLiteral("IPAMincho")},
       {QStringLiteral("/usr/share/fonts/opentype/ipafont-mincho/ipamp.ttf"),
        QStringLiteral("/usr/share/fonts/opentype/ipafont-mincho/ipam.ttf")}},
      {GothicFace(),
       {QStringLiteral("IPAPGothic"), QString::fromUtf8("IPA Pゴシック"),
        QStringLiteral("IPAGothic")},
       {QStringLiteral("/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf"),
        QStringLiteral("/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf")}},
  };
  const QStringList known = QFontDatabase::families();
  for (const Substitute& s : subs) {
    if (!QFont::substitutes(s.face).isEmpty()) continue;  // already installed
    bool found = false;
    for (const QString& family : s.families) found = found || known.contains(family);
    if (!found) {
      // fontconfig does not index them (an unusual setup): load the files directly.
      for (const QString& file : s.files) {
        if (QFile::exists(file)) QFontDatabase::addApplicationFont(file);
      }
    }
    QFont::insertSubstitutions(s.face, s.families);
  }
}

void UseProgramFaceEverywhere() {
  QFont font = QApplication::font();
  font.setFamilies({GothicFace()});
  QApplication::setFont(font);
}

int PointsToPixels(int points) {
  return (points * 96 + 36) / 72;
}

QFont MakeFont(const QString& face, int points, bool bold, bool italic) {
  QFont font(face);
  font.setPixelSize(PointsToPixels(points));
  font.setBold(bold);
  font.setItalic(italic);
  return font;
}

}  // namespace dalu
