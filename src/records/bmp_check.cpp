#include "records/bmp_check.h"

#include <cstdint>
#include <cstdlib>

namespace dalu {

namespace {

uint32_t U16(std::string_view b, size_t at) {
  return static_cast<uint32_t>(static_cast<unsigned char>(b[at])) |
         static_cast<uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8;
}

uint32_t U32(std::string_view b, size_t at) {
  return U16(b, at) | U16(b, at + 2) << 16;
}

// Compression codes of the info header.
constexpr uint32_t kRgb = 0;
constexpr uint32_t kBitFields = 3;
constexpr uint32_t kAlphaBitFields = 6;

}  // namespace

bool BmpComplete(std::string_view bytes) {
  constexpr size_t kFileHeader = 14;
  if (bytes.size() < kFileHeader + 12 || bytes.substr(0, 2) != "BM") return false;
  const uint64_t pixelsAt = U32(bytes, 10);
  const uint32_t infoSize = U32(bytes, 14);
  int64_t width = 0;
  int64_t height = 0;
  uint32_t bits = 0;
  uint32_t compression = kRgb;
  uint64_t imageSize = 0;
  if (infoSize == 12) {  // the old core header: 16-bit sizes, never compressed
    width = U16(bytes, 18);
    height = U16(bytes, 20);
    bits = U16(bytes, 24);
  } else {
    if (infoSize < 40 || bytes.size() < kFileHeader + 40) return false;
    width = static_cast<int32_t>(U32(bytes, 18));
    height = static_cast<int32_t>(U32(bytes, 22));  // negative: rows stored top-down
    bits = U16(bytes, 28);
    compression = U32(bytes, 30);
    imageSize = U32(bytes, 34);
  }
  if (width <= 0 || height == 0 || bits == 0 || bits > 32) return false;
  uint64_t pixelBytes = imageSize;
  if (compression == kRgb || compression == kBitFields || compression == kAlphaBitFields) {
    // Each row is padded to whole 32-bit words.
    const uint64_t rowBytes = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
    pixelBytes = rowBytes * static_cast<uint64_t>(std::llabs(height));
  } else if (pixelBytes == 0) {
    return false;  // a compressed picture that does not say how long it is
  }
  return bytes.size() >= pixelsAt + pixelBytes;
}

}  // namespace dalu
