// The chain sounds, played from memory with Qt Multimedia.
//
// Each sound file is read once, the first time it is asked for, into its slot of a fixed
// cache (22 slots of 30001 bytes; slots 1..11 hold ren1.wav .. ren11.wav) and played from
// there afterwards without touching the disk. Playback is asynchronous: the call returns at
// once, and a new sound cuts off the one still playing.
//
// Faults never stop the game and never show a message box:
//  - a file larger than its slot is refused before anything is written to the cache;
//  - a missing or unreadable file, or one that is not a PCM WAV image, plays nothing;
//  - a refused file is not tried again in this run;
//  - with no audio output device the sounds are skipped.
#pragma once

#include <QByteArray>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "util/sound.h"

class QAudioSink;
class QBuffer;

namespace dalu {

struct Config;

inline constexpr int kSoundSlots = 22;
inline constexpr size_t kSoundSlotBytes = 30001;
inline constexpr int kChainSounds = 11;  // ren1 .. ren11; longer chains use ren11

// What the player needs from a WAV file image.
struct WavInfo {
  int channels = 0;
  int sampleRate = 0;     // frames per second
  int bitsPerSample = 0;  // 8 (unsigned), 16 or 32 (signed)
  size_t dataOffset = 0;  // first byte of the samples
  size_t dataSize = 0;    // bytes of whole frames, within the image
};

// Reads the RIFF/WAVE header of a file image: the "fmt " chunk (PCM, or the extensible
// format with PCM samples) and the "data" chunk, skipping any other chunks. A data chunk that
// claims more bytes than the image holds is cut to what is there. nullopt when the image is
// not a playable PCM WAV.
std::optional<WavInfo> ParseWav(const unsigned char* data, size_t size);

class QtSound final : public SoundPlayer {
 public:
  enum class SlotState { kNotRead, kLoaded, kRefused };

  QtSound();
  ~QtSound() override;
  QtSound(const QtSound&) = delete;
  QtSound& operator=(const QtSound&) = delete;

  // Where the program directory comes from (cfg.AppDir, read at each first load). Until it
  // is set, sounds are looked for in the current directory.
  void SetConfig(const Config* cfg) { cfg_ = cfg; }

  // ---- SoundPlayer ----
  // Plays "ren" + min(chain, 11) from slot min(chain, 11); chains below 1 play nothing.
  void PlayChainSound(int chain) override;

  // Plays AppDir + "wavdt/" + name + ".wav" from slot 1..22 (other slots play nothing).
  void PlaySE(const std::string& name, int slot);

  // ---- For tests ----
  SlotState State(int slot) const;
  int FilesOpened() const { return filesOpened_; }  // disk reads attempted so far

 private:
  struct Slot {
    SlotState state = SlotState::kNotRead;
    WavInfo info;
  };

  void Load(const std::string& name, int slot);
  void Play(int slot);
  void Stop();

  const Config* cfg_ = nullptr;
  // Slots 1..22; index 0 unused. On the heap: 660 kB.
  std::unique_ptr<std::array<std::array<unsigned char, kSoundSlotBytes>, kSoundSlots + 1>>
      SoundCache;
  // Per slot: not read yet, holding its file, or refused (and not tried again).
  std::array<Slot, kSoundSlots + 1> SoundLoaded{};
  int filesOpened_ = 0;

  // The sound now playing; the byte array points into the cache without copying.
  QByteArray playing_;
  std::unique_ptr<QBuffer> buffer_;
  std::unique_ptr<QAudioSink> sink_;
};

}  // namespace dalu
