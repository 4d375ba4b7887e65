#include "util/text.h"

#include <iconv.h>

#include <cerrno>
#include <charconv>

#include "util/host.h"

namespace dalu {

std::string IntToText(int32_t value) {
  return std::to_string(value);
}

std::optional<int32_t> ParseInt(std::string_view text) {
  if (text.empty()) return std::nullopt;
  size_t start = 0;
  bool negative = false;
  if (text[0] == '-' || text[0] == '+') {
    negative = text[0] == '-';
    start = 1;
  }
  if (start == text.size()) return std::nullopt;
  int64_t v = 0;
  for (size_t i = start; i < text.size(); ++i) {
    const char ch = text[i];
    if (ch < '0' || ch > '9') return std::nullopt;
    v = v * 10 + (ch - '0');
    if (v > 2147483648LL) return std::nullopt;
  }
  if (negative) v = -v;
  if (v > INT32_MAX || v < INT32_MIN) return std::nullopt;
  return static_cast<int32_t>(v);
}

int32_t TextToInt(Host& host, std::string_view text) {
  if (auto v = ParseInt(text)) return *v;
  host.ShowError(kPleaseInputInteger);
  return kBadInteger;
}

std::string FourDigits(int32_t value) {
  std::string s = IntToText(value);
  if (value < 1000) s.insert(0, "0");
  if (value < 100) s.insert(0, "0");
  if (value < 10) s.insert(0, "0");
  return s;
}

std::string ExtractName(std::string_view path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return std::string(path);
  return std::string(path.substr(slash + 1));
}

std::string EnsureExtension(std::string_view text, std::string_view ext) {
  if (text.size() >= ext.size() && text.substr(text.size() - ext.size()) == ext) {
    return std::string(text);
  }
  std::string s(text);
  s += ext;
  return s;
}

namespace {

std::string Convert(std::string_view in, const char* to, const char* from,
                    std::string_view replacement, bool* failed = nullptr) {
  std::string out;
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(in);
  out.reserve(in.size() * 2);
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char buf[256];
  while (srcLeft > 0) {
    char* dst = buf;
    size_t dstLeft = sizeof buf;
    const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    out.append(buf, static_cast<size_t>(dst - buf));
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      // An invalid or incomplete sequence: replace one byte and go on.
      if (failed) *failed = true;
      out.append(replacement);
      ++src;
      --srcLeft;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
  return out;
}

// Byte length of the UTF-8 character at s[i], or 1 when s[i] does not start a whole,
// well-formed character, so that a broken sequence is replaced on its own and never takes
// the bytes after it (such as a "/") with it.
size_t Utf8CharLen(std::string_view s, size_t i) {
  const unsigned char b = static_cast<unsigned char>(s[i]);
  size_t len = 1;
  if (b >= 0xC2 && b <= 0xDF)
    len = 2;
  else if (b >= 0xE0 && b <= 0xEF)
    len = 3;
  else if (b >= 0xF0 && b <= 0xF4)
    len = 4;
  if (i + len > s.size()) return 1;
  for (size_t k = 1; k < len; ++k) {
    if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 1;
  }
  return len;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view cp932) {
  return Convert(cp932, "UTF-8", "CP932", "\xEF\xBF\xBD");
}

std::string Utf8ToCp932(std::string_view utf8) {
  bool failed = false;
  std::string whole = Convert(utf8, "CP932", "UTF-8", "?", &failed);
  if (!failed) return whole;
  // Some character has no CP932 form: go character by character so that each such
  // character becomes one "?", not one per byte.
  std::string out;
  size_t i = 0;
  while (i < utf8.size()) {
    const std::string_view ch = utf8.substr(i, Utf8CharLen(utf8, i));
    bool bad = false;
    std::string conv = Convert(ch, "CP932", "UTF-8", "?", &bad);
    out += bad ? std::string("?") : conv;
    i += ch.size();
  }
  return out;
}

std::string ShortenText(std::string_view text, size_t maxBytes) {
  if (text.size() <= maxBytes) return std::string(text);
  size_t i = 0;
  while (i < text.size()) {
    const size_t len = static_cast<size_t>(Cp932CharLen(text, i));
    if (i + len > maxBytes) break;
    i += len;
  }
  return std::string(text.substr(0, i)) + "...";
}

std::string PathText(std::string_view path) {
  return Utf8ToCp932(path);
}

}  // namespace dalu
