#include "util/file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <optional>
#include <sstream>

#include "util/text.h"

namespace dalu {

namespace {

std::string SystemText(int err) {
  return std::strerror(err);
}

// Follows symbolic links from path until it names no link, the way opening the path would.
// Afterwards path is the final name, exists tells whether it names an existing file and st
// holds that file's status. A link to a missing file ends at the missing name, which a
// write then creates. Returns the system's error text, or "".
std::string FollowLinks(std::string& path, struct stat& st, bool& exists) {
  constexpr int kMaxLinks = 40;  // the kernel's own limit before ELOOP
  for (int hop = 0; hop <= kMaxLinks; ++hop) {
    if (::lstat(path.c_str(), &st) != 0) {
      if (errno != ENOENT) return SystemText(errno);
      exists = false;
      return "";
    }
    if (!S_ISLNK(st.st_mode)) {
      exists = true;
      return "";
    }
    std::string link(static_cast<size_t>(st.st_size > 0 ? st.st_size : 256) + 1, '\0');
    const ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
    if (n < 0) return SystemText(errno);
    if (static_cast<size_t>(n) >= link.size()) return SystemText(ENAMETOOLONG);
    link.resize(static_cast<size_t>(n));
    // A relative link is relative to the directory that holds it.
    const size_t slash = path.rfind('/');
    path = (link.empty() || link.front() == '/' || slash == std::string::npos)
               ? link
               : path.substr(0, slash + 1) + link;
  }
  return SystemText(ELOOP);
}

FileKind KindOf(mode_t mode) {
  if (S_ISREG(mode)) return FileKind::kRegular;
  if (S_ISDIR(mode)) return FileKind::kDirectory;
  if (S_ISFIFO(mode)) return FileKind::kPipe;
  if (S_ISCHR(mode)) return FileKind::kCharDevice;
  if (S_ISBLK(mode)) return FileKind::kBlockDevice;
  if (S_ISSOCK(mode)) return FileKind::kSocket;
  return FileKind::kOther;
}

constexpr const char kTempPrefix[] = ".dalu-";
constexpr const char kTempSuffix[] = ".tmp";

// The process id in a temporary file's name ".dalu-<pid>-<serial>.tmp", or 0 when the name
// is not one of ours.
pid_t TemporaryOwner(std::string_view name) {
  const std::string_view prefix = kTempPrefix;
  const std::string_view suffix = kTempSuffix;
  if (name.size() <= prefix.size() + suffix.size() || name.substr(0, prefix.size()) != prefix ||
      name.substr(name.size() - suffix.size()) != suffix) {
    return 0;
  }
  const std::string_view middle =
      name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
  const size_t dash = middle.find('-');
  if (dash == std::string_view::npos || dash == 0 || dash + 1 == middle.size()) return 0;
  auto digits = [](std::string_view s) {
    return s.size() <= 10 &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  if (!digits(middle.substr(0, dash)) || !digits(middle.substr(dash + 1))) return 0;
  const long long pid = std::stoll(std::string(middle.substr(0, dash)));
  return pid > 0 && pid <= INT32_MAX ? static_cast<pid_t>(pid) : 0;
}

// When process pid started, in seconds since the epoch (rounded down), from /proc: its
// start in clock ticks after the boot, and the boot time. Nothing when /proc cannot tell.
std::optional<time_t> ProcessStart(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(stat, line)) return std::nullopt;
  // The name in parentheses may hold blanks; the fields after it start with field 3.
  const size_t close = line.rfind(')');
  if (close == std::string::npos) return std::nullopt;
  std::istringstream fields(line.substr(close + 1));
  std::string field;
  for (int i = 3; i <= 22 && fields >> field; ++i) {
    if (i < 22) continue;
    std::ifstream boot("/proc/stat");
    std::string key;
    long long bootTime = -1;
    while (boot >> key) {
      if (key == "btime") {
        boot >> bootTime;
        break;
      }
      boot.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    }
    const long ticks = ::sysconf(_SC_CLK_TCK);
    if (bootTime < 0 || ticks <= 0) return std::nullopt;
    return static_cast<time_t>(bootTime + std::strtoll(field.c_str(), nullptr, 10) / ticks);
  }
  return std::nullopt;
}

}  // namespace

std::string NotRegularText(FileKind kind, bool english) {
  struct Names {
    const char* english;
    const char* japanese;
  };
  Names n{"a special file", "特殊ファイル"};
  switch (kind) {
    case FileKind::kDirectory:
      n = {"a directory", "フォルダ"};
      break;
    case FileKind::kPipe:
      n = {"a named pipe", "名前付きパイプ"};
      break;
    case FileKind::kCharDevice:
    case FileKind::kBlockDevice:
      n = {"a device", "デバイス"};
      break;
    case FileKind::kSocket:
      n = {"a socket", "ソケット"};
      break;
    case FileKind::kRegular:
    case FileKind::kOther:
      break;
  }
  return english ? std::string("it is ") + n.english + ", not a regular file"
                 : Utf8ToCp932(std::string(n.japanese) + "であり、通常のファイルではありません");
}

int RemoveStaleTemporaries(const std::string& dir) {
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return 0;
  int removed = 0;
  while (const dirent* entry = ::readdir(d)) {
    const pid_t owner = TemporaryOwner(entry->d_name);
    if (owner == 0) continue;
    const std::string path = dir + entry->d_name;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    // Process ids are used again: a running process with the writer's id that started
    // after the file was last written (this one, too, in a container that hands out the
    // same ids at every start) did not write it. A process that exists but is not ours to
    // signal (EPERM) is still running.
    const bool running = ::kill(owner, 0) == 0 || errno != ESRCH;
    const std::optional<time_t> started = running ? ProcessStart(owner) : std::nullopt;
    if (running && (!started || st.st_mtime >= *started)) continue;
    if (::unlink(path.c_str()) == 0) ++removed;
  }
  ::closedir(d);
  return removed;
}

ReadResult ReadWholeFile(const std::string& path, size_t maxBytes) {
  ReadResult r;
  // Asked before opening, since opening some devices already does something.
  struct stat before {};
  if (::stat(path.c_str(), &before) == 0 && !S_ISREG(before.st_mode)) {
    r.status = ReadStatus::kNotRegular;
    r.kind = KindOf(before.st_mode);
    return r;
  }
  // Non-blocking, so a named pipe chosen by mistake cannot hang the program; regular files
  // read as usual.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    r.status = errno == ENOENT ? ReadStatus::kMissing : ReadStatus::kFailed;
    r.error = SystemText(errno);
    return r;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    r.error = SystemText(errno);
    ::close(fd);
    return r;
  }
  if (!S_ISREG(st.st_mode)) {  // replaced since it was asked
    ::close(fd);
    r.status = ReadStatus::kNotRegular;
    r.kind = KindOf(st.st_mode);
    return r;
  }
  if (static_cast<unsigned long long>(st.st_size) > maxBytes) {
    ::close(fd);
    r.status = ReadStatus::kTooLarge;
    return r;
  }
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      r.error = SystemText(errno);
      ::close(fd);
      r.bytes.clear();
      return r;
    }
    if (n == 0) break;
    // A file that grows while it is read is still held to the cap.
    if (r.bytes.size() + static_cast<size_t>(n) > maxBytes) {
      ::close(fd);
      r.bytes.clear();
      r.status = ReadStatus::kTooLarge;
      return r;
    }
    r.bytes.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  r.status = ReadStatus::kOk;
  return r;
}

std::string WriteFileAtomically(const std::string& dir, const std::string& name,
                                std::string_view bytes) {
  // 1. Find the file a write in place would change: links are followed, so a link keeps
  //    pointing where the user pointed it and its target gets the new bytes.
  std::string target = dir + name;
  struct stat st {};
  bool exists = false;
  if (std::string err = FollowLinks(target, st, exists); !err.empty()) return err;

  // 2. Replace only what writing in place would have replaced.
  if (exists) {
    if (S_ISDIR(st.st_mode)) return SystemText(EISDIR);
    // Devices, pipes and sockets have no contents to replace; a file would take their place.
    if (!S_ISREG(st.st_mode)) return SystemText(EINVAL);
    // A file without any write bit is one the user made read-only, and it is refused with
    // the text of EACCES for everyone. The kernel's own check below does not stop root, who
    // may write anything, but a read-only record is a wish to keep it, whoever runs us.
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return SystemText(EACCES);
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return SystemText(errno);
  }

  // 3. The new bytes go into a temporary file beside the target (a rename does not cross
  //    file systems). Its name is unique in this process (the tournament writes from several
  //    threads) and does not end in ".DBD" or ".txt", so it never shows in the open dialog.
  //    A leftover of a crashed run that had the same process id is ours to replace.
  //    The process id in the name tells a later start whether its writer still runs
  //    (RemoveStaleTemporaries).
  static std::atomic<unsigned> serial{0};
  const size_t slash = target.rfind('/');
  const std::string tmp = target.substr(0, slash == std::string::npos ? 0 : slash + 1) +
                          kTempPrefix + std::to_string(::getpid()) + "-" +
                          std::to_string(serial++) + kTempSuffix;
  ::unlink(tmp.c_str());
  const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return SystemText(errno);

  auto fail = [&](int err) {
    ::close(fd);
    ::unlink(tmp.c_str());
    return SystemText(err);
  };
  // 4. The replaced file keeps its permissions and, where we may give it, its owner.
  if (exists) {
    if (st.st_uid != ::geteuid() || st.st_gid != ::getegid()) {
      // Only root may give a file away; for others the new file stays theirs, so a refusal
      // here is no failure. (Owner first: a change of owner clears set-id bits.)
      [[maybe_unused]] const int given = ::fchown(fd, st.st_uid, st.st_gid);
    }
    if (::fchmod(fd, st.st_mode & 07777) != 0) return fail(errno);
  }
  // 5. Write, flush to the disk, rename over the target.
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail(errno);
    }
    done += static_cast<size_t>(n);
  }
  if (::fsync(fd) != 0) return fail(errno);
  if (::close(fd) != 0) {
    const int err = errno;
    ::unlink(tmp.c_str());
    return SystemText(err);
  }
  if (::rename(tmp.c_str(), target.c_str()) != 0) {
    const int err = errno;
    ::unlink(tmp.c_str());
    return SystemText(err);
  }
  return "";
}

std::string EnsureDirectory(const std::string& dir) {
  std::string path = dir;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (::mkdir(path.c_str(), 0777) == 0) return "";
  const int err = errno;
  struct stat st {};
  if (err == EEXIST && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return "";
  return SystemText(err == EEXIST ? ENOTDIR : err);
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    const bool last = end == std::string_view::npos;
    if (last) end = text.size();
    size_t stop = end;
    if (stop > start && text[stop - 1] == '\r') --stop;
    lines.push_back(text.substr(start, stop - start));
    if (last) break;
    start = end + 1;
  }
  return lines;
}

void AddLine(std::string& out, std::string_view line) {
  const size_t from = out.size();
  out.append(line);
  std::replace_if(
      out.begin() + static_cast<std::ptrdiff_t>(from), out.end(),
      [](char c) { return c == '\r' || c == '\n'; }, ' ');
  out.append("\r\n");
}

}  // namespace dalu
