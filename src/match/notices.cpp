#include "match/notices.h"

#include <iterator>

#include "util/text.h"

namespace dalu {

namespace {

struct NoticeEntry {
  Notice id;
  const char* english;
  const char* japaneseUtf8;
};

// clang-format off
constexpr NoticeEntry kNotices[] = {
  {Notice::kNothingToSave,
   "There is no record to save yet. Start a match or load a record first.",
   "保存する棋譜がまだありません。先に対局を開始するか、棋譜を読み込んでください。"},
  {Notice::kFieldSizeChanged,
   "The field size was changed after this match began, so it cannot be continued. "
   "Start a new match or load a record.",
   "対局の途中でフィールドサイズが変更されたため、続けられません。"
   "新しく対局を開始するか、棋譜を読み込んでください。"},
  {Notice::kAutoTwinOn, "AutoTwin is on", "２Ｐ自動同期 中"},
};
// clang-format on
static_assert(std::size(kNotices) == static_cast<size_t>(Notice::kCount));

}  // namespace

std::string NoticeText(Notice id, bool english) {
  for (const NoticeEntry& n : kNotices) {
    if (n.id == id) return english ? std::string(n.english) : Utf8ToCp932(n.japaneseUtf8);
  }
  return "";
}

}  // namespace dalu
