// Turns the UTF-8 source of the help text into the help file the program reads: CP932 bytes
// with CR LF line ends. It refuses (and writes nothing) when the text has a character CP932
// cannot hold or breaks the limits of the format, so a mistake fails the build instead of
// showing up as a "?" or a cut-off page.
//
//   help_convert <source.txt> <DM_help.tfh>
//
// Source lines starting with "#" are notes for whoever edits the text and are left out.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "help/help_file.h"
#include "util/text.h"

namespace {

// Reports one problem; every problem of the text is reported before the tool gives up.
void Report(int& problems, const std::string& source, int lineNo, const std::string& what) {
  std::cerr << source << ":" << lineNo << ": " << what << "\n";
  ++problems;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: help_convert <source.txt> <output.tfh>\n";
    return 2;
  }
  const std::string source = argv[1];
  const std::string output = argv[2];
  std::ifstream in(source, std::ios::binary);
  if (!in) {
    std::cerr << source << ": cannot open\n";
    return 1;
  }

  std::string out;
  std::string line;
  int lineNo = 0;
  int problems = 0;
  bool ended = false;
  bool inPage = false;
  int position = 1;  // line position inside the current page
  bool pageFull = false;
  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '#') continue;
    const std::string bytes = dalu::Utf8ToCp932(line);
    if (dalu::Cp932ToUtf8(bytes) != line) {
      Report(problems, source, lineNo, "has a character that CP932 cannot hold");
    }
    out += bytes;
    out += "\r\n";
    if (ended) continue;  // text after "@End" is never read; kept as written

    if (bytes == "@End") {
      ended = true;
    } else if (bytes.size() >= 2 && bytes[0] == '@' && bytes[1] == '@') {
      if (bytes.size() - 2 > dalu::kHelpTitleBytes) {
        Report(problems, source, lineNo, "title longer than 80 bytes");
      }
      inPage = true;
      pageFull = false;
      position = 1;
    } else {
      std::string digits = bytes.substr(0, 2);
      while (!digits.empty() && digits[0] == ' ') digits.erase(0, 1);
      const std::optional<int32_t> skip = dalu::ParseInt(digits);
      if (!skip) {
        Report(problems, source, lineNo, "does not start with a two-digit number");
        continue;
      }
      if (!inPage) Report(problems, source, lineNo, "text before the first page would never show");
      if (bytes.size() > 2 + dalu::kHelpLineBytes) {
        Report(problems, source, lineNo,
               "text longer than 120 bytes (" + std::to_string(bytes.size() - 2) + ")");
      }
      if (*skip > 0) position += *skip;
      if (position > dalu::kHelpShownLines && !pageFull) {
        Report(problems, source, lineNo, "beyond the 22 source lines a page shows");
        pageFull = true;  // once per page
      }
      ++position;
    }
  }
  if (!ended) Report(problems, source, lineNo, "no @End line");
  if (problems > 0) {
    std::remove(output.c_str());
    return 1;
  }

  // Write beside the target and rename, so a failed write leaves no half file behind.
  const std::string temp = output + ".tmp";
  {
    std::ofstream f(temp, std::ios::binary | std::ios::trunc);
    f.write(out.data(), static_cast<std::streamsize>(out.size()));
    if (!f) {
      std::cerr << temp << ": cannot write\n";
      return 1;
    }
  }
  if (std::rename(temp.c_str(), output.c_str()) != 0) {
    std::cerr << output << ": cannot replace\n";
    return 1;
  }
  return 0;
}
