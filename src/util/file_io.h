// Whole-file reads and atomic writes for the battle records and the configuration file.
//
// Paths are handed to the operating system as they are. Errors come back as the system's
// own error text (errno), so the caller can show it in the error box.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace dalu {

enum class ReadStatus { kOk, kMissing, kFailed, kTooLarge, kNotRegular };

// What the system says a path is, when it is no regular file.
enum class FileKind { kRegular, kDirectory, kPipe, kCharDevice, kBlockDevice, kSocket, kOther };

struct ReadResult {
  ReadStatus status = ReadStatus::kFailed;
  std::string bytes;                   // the whole file when kOk
  std::string error;                   // the system's error text when kMissing or kFailed
  FileKind kind = FileKind::kRegular;  // when kNotRegular
};

// Reads the whole file at path. Files larger than maxBytes are not read (kTooLarge), so
// opening a wrong, huge file by mistake costs nothing. Only regular files are read: a
// directory, a named pipe (which would wait for a writer or hand over whatever one sends)
// or a device (/dev/zero never ends) is refused unopened as kNotRegular.
ReadResult ReadWholeFile(const std::string& path, size_t maxBytes);

// Why a file of that kind was refused, for a message (CP932): "it is a named pipe, not a
// regular file", in English or Japanese.
std::string NotRegularText(FileKind kind, bool english);

// Writes bytes to dir + name so that the target holds either its old contents or all the
// new bytes, never a part: the bytes go into a temporary file beside the target, are
// flushed to the disk and the temporary file is renamed over the target. On failure the
// temporary file is removed and the system's error text is returned; "" means success.
// dir ends with "/" (or is empty for the current directory).
//
// It replaces only what writing in place would change: a symbolic link is followed and its
// target written (a link to a missing file creates that file); a replaced file keeps its
// permission bits (and its owner, when we run as root); an existing file without any write
// bit is refused with EACCES's text, for root too; a directory, device or pipe is never
// replaced (EISDIR, EINVAL).
std::string WriteFileAtomically(const std::string& dir, const std::string& name,
                                std::string_view bytes);

// The hidden temporary files a write leaves behind when its process dies in the middle
// (".dalu-" + process id + "-" + serial + ".tmp"): those in dir whose process is no longer
// running are removed, and those last written before the process now running under that
// id (this one included) started. Files a running process may still be writing are left
// alone. Returns how many were removed.
int RemoveStaleTemporaries(const std::string& dir);

// Creates the directory dir (one level) when it does not exist yet. Returns the system's
// error text, or "" when the directory exists afterwards.
std::string EnsureDirectory(const std::string& dir);

// Splits text into lines at LF; a CR just before the LF (or at the very end) is dropped, so
// CR LF and bare LF files read alike. A last line without a line end counts; the empty
// text after a final line end does not. The views point into text.
std::vector<std::string_view> SplitLines(std::string_view text);

// Appends line and a CR LF to out. A CR or LF inside the line would split it in two when
// read back, so each becomes a blank.
void AddLine(std::string& out, std::string_view line);

}  // namespace dalu
