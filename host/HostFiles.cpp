// Bounded reading of the host's input files.
#include "HostFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

bool ReadInputFile(const std::string& name, std::string& text, std::string& error, size_t limit) {
  text.clear();
  auto fail = [&](const std::string& why) {
    error = "cannot read " + name + ": " + why;
    text.clear();
    return false;
  };
  // Non-blocking, so that opening a FIFO with no writer returns at once instead of waiting.
  const int fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return fail(std::strerror(errno));
  struct TCloser {
    int Fd;
    ~TCloser() { ::close(Fd); }
  } closer{fd};
  struct stat st;
  if (::fstat(fd, &st) != 0) return fail(std::strerror(errno));
  if (S_ISDIR(st.st_mode)) return fail("it is a directory");
  if (!S_ISREG(st.st_mode)) return fail("not a regular file");
  const std::string tooLarge = "larger than the " + std::to_string(limit / (1024 * 1024)) + " MiB an input file may have";
  if (static_cast<uint64_t>(st.st_size) > limit) return fail(tooLarge);
  // The file may grow while it is read: one byte beyond the limit is enough to know.
  text.resize(static_cast<size_t>(st.st_size) + 1);
  size_t done = 0;
  for (;;) {
    if (done == text.size()) {
      if (text.size() > limit) return fail(tooLarge);
      text.resize(std::min(text.size() * 2, limit + 1));
    }
    const ssize_t n = ::read(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return fail(std::strerror(errno));
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  text.resize(done);
  return true;
}
