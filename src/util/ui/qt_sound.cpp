#include "util/ui/qt_sound.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QFile>
#include <QMediaDevices>
#include <algorithm>
#include <cstring>
#include <string>

#include "config/config.h"

namespace dalu {

namespace {

uint32_t Le32(const unsigned char* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t Le16(const unsigned char* p) {
  return uint16_t(p[0] | p[1] << 8);
}

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatExtensible = 0xFFFE;

}  // namespace

std::optional<WavInfo> ParseWav(const unsigned char* data, size_t size) {
  if (data == nullptr || size < 12 || std::memcmp(data, "RIFF", 4) != 0 ||
      std::memcmp(data + 8, "WAVE", 4) != 0) {
    return std::nullopt;
  }
  bool haveFormat = false;
  bool haveData = false;
  uint16_t format = 0;
  WavInfo info;
  size_t pos = 12;
  while (pos + 8 <= size && !(haveFormat && haveData)) {
    const unsigned char* id = data + pos;
    const uint32_t length = Le32(data + pos + 4);
    const size_t body = pos + 8;
    const size_t available = size - body;
    if (std::memcmp(id, "fmt ", 4) == 0) {
      if (length < 16 || available < 16) return std::nullopt;
      format = Le16(data + body);
      info.channels = Le16(data + body + 2);
      info.sampleRate = static_cast<int>(std::min<uint32_t>(Le32(data + body + 4), 1u << 30));
      info.bitsPerSample = Le16(data + body + 14);
      if (format == kFormatExtensible) {
        // The sample format is the first two bytes of the sub-format GUID.
        if (length < 40 || available < 40) return std::nullopt;
        format = Le16(data + body + 24);
      }
      haveFormat = true;
    } else if (std::memcmp(id, "data", 4) == 0) {
      info.dataOffset = body;
      info.dataSize = std::min<size_t>(length, available);
      haveData = true;
    }
    // Chunks are padded to an even length.
    const uint64_t next = uint64_t(body) + length + (length & 1u);
    if (next > size) break;
    pos = static_cast<size_t>(next);
  }
  if (!haveFormat || !haveData || format != kFormatPcm) return std::nullopt;
  if (info.channels < 1 || info.channels > 8) return std::nullopt;
  if (info.bitsPerSample != 8 && info.bitsPerSample != 16 && info.bitsPerSample != 32)
    return std::nullopt;
  if (info.sampleRate < 1000 || info.sampleRate > 384000) return std::nullopt;
  const size_t frameBytes = size_t(info.channels) * size_t(info.bitsPerSample / 8);
  info.dataSize -= info.dataSize % frameBytes;
  if (info.dataSize == 0) return std::nullopt;
  return info;
}

QtSound::QtSound()
    : SoundCache(std::make_unique<
                 std::array<std::array<unsigned char, kSoundSlotBytes>, kSoundSlots + 1>>()) {}

QtSound::~QtSound() {
  Stop();
}

void QtSound::PlayChainSound(int chain) {
  if (chain < 1) return;
  const int n = std::min(chain, kChainSounds);
  PlaySE("ren" + std::to_string(n), n);
}

void QtSound::PlaySE(const std::string& name, int slot) {
  if (slot < 1 || slot > kSoundSlots) return;
  if (SoundLoaded[slot].state == SlotState::kNotRead) Load(name, slot);
  if (SoundLoaded[slot].state == SlotState::kLoaded) Play(slot);
}

QtSound::SlotState QtSound::State(int slot) const {
  if (slot < 1 || slot > kSoundSlots) return SlotState::kRefused;
  return SoundLoaded[slot].state;
}

// Marks the slot refused first, so that any way out short of a complete, playable image
// leaves it refused and the disk is not tried again.
void QtSound::Load(const std::string& name, int slot) {
  Slot& s = SoundLoaded[slot];
  s.state = SlotState::kRefused;
  const std::string path = (cfg_ ? cfg_->AppDir : std::string()) + "wavdt/" + name + ".wav";
  ++filesOpened_;
  QFile file(QFile::decodeName(QByteArray::fromStdString(path)));
  if (!file.open(QIODevice::ReadOnly)) return;
  if (file.size() > static_cast<qint64>(kSoundSlotBytes)) return;
  auto& bytes = (*SoundCache)[slot];
  const qint64 got = file.read(reinterpret_cast<char*>(bytes.data()), kSoundSlotBytes);
  if (got <= 0) return;
  // A file that grew since its size was asked for is still too large.
  char extra;
  if (file.read(&extra, 1) > 0) return;
  const std::optional<WavInfo> info = ParseWav(bytes.data(), static_cast<size_t>(got));
  if (!info) return;
  s.info = *info;
  s.state = SlotState::kLoaded;
}

void QtSound::Play(int slot) {
  // A machine without a sound server has no output device: the sound is skipped.
  const QAudioDevice device = QMediaDevices::defaultAudioOutput();
  if (device.isNull()) return;
  const WavInfo& info = SoundLoaded[slot].info;
  QAudioFormat format;
  format.setSampleRate(info.sampleRate);
  format.setChannelCount(info.channels);
  format.setSampleFormat(info.bitsPerSample == 8    ? QAudioFormat::UInt8
                         : info.bitsPerSample == 16 ? QAudioFormat::Int16
                                                    : QAudioFormat::Int32);
  Stop();
  playing_ = QByteArray::fromRawData(
      reinterpret_cast<const char*>((*SoundCache)[slot].data() + info.dataOffset),
      static_cast<qsizetype>(info.dataSize));
  buffer_ = std::make_unique<QBuffer>(&playing_);
  buffer_->open(QIODevice::ReadOnly);
  sink_ = std::make_unique<QAudioSink>(device, format);
  sink_->start(buffer_.get());
}

void QtSound::Stop() {
  if (sink_) {
    sink_->stop();
    sink_.reset();
  }
  buffer_.reset();
  playing_.clear();
}

}  // namespace dalu
