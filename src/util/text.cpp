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
    size_t len = 1;
    const unsigned char b = static_cast<unsigned char>(utf8[i]);
    if (b >= 0xF0)
      len = 4;
    else if (b >= 0xE0)
      len = 3;
    else if (b >= 0xC0)
      len = 2;
    if (i + len > utf8.size()) len = utf8.size() - i;
    const std::string_view ch = utf8.substr(i, len);
    bool bad = false;
    std::string conv = Convert(ch, "CP932", "UTF-8", "?", &bad);
    out += bad ? std::string("?") : conv;
    i += len;
  }
  return out;
}

}  // namespace dalu
