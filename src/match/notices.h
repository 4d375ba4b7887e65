// The messages and notices the match layer shows for its own refusals and states, in both
// languages, from one table.
#pragma once

#include <string>

namespace dalu {

enum class Notice : int {
  kNothingToSave,     // Save As before any match was started or record loaded
  kFieldSizeChanged,  // Continue after the field size was changed in the configuration
  kAutoTwinOn,        // shown in the window while AutoTwin is on
  kCount
};

// The text in English or Japanese (CP932).
std::string NoticeText(Notice id, bool english);

}  // namespace dalu
