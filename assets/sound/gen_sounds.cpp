// dalu_soundgen: synthesises the chain sounds ren1.wav .. ren11.wav into the directory given
// as the argument: 16-bit PCM, mono, 22050 Hz.
//
// Chain n is a soft mallet note on the n-th step of a major pentatonic scale from C5, so the
// sounds climb as the chain grows. Longer chains add a second and a third note a little later
// (an arpeggio) and, from chain 9 on, a shimmer an octave up. Every file stays far below the
// 30001 bytes the player's cache holds per sound.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 22050;
constexpr double kPi = 3.14159265358979323846;
constexpr int kChains = 11;
constexpr size_t kMaxFileBytes = 30001;
constexpr size_t kHeaderBytes = 44;

// C5 D5 E5 G5 A5 C6 D6 E6 G6 A6 C7.
constexpr double kScale[kChains + 1] = {0,       523.25,  587.33,  659.26,  783.99,  880.00,
                                        1046.50, 1174.66, 1318.51, 1567.98, 1760.00, 2093.00};

// One mallet note: a quick pitch glide on the attack, a fundamental that rings, and a faster
// fading overtone at four times the pitch that gives the wooden knock.
void AddNote(std::vector<double>& out, double start, double freq, double amp, double decay) {
  const int first = static_cast<int>(start * kRate);
  // The overtone is left out where it would fold back below the Nyquist frequency.
  const double knockAmp = freq * 4 * 1.06 < 0.45 * kRate ? 0.22 : 0.0;
  double phase = 0, phase4 = 0;
  for (int i = first; i < static_cast<int>(out.size()); ++i) {
    const double t = double(i - first) / kRate;
    const double glide = 1 + 0.06 * std::exp(-t * 90);
    phase += 2 * kPi * freq * glide / kRate;
    phase4 += 2 * kPi * freq * 4.0 * glide / kRate;
    const double attack = std::min(1.0, t / 0.003);
    const double body = std::sin(phase) * std::exp(-t * decay);
    const double knock = knockAmp * std::sin(phase4) * std::exp(-t * decay * 4);
    out[i] += amp * attack * (body + knock);
  }
}

std::vector<double> ChainSound(int n) {
  const double seconds = 0.30 + 0.025 * n;
  std::vector<double> s(static_cast<size_t>(seconds * kRate), 0.0);
  const double f = kScale[n];
  AddNote(s, 0.0, f, 1.0, 9.0);
  if (n >= 3) AddNote(s, 0.045, f * 1.25, 0.55, 10.0);  // a major third up
  if (n >= 6) AddNote(s, 0.090, f * 1.5, 0.45, 10.0);   // a fifth up
  if (n >= 9) {
    for (int k = 0; k < 3; ++k) AddNote(s, 0.13 + 0.04 * k, f * 2, 0.18, 14.0);
  }
  // Fade the last 20 ms to silence, so no sound ends with a click.
  const size_t fade = kRate / 50;
  for (size_t i = 0; i < fade && i < s.size(); ++i) s[s.size() - 1 - i] *= double(i) / fade;
  // The same peak level for every chain.
  double peak = 0;
  for (double v : s) peak = std::max(peak, std::abs(v));
  for (double& v : s) v *= 0.5 / peak;
  return s;
}

void Put16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(v & 0xff);
  b.push_back((v >> 8) & 0xff);
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
  Put16(b, v & 0xffff);
  Put16(b, v >> 16);
}
void PutTag(std::vector<uint8_t>& b, const char* tag) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(tag[i]));
}

std::vector<uint8_t> WavImage(const std::vector<double>& samples) {
  const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
  std::vector<uint8_t> b;
  b.reserve(kHeaderBytes + dataBytes);
  PutTag(b, "RIFF");
  Put32(b, 36 + dataBytes);
  PutTag(b, "WAVE");
  PutTag(b, "fmt ");
  Put32(b, 16);
  Put16(b, 1);          // PCM
  Put16(b, 1);          // mono
  Put32(b, kRate);      // frames per second
  Put32(b, kRate * 2);  // bytes per second
  Put16(b, 2);          // bytes per frame
  Put16(b, 16);         // bits per sample
  PutTag(b, "data");
  Put32(b, dataBytes);
  for (double v : samples) {
    const long q = std::lround(std::clamp(v, -1.0, 1.0) * 32767);
    Put16(b, static_cast<uint16_t>(static_cast<int16_t>(q)));
  }
  return b;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: dalu_soundgen <output directory>\n");
    return 2;
  }
  std::string dir = argv[1];
  if (!dir.empty() && dir.back() != '/') dir += '/';
  for (int n = 1; n <= kChains; ++n) {
    const std::vector<uint8_t> image = WavImage(ChainSound(n));
    if (image.size() > kMaxFileBytes || image.size() < kHeaderBytes) {
      std::fprintf(stderr, "dalu_soundgen: ren%d.wav would not fit the cache\n", n);
      return 1;
    }
    const std::string path = dir + "ren" + std::to_string(n) + ".wav";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
      std::fprintf(stderr, "dalu_soundgen: cannot write %s\n", path.c_str());
      return 1;
    }
    const bool ok = std::fwrite(image.data(), 1, image.size(), f) == image.size();
    if (std::fclose(f) != 0 || !ok) {
      std::fprintf(stderr, "dalu_soundgen: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
