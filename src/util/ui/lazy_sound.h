// The window program's chain sounds, loaded when first needed. The player (qt_sound.h) lives
// in the module dalu_sound beside the executable, with Qt Multimedia and the sound server's
// libraries behind it; loading them before the window shows would cost a fifth of the
// start-up, so the program loads the module after its window is up (Load) or at the first
// chain, whichever comes first. Without the module, or when it cannot be loaded, nothing is
// played, as on a machine without audio.
#pragma once

#include <memory>

#include "util/sound.h"

namespace dalu {

struct Config;

class LazySound final : public SoundPlayer {
 public:
  LazySound() = default;
  ~LazySound() override;
  // Where the player finds the program directory (cfg.AppDir), as QtSound::SetConfig.
  void SetConfig(const Config* cfg) { cfg_ = cfg; }

  // Loads the module and makes the player, once; later calls do nothing.
  void Load();

  // ---- SoundPlayer ----
  void PlayChainSound(int chain) override;

 private:
  const Config* cfg_ = nullptr;
  bool tried_ = false;
  std::unique_ptr<SoundPlayer> player_;
};

}  // namespace dalu
