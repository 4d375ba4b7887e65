// The chain sound, as the core sees it. The window plays WAV images from memory; headless
// runs and tests use NullSound or record what was asked for.
#pragma once

#include <vector>

namespace dalu {

class SoundPlayer {
 public:
  virtual ~SoundPlayer() = default;
  // Plays the sound of a chain of `chain` steps (ren1 .. ren11; longer chains use ren11),
  // without waiting; a sound still playing is cut off.
  virtual void PlayChainSound(int chain) = 0;
};

class NullSound final : public SoundPlayer {
 public:
  void PlayChainSound(int) override {}
};

class RecordingSound final : public SoundPlayer {
 public:
  void PlayChainSound(int chain) override { played.push_back(chain); }
  std::vector<int> played;
};

}  // namespace dalu
