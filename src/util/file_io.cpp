#include "util/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace dalu {

namespace {

std::string SystemText(int err) {
  return std::strerror(err);
}

}  // namespace

ReadResult ReadWholeFile(const std::string& path, size_t maxBytes) {
  ReadResult r;
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
  if (S_ISREG(st.st_mode) && static_cast<unsigned long long>(st.st_size) > maxBytes) {
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
    // A file that grows while it is read (or is no regular file) is still held to the cap.
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
  // One temporary name per process: the program writes from one thread, and two running
  // copies of the program do not share it. A leftover of a crashed run that had the same
  // process id is ours to replace. The name does not end in ".DBD" or ".txt", so it never
  // shows in the open dialog.
  const std::string tmp = dir + ".dalu-" + std::to_string(::getpid()) + ".tmp";
  const std::string target = dir + name;
  ::unlink(tmp.c_str());
  const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return SystemText(errno);

  auto fail = [&](int err) {
    ::close(fd);
    ::unlink(tmp.c_str());
    return SystemText(err);
  };
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
