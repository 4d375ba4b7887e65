// Numbers and text: the conversions every file format of the program uses, the file-name
// helpers, and the CP932 <-> UTF-8 conversion used at the window boundary.
//
// Text inside the core is CP932 (Shift-JIS) bytes in std::string, exactly as in the files;
// lengths and positions count bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dalu {

class Host;

inline constexpr int32_t kBadInteger = -11111;  // what a failed conversion yields
inline constexpr const char* kPleaseInputInteger = "Please input Integer.";

// Plain decimal text, "-" for negative values, no leading zeros.
std::string IntToText(int32_t value);

// Parses an optional sign followed by decimal digits, nothing else (no blanks), within the
// 32-bit range. Returns nullopt for anything else.
std::optional<int32_t> ParseInt(std::string_view text);

// ParseInt, and on failure shows "Please input Integer." in the host's error box and
// returns -11111; callers go on with that value.
int32_t TextToInt(Host& host, std::string_view text);

// IntToText with one "0" in front for each of value < 10, < 100, < 1000: 7 -> "0007",
// 12345 -> "12345", -5 -> "000-5".
std::string FourDigits(int32_t value);

// The part after the last "/"; the whole text when there is none.
std::string ExtractName(std::string_view path);

// text unchanged when its last bytes equal ext exactly (case matters), else text + ext.
std::string EnsureExtension(std::string_view text, std::string_view ext);

inline int32_t MaxOf(int32_t a, int32_t b) {
  return b < a ? a : b;
}

// CP932 <-> UTF-8 through iconv. Bytes that do not convert are replaced: "?" when writing
// CP932, U+FFFD when reading it, so a damaged file never stops the program.
std::string Cp932ToUtf8(std::string_view cp932);
std::string Utf8ToCp932(std::string_view utf8);

// How a file's path enters a message. A path is the file system's bytes, UTF-8 on the
// systems we run on, while messages are CP932: pasting the bytes in would show them
// garbled once the message is converted for the screen. Every UTF-8 character is
// converted to its CP932 form; a character CP932 lacks ("ü") and a byte that is not part
// of a UTF-8 character (a name written under another encoding) become one "?" each, the
// same stand-in the program writes wherever CP932 has no form for a character.
std::string PathText(std::string_view path);

// Byte length of the CP932 character that starts at s[i]: 2 for a lead byte above 127
// followed by another byte, else 1.
inline int Cp932CharLen(std::string_view s, size_t i) {
  return (static_cast<unsigned char>(s[i]) > 127 && i + 1 < s.size()) ? 2 : 1;
}

// text when it has at most maxBytes bytes; otherwise its first whole characters within
// maxBytes followed by "...". A quote of a damaged line or an overlong title stays short
// and never ends in half a character.
std::string ShortenText(std::string_view text, size_t maxBytes);

}  // namespace dalu
