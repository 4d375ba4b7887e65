// The window layer's one crossing between the core's CP932 text and Qt's strings.
#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "util/text.h"

namespace dalu {

inline QString FromCp932(std::string_view cp932) {
  return QString::fromStdString(Cp932ToUtf8(cp932));
}

inline std::string ToCp932(const QString& text) {
  return Utf8ToCp932(text.toStdString());
}

}  // namespace dalu
