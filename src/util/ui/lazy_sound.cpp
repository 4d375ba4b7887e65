#include "util/ui/lazy_sound.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

namespace dalu {

LazySound::~LazySound() = default;  // the module stays loaded: its code deletes the player

void LazySound::Load() {
  if (tried_) return;
  tried_ = true;
  QLibrary module(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("dalu_sound")));
  using Make = SoundPlayer* (*)(const Config*);
  if (const auto make = reinterpret_cast<Make>(module.resolve("DaluMakeSoundPlayer"))) {
    player_.reset(make(cfg_));
  }
}

void LazySound::PlayChainSound(int chain) {
  Load();
  if (player_) player_->PlayChainSound(chain);
}

}  // namespace dalu
