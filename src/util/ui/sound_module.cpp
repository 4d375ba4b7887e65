// The module dalu_sound: the chain sounds' player (qt_sound.h) with Qt Multimedia, loaded by
// LazySound (lazy_sound.h) when the program first needs it.
#include <QtGlobal>

#include "util/ui/qt_sound.h"

extern "C" Q_DECL_EXPORT dalu::SoundPlayer* DaluMakeSoundPlayer(const dalu::Config* cfg) {
  auto* sound = new dalu::QtSound;
  sound->SetConfig(cfg);
  return sound;
}
