#include "model/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <system_error>

#include "model/plain_text.h"

namespace hobwise {

namespace {

std::string systemWords(int error) { return std::generic_category().message(error); }

std::string cannot(const char* verb, const std::string& path, const std::string& reason) {
  return std::string("cannot ") + verb + " " + quoteText(path, Keep::kEnd) + ": " + reason;
}

// Why a file of this kind is not read or replaced; empty for a regular file.
std::string notAFile(mode_t mode) {
  if (S_ISREG(mode)) return std::string();
  if (S_ISDIR(mode)) return "it is a folder";
  if (S_ISFIFO(mode)) return "it is a pipe, not a file";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "it is a device, not a file";
  if (S_ISSOCK(mode)) return "it is a socket, not a file";
  return "it is not a file";
}

std::string sizeText(std::size_t bytes) {
  return bytes % 1024 == 0 ? std::to_string(bytes / 1024) + " KiB" : std::to_string(bytes) + " bytes";
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

FileRead readWholeFile(const std::string& path, std::size_t maxBytes) {
  FileRead out;
  const auto refuse = [&](const std::string& reason) {
    out.error = cannot("read", path, reason);
    out.bytes.clear();
    return out;
  };
  const std::string tooLarge = "larger than " + sizeText(maxBytes);
  // A look first, so that no pipe or device is ever opened (opening one may wait, or
  // act); the look at the opened file catches a swap in between.
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return refuse(systemWords(errno));
  if (!S_ISREG(info.st_mode)) return refuse(notAFile(info.st_mode));
  out.tooLarge = static_cast<std::uintmax_t>(info.st_size) > maxBytes;
  if (out.tooLarge) return refuse(tooLarge);
  const Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (fd.get() < 0) return refuse(systemWords(errno));
  if (::fstat(fd.get(), &info) != 0) return refuse(systemWords(errno));
  if (!S_ISREG(info.st_mode)) return refuse(notAFile(info.st_mode));
  char chunk[16 * 1024];
  for (;;) {
    const ssize_t got = ::read(fd.get(), chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return refuse(systemWords(errno));
    if (got == 0) return out;
    out.bytes.append(chunk, static_cast<std::size_t>(got));
    out.tooLarge = out.bytes.size() > maxBytes;  // it grew since the look
    if (out.tooLarge) return refuse(tooLarge);
  }
}

namespace {

// The temporary files being written, for removeUnfinishedTemporaryFiles(). A slot holds
// a copy of the name that only the signal handler or the file's own owner takes out.
constexpr std::size_t kTemporarySlots = 16;
std::atomic<char*> gTemporaries[kTemporarySlots];
static_assert(std::atomic<char*>::is_always_lock_free, "the signal handler needs lock-free slots");

// A new file beside the target, removed again unless it was renamed over the target.
class TemporaryFile {
 public:
  TemporaryFile() = default;
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() {
    closeDescriptor();
    if (!path_.empty()) ::unlink(path_.c_str());  // before unlisting: a signal between finds it listed
    unlist();
  }

  // Creates the file exclusively under a fresh name; 0, or the errno of the failure.
  int create(const std::string& folder, const std::string& name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
      path_ = folder + "/." + name.substr(0, 200) + ".hobwise-" + std::to_string(::getpid()) + "-" + randomWord();
      list();  // before it exists, so that no moment leaves it unlisted
      fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0666);
      if (fd_ >= 0) return 0;
      const int error = errno;
      unlist();
      path_.clear();
      if (error != EEXIST) return error;
    }
    return EEXIST;
  }

  int descriptor() const { return fd_; }
  const std::string& path() const { return path_; }

  void closeDescriptor() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

  // Flushes the finished file to the disk; the reason when it is not a whole file.
  std::optional<std::string> finish(bool mustHoldBytes) {
    if (fd_ < 0) fd_ = ::open(path_.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd_ < 0) return "the temporary file is gone (" + systemWords(errno) + ")";
    struct stat info {};
    if (::fstat(fd_, &info) != 0) return systemWords(errno);
    if (!S_ISREG(info.st_mode)) return "the temporary file is no file";
    if (mustHoldBytes && info.st_size == 0) return "nothing was written";
    if (::fsync(fd_) != 0 && errno != EINVAL) return systemWords(errno);  // EINVAL: cannot be synced
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0 && errno != EINTR) return systemWords(errno);  // after EINTR it is closed
    return std::nullopt;
  }

  // The file now has the target's name: nothing of it is left to remove.
  void renamed() {
    unlist();
    path_.clear();
  }

 private:
  static std::string randomWord() {
    static std::atomic<std::uint64_t> counter{0};
    std::uint64_t x = counter.fetch_add(1) + 0x9E3779B97F4A7C15u *
                      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9u;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBu;
    std::string word;
    for (int k = 0; k < 6; ++k, x /= 36) word += "0123456789abcdefghijklmnopqrstuvwxyz"[x % 36];
    return word;
  }

  void list() {
    copy_ = new char[path_.size() + 1];
    std::memcpy(copy_, path_.c_str(), path_.size() + 1);
    for (auto& slot : gTemporaries) {
      char* empty = nullptr;
      if (slot.compare_exchange_strong(empty, copy_)) {
        slot_ = &slot;
        return;
      }
    }
    delete[] copy_;  // every slot taken: this one is not removed on an interrupt
    copy_ = nullptr;
  }

  void unlist() {
    char* mine = copy_;
    // When the handler has taken the name out, it owns the copy.
    if (slot_ && slot_->compare_exchange_strong(mine, nullptr)) delete[] copy_;
    slot_ = nullptr;
    copy_ = nullptr;
  }

  std::string path_;
  int fd_ = -1;
  std::atomic<char*>* slot_ = nullptr;
  char* copy_ = nullptr;
};

void ignoreFileSizeSignal() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct sigaction current {};
    if (::sigaction(SIGXFSZ, nullptr, &current) != 0 || (current.sa_flags & SA_SIGINFO) ||
        current.sa_handler != SIG_DFL)
      return;  // the program handles it itself
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGXFSZ, &ignore, nullptr);
  });
}

struct Target {
  std::string path;    // the file to replace (a link's target)
  std::string folder;  // its folder, for the temporary file
  std::string name;
  std::optional<mode_t> mode;  // the permission bits of the file replaced
};

// Where the file goes, or why it cannot go there.
std::optional<std::string> findTarget(const std::string& path, Target& target) {
  target.path = path;
  struct stat info {};
  if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved) return systemWords(errno);
    target.path = resolved;
    std::free(resolved);
  }
  if (::stat(target.path.c_str(), &info) == 0) {
    if (!S_ISREG(info.st_mode)) return notAFile(info.st_mode);
    if (::access(target.path.c_str(), W_OK) != 0) return systemWords(errno);  // kept write-protected
    target.mode = info.st_mode & 0777;
  } else if (errno != ENOENT) {
    return systemWords(errno);
  }
  const std::size_t slash = target.path.rfind('/');
  target.folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.path.substr(0, slash);
  target.name = slash == std::string::npos ? target.path : target.path.substr(slash + 1);
  if (target.name.empty() || target.name == "." || target.name == "..") return "no file name after the folder";
  return std::nullopt;
}

std::optional<std::string> writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t put = ::write(fd, bytes.data(), std::min<std::size_t>(bytes.size(), 1 << 20));
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return systemWords(errno);
    if (put == 0) return "the file system took no more bytes";
    bytes.remove_prefix(static_cast<std::size_t>(put));
  }
  return std::nullopt;
}

// The steps every write shares; `fill` writes the temporary file.
WriteResult writeThrough(const std::string& path, bool mustHoldBytes,
                         const std::function<std::optional<std::string>(TemporaryFile&)>& fill) {
  ignoreFileSizeSignal();
  const auto fail = [&path](const std::string& reason) { return WriteResult{cannot("write", path, reason)}; };
  Target target;
  if (const auto reason = findTarget(path, target)) return fail(*reason);
  TemporaryFile temporary;
  if (const int error = temporary.create(target.folder, target.name)) return fail(systemWords(error));
  // Refused on file systems without permission bits (FAT on a USB stick): the file then
  // has that system's mode, which is no failure to write it.
  if (target.mode) (void)::fchmod(temporary.descriptor(), *target.mode);
  if (const auto reason = fill(temporary)) return fail(*reason);
  if (const auto reason = temporary.finish(mustHoldBytes)) return fail(*reason);
  if (::rename(temporary.path().c_str(), target.path.c_str()) != 0) return fail(systemWords(errno));
  temporary.renamed();
  // The rename itself to the disk; the file is written whether or not this succeeds.
  const Descriptor folder(::open(target.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.get() >= 0) (void)::fsync(folder.get());
  return WriteResult{};
}

}  // namespace

WriteResult writeFileAtomically(const std::string& path, std::string_view bytes) {
  return writeThrough(path, false, [bytes](TemporaryFile& file) { return writeAll(file.descriptor(), bytes); });
}

WriteResult checkWriteTarget(const std::string& path) {
  const auto fail = [&path](const std::string& reason) { return WriteResult{cannot("write", path, reason)}; };
  Target target;
  if (const auto reason = findTarget(path, target)) return fail(*reason);
  struct stat info {};
  if (::stat(target.folder.c_str(), &info) != 0) return fail(systemWords(errno));
  if (!S_ISDIR(info.st_mode)) return fail(systemWords(ENOTDIR));
  if (::access(target.folder.c_str(), W_OK | X_OK) != 0) return fail(systemWords(errno));
  return WriteResult{};
}

WriteResult writeViaTemporary(const std::string& path, const TemporaryFileWriter& write) {
  return writeThrough(path, true, [&write](TemporaryFile& file) {
    file.closeDescriptor();
    return write(file.path());
  });
}

void removeUnfinishedTemporaryFiles() noexcept {
  for (auto& slot : gTemporaries) {
    if (char* name = slot.exchange(nullptr)) ::unlink(name);  // the copy is left: the process ends
  }
}

}  // namespace hobwise
