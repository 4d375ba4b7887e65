#include "util/ui/qt_sound.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "config/config.h"
#include "util/ui/qt_test_app.h"

namespace dalu {
namespace {

std::vector<unsigned char> ReadAll(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = f.readAll();
  return {bytes.begin(), bytes.end()};
}

uint32_t Le32(const std::vector<unsigned char>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}
uint16_t Le16(const std::vector<unsigned char>& b, size_t at) {
  return b[at] | b[at + 1] << 8;
}

QString ChainFile(int n) {
  return QStringLiteral(DALU_APP_DIR "wavdt/ren%1.wav").arg(n);
}

// ---- The generated chain sounds ---------------------------------------------------------------

TEST(ChainSoundFiles, AreSmallPcmWavImages) {
  for (int n = 1; n <= kChainSounds; ++n) {
    SCOPED_TRACE(n);
    const std::vector<unsigned char> b = ReadAll(ChainFile(n));
    ASSERT_GT(b.size(), 44u) << "run the build first: dalu_sounds";
    EXPECT_LE(b.size(), kSoundSlotBytes);
    EXPECT_EQ(std::memcmp(b.data(), "RIFF", 4), 0);
    EXPECT_EQ(Le32(b, 4), b.size() - 8);
    EXPECT_EQ(std::memcmp(b.data() + 8, "WAVEfmt ", 8), 0);
    EXPECT_EQ(Le32(b, 16), 16u);
    EXPECT_EQ(Le16(b, 20), 1);       // PCM
    EXPECT_EQ(Le16(b, 22), 1);       // mono
    EXPECT_EQ(Le32(b, 24), 22050u);  // frames per second
    EXPECT_EQ(Le32(b, 28), 44100u);  // bytes per second
    EXPECT_EQ(Le16(b, 32), 2);       // bytes per frame
    EXPECT_EQ(Le16(b, 34), 16);      // bits
    EXPECT_EQ(std::memcmp(b.data() + 36, "data", 4), 0);
    EXPECT_EQ(Le32(b, 40), b.size() - 44);

    const std::optional<WavInfo> info = ParseWav(b.data(), b.size());
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->dataOffset, 44u);
    EXPECT_EQ(info->dataSize, b.size() - 44);
    // Short, and ending in silence rather than a click.
    EXPECT_LT(info->dataSize / 2, 22050u * 7 / 10);
    EXPECT_EQ(static_cast<int16_t>(Le16(b, b.size() - 2)), 0);
  }
}

// The strongest frequency of the first 40 ms, searched from 200 Hz to 2.5 kHz.
double DominantFrequency(const std::vector<unsigned char>& b) {
  const int frames = 22050 * 40 / 1000;
  double best = 0, bestMagnitude = -1;
  for (double f = 200; f <= 2500; f += 2) {
    double re = 0, im = 0;
    for (int i = 0; i < frames; ++i) {
      const double s = static_cast<int16_t>(Le16(b, 44 + 2 * i));
      const double a = 2 * M_PI * f * i / 22050;
      re += s * std::cos(a);
      im += s * std::sin(a);
    }
    const double m = re * re + im * im;
    if (m > bestMagnitude) bestMagnitude = m, best = f;
  }
  return best;
}

TEST(ChainSoundFiles, RiseWithTheChain) {
  double previous = 0;
  for (int n = 1; n <= kChainSounds; ++n) {
    const double f = DominantFrequency(ReadAll(ChainFile(n)));
    EXPECT_GT(f, previous * 1.05) << "ren" << n;
    previous = f;
  }
}

// ---- The header reader ------------------------------------------------------------------------

// A WAV image built chunk by chunk.
struct WavBuilder {
  std::vector<unsigned char> b;
  void Tag(const char* t) { b.insert(b.end(), t, t + 4); }
  void U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back((v >> (8 * i)) & 0xff);
  }
  void U16(uint16_t v) {
    b.push_back(v & 0xff);
    b.push_back(v >> 8);
  }
  void Start() {
    Tag("RIFF");
    U32(0);
    Tag("WAVE");
  }
  void Fmt(uint16_t format, uint16_t channels, uint32_t rate, uint16_t bits) {
    Tag("fmt ");
    U32(16);
    U16(format);
    U16(channels);
    U32(rate);
    U32(rate * channels * bits / 8);
    U16(channels * bits / 8);
    U16(bits);
  }
  void Chunk(const char* tag, uint32_t declared, size_t actual) {
    Tag(tag);
    U32(declared);
    b.insert(b.end(), actual, 0x11);
  }
  std::optional<WavInfo> Parse() const { return ParseWav(b.data(), b.size()); }
};

TEST(ParseWav, ReadsFormatAndFindsDataPastOtherChunks) {
  WavBuilder w;
  w.Start();
  w.Chunk("LIST", 3, 4);  // odd length, padded to even
  w.Fmt(1, 2, 44100, 16);
  w.Chunk("data", 400, 400);
  const auto info = w.Parse();
  ASSERT_TRUE(info);
  EXPECT_EQ(info->channels, 2);
  EXPECT_EQ(info->sampleRate, 44100);
  EXPECT_EQ(info->bitsPerSample, 16);
  EXPECT_EQ(info->dataOffset, 12u + 12u + 24u + 8u);
  EXPECT_EQ(info->dataSize, 400u);
}

TEST(ParseWav, CutsATruncatedDataChunkToWholeFrames) {
  WavBuilder w;
  w.Start();
  w.Fmt(1, 2, 22050, 16);
  w.Chunk("data", 100000, 103);  // claims far more than the file holds
  const auto info = w.Parse();
  ASSERT_TRUE(info);
  EXPECT_EQ(info->dataSize, 100u);
}

TEST(ParseWav, AcceptsDataBeforeFormatAndEightBitSamples) {
  WavBuilder w;
  w.Start();
  w.Chunk("data", 50, 50);
  w.Fmt(1, 1, 11025, 8);
  const auto info = w.Parse();
  ASSERT_TRUE(info);
  EXPECT_EQ(info->bitsPerSample, 8);
  EXPECT_EQ(info->dataOffset, 20u);
  EXPECT_EQ(info->dataSize, 50u);
}

TEST(ParseWav, RefusesWhatCannotBePlayed) {
  const auto build = [](auto edit) {
    WavBuilder w;
    w.Start();
    edit(w);
    return w.Parse().has_value();
  };
  EXPECT_TRUE(build([](WavBuilder& w) { w.Fmt(1, 1, 22050, 16), w.Chunk("data", 8, 8); }));
  EXPECT_FALSE(build([](WavBuilder& w) { w.Fmt(3, 1, 22050, 32), w.Chunk("data", 8, 8); }));
  EXPECT_FALSE(build([](WavBuilder& w) { w.Fmt(1, 1, 22050, 12), w.Chunk("data", 8, 8); }));
  EXPECT_FALSE(build([](WavBuilder& w) { w.Fmt(1, 0, 22050, 16), w.Chunk("data", 8, 8); }));
  EXPECT_FALSE(build([](WavBuilder& w) { w.Fmt(1, 1, 0, 16), w.Chunk("data", 8, 8); }));
  EXPECT_FALSE(build([](WavBuilder& w) { w.Fmt(1, 1, 22050, 16), w.Chunk("data", 0, 0); }));
  EXPECT_FALSE(build([](WavBuilder& w) { w.Fmt(1, 1, 22050, 16); }));
  EXPECT_FALSE(build([](WavBuilder& w) { w.Chunk("data", 8, 8); }));
  EXPECT_FALSE(build([](WavBuilder& w) { w.Chunk("fmt ", 12, 12), w.Chunk("data", 8, 8); }));
  const unsigned char text[] = "RIFX....WAVEfmt ";
  EXPECT_FALSE(ParseWav(text, sizeof text));
  EXPECT_FALSE(ParseWav(nullptr, 0));
  EXPECT_FALSE(ParseWav(text, 5));
}

// ---- The player -------------------------------------------------------------------------------

class SoundPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::EnsureQtApp();
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkpath("wavdt"));
    cfg.AppDir = dir.path().toStdString() + "/";
    sound.SetConfig(&cfg);
  }
  void Write(const char* name, const std::vector<unsigned char>& bytes) {
    QFile f(dir.filePath(QStringLiteral("wavdt/") + name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
  }
  // A valid image of exactly `size` bytes.
  static std::vector<unsigned char> WavOfSize(size_t size) {
    WavBuilder w;
    w.Start();
    w.Fmt(1, 1, 22050, 16);
    w.Chunk("data", static_cast<uint32_t>(size - 44), size - 44);
    return w.b;
  }

  QTemporaryDir dir;
  Config cfg;
  QtSound sound;
};

TEST_F(SoundPlayerTest, EachFileIsReadOnceAndLongChainsUseTheLastSound) {
  Write("ren1.wav", ReadAll(ChainFile(1)));
  Write("ren11.wav", ReadAll(ChainFile(11)));
  sound.PlayChainSound(1);
  EXPECT_EQ(sound.FilesOpened(), 1);
  EXPECT_EQ(sound.State(1), QtSound::SlotState::kLoaded);
  sound.PlayChainSound(1);  // the same length again: played from memory
  sound.PlayChainSound(1);
  EXPECT_EQ(sound.FilesOpened(), 1);

  sound.PlayChainSound(14);
  EXPECT_EQ(sound.State(11), QtSound::SlotState::kLoaded);
  EXPECT_EQ(sound.State(12), QtSound::SlotState::kNotRead);
  sound.PlayChainSound(11);
  EXPECT_EQ(sound.FilesOpened(), 2);

  // Nothing below one, and no slot outside 1..22.
  sound.PlayChainSound(0);
  sound.PlayChainSound(-3);
  sound.PlaySE("ren1", 0);
  sound.PlaySE("ren1", 23);
  EXPECT_EQ(sound.FilesOpened(), 2);
}

TEST_F(SoundPlayerTest, AFileOfExactlyOneSlotFitsAndALargerOneIsRefused) {
  Write("ren2.wav", WavOfSize(kSoundSlotBytes));
  Write("ren3.wav", WavOfSize(kSoundSlotBytes + 1));
  sound.PlayChainSound(2);
  EXPECT_EQ(sound.State(2), QtSound::SlotState::kLoaded);
  sound.PlayChainSound(3);
  EXPECT_EQ(sound.State(3), QtSound::SlotState::kRefused);
  sound.PlayChainSound(3);
  EXPECT_EQ(sound.FilesOpened(), 2);
}

TEST_F(SoundPlayerTest, MissingOrBrokenFilesPlayNothingAndAreNotTriedAgain) {
  Write("ren4.wav", {'n', 'o', 't', ' ', 'a', ' ', 'w', 'a', 'v', 'e'});
  Write("ren5.wav", {});
  for (int round = 0; round < 3; ++round) {
    sound.PlayChainSound(4);
    sound.PlayChainSound(5);
    sound.PlayChainSound(6);  // no such file
  }
  EXPECT_EQ(sound.FilesOpened(), 3);
  for (int n : {4, 5, 6}) EXPECT_EQ(sound.State(n), QtSound::SlotState::kRefused) << n;
}

TEST_F(SoundPlayerTest, QuickSuccessionCutsOffWithoutWaiting) {
  // Whether or not this machine has an audio device, playing returns at once and a new
  // sound replaces the old one; destroying the player stops whatever still plays.
  for (int n = 1; n <= kChainSounds; ++n)
    Write(("ren" + std::to_string(n) + ".wav").c_str(), ReadAll(ChainFile(n)));
  for (int round = 0; round < 3; ++round)
    for (int n = 1; n <= kChainSounds; ++n) sound.PlayChainSound(n);
  EXPECT_EQ(sound.FilesOpened(), kChainSounds);
}

}  // namespace
}  // namespace dalu
