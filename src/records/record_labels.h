// The fixed texts of the battle-record file, as CP932 bytes. The Japanese labels are written
// as escaped bytes so the file comes out the same whatever the compiler's source encoding;
// the tests check every one against its UTF-8 spelling.
#pragma once

namespace dalu::labels {

inline constexpr const char* kWidth = ":\x89\xa1\x83\x54\x83\x43\x83\x59";    // ":横サイズ"
inline constexpr const char* kHeight = ":\x8f\x63\x83\x54\x83\x43\x83\x59";   // ":縦サイズ"
inline constexpr const char* kColours = ":\x8e\x67\x97\x70\x90\x46\x90\x94";  // ":使用色数"
inline constexpr const char* kVanish = "\x8c\xc2\x8f\xc1\x82\xb5";            // "個消し"
inline constexpr const char* kTime = ":\x8e\x9e\x8a\xd4";                     // ":時間"
inline constexpr const char* kObstruct =
    ":\x8e\xd7\x96\x82\x8e\xec\x8d\x7e\x82\xe8\x8c\x57\x90\x94";  // ":邪魔珠降り係数"
inline constexpr const char* kSpare = "\x97\x5c\x94\xf5";         // "予備"
inline constexpr const char* kRows = ":\x94\x7a\x8e\xec\x8d\x73\x90\x94";  // ":配珠行数"
inline constexpr const char* kHandi = ":Handi";
inline constexpr const char* kInfo = ":Info";
inline constexpr const char* kDate = "Date:";
inline constexpr const char* kSaveTurn = ":SaveTurn";
inline constexpr const char* kComment = "CM";
inline constexpr const char* kEndOfFile = "[EoF]";
// Line 18 of records whose writer had no obstruct rates yet: both rates 100.
inline constexpr const char* kSpareRates = "01000100";

}  // namespace dalu::labels
