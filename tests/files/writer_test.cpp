// Files written whole or not at all: failures leave the old file and no temporary file,
// and a process ended at any moment leaves the old file or the new one, whole.
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <cstring>
#include <random>

#include "files_fixture.h"
#include "model/file_io.h"
#include "model/plain_text.h"

namespace hobwise {
namespace {

// Version k of a file: its number, then bytes that only version k has, then an end mark.
std::string version(int k) {
  std::string text = "v" + std::to_string(k) + "\n";
  for (int i = 0; i < 3000 + 997 * (k % 13); ++i) text += static_cast<char>('a' + (i * 7 + k) % 26);
  return text + "end\n";
}
bool isWholeVersion(const std::string& bytes) { return bytes.size() > 1 && bytes == version(std::atoi(bytes.c_str() + 1)); }

mode_t currentUmask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

mode_t modeOf(const std::string& file) {
  struct stat info {};
  return ::lstat(file.c_str(), &info) == 0 ? info.st_mode : 0;
}

void writeOrDie(const std::string& file, const std::string& bytes) {
  if (!writeFileAtomically(file, bytes).ok()) std::abort();
}

TEST_F(FilesTest, WritesReplaceWholeKeepingTheModeAndFollowingLinks) {
  const std::string a = path("a.csv"), b = path("b.pdf");
  ASSERT_TRUE(writeFileAtomically(a, version(1)).ok());
  EXPECT_EQ(modeOf(a) & 0777, 0666 & ~currentUmask());
  ::chmod(a.c_str(), 0640);
  std::filesystem::create_symlink("a.csv", path("link"));
  ASSERT_TRUE(writeFileAtomically(path("link"), version(2)).ok());
  EXPECT_TRUE(bytesOf(a) == version(2) && (modeOf(a) & 0777) == 0640 && S_ISLNK(modeOf(path("link"))));

  ASSERT_TRUE(writeViaTemporary(b, [](const std::string& temporary) {
    std::ofstream(temporary, std::ios::binary) << version(3);
    return std::optional<std::string>();
  }).ok());
  const struct { std::optional<std::string> error; std::string reason; } failures[] = {
      {"the writer gave up", "the writer gave up"}, {std::nullopt, "nothing was written"}};
  for (const auto& f : failures)
    EXPECT_EQ(writeViaTemporary(b, [&f](const std::string&) { return f.error; }).error,
              "cannot write " + quoteText(b) + ": " + f.reason);
  EXPECT_EQ(bytesOf(b), version(3));
  EXPECT_EQ(entries(dir), (std::set<std::string>{"a.csv", "b.pdf", "link"}));
}

// In the child: a tmpfs on `folder`, in a mount namespace of the child's own (as a user
// other than root, in a user namespace of its own too, where it is root).
std::string mountSmallTmpfs(const std::string& folder) {
  const uid_t uid = ::geteuid();
  const gid_t gid = ::getegid();
  if (::unshare(uid == 0 ? CLONE_NEWNS : CLONE_NEWNS | CLONE_NEWUSER) != 0)
    return std::string("SKIP: no mount namespace here (") + std::strerror(errno) + ")";
  if (uid != 0) {
    std::ofstream("/proc/self/setgroups") << "deny";
    std::ofstream("/proc/self/uid_map") << "0 " << uid << " 1";
    std::ofstream("/proc/self/gid_map") << "0 " << gid << " 1";
  }
  ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
  if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=8k") != 0)
    return std::string("SKIP: cannot mount a tmpfs here (") + std::strerror(errno) + ")";
  return std::string();
}

enum class Needs { kNothing, kMount, kNotRoot };

TEST_F(FilesTest, AFailedWriteLeavesTheOldFileAndNoTemporaryFile) {
  const struct Case {
    const char* what;
    Needs needs;
    std::function<void(const std::string& target)> set;  // after the old file is in place
    std::string reason;
    bool atOnce = true;  // checkWriteTarget says so before a byte is written
  } cases[] = {
      {"file-size limit", Needs::kNothing, [](const std::string&) {
         const rlimit limit{4096, 4096};
         ::setrlimit(RLIMIT_FSIZE, &limit);
       }, "File too large", false},
      {"full disk", Needs::kMount, [](const std::string&) {}, "No space left on device", false},
      {"read-only file system", Needs::kMount, [](const std::string& target) {
         ::mount(nullptr, std::filesystem::path(target).parent_path().c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr);
       }, "Read-only file system"},
      {"read-only folder", Needs::kNotRoot, [](const std::string& target) {
         ::chmod(std::filesystem::path(target).parent_path().c_str(), 0555);
       }, "Permission denied"},
      {"pipe", Needs::kNothing, [](const std::string& target) { ::unlink(target.c_str()), ::mkfifo(target.c_str(), 0600); },
       "it is a pipe, not a file"},
      {"device", Needs::kMount, [](const std::string& target) {
         ::mount("/dev/full", target.c_str(), nullptr, MS_BIND, nullptr);
       }, "it is a device, not a file"},
      {"folder", Needs::kNothing, [](const std::string& target) {
         ::unlink(target.c_str()), ::mkdir(target.c_str(), 0700);
       }, "it is a folder"},
      {"missing folder", Needs::kNothing, [](const std::string& target) {
         std::filesystem::remove_all(std::filesystem::path(target).parent_path());
       }, "No such file or directory"},
  };
  const std::string folder = path("out"), target = folder + "/sheet.pdf", bigger = version(12) + version(12);
  for (const Case& c : cases) {
    std::filesystem::create_directories(folder);
    const std::string report = inChild([&] {
      if (c.needs == Needs::kNotRoot && ::geteuid() == 0)
        return std::string("SKIP: root passes permission checks (run the tests as another user for this case)");
      if (c.needs == Needs::kMount)
        if (std::string skip = mountSmallTmpfs(folder); !skip.empty()) return skip;
      writeOrDie(target, version(0));
      c.set(target);
      const mode_t mode = modeOf(target);
      const std::set<std::string> before = entries(folder);
      const WriteResult result = writeFileAtomically(target, bigger);
      std::string wrong;
      if (checkWriteTarget(target).error != (c.atOnce ? result.error : "")) wrong += "the look before differs\n";
      if (result.error != "cannot write " + quoteText(target) + ": " + c.reason) wrong += "said: " + result.error + "\n";
      if (modeOf(target) != mode || (S_ISREG(mode) && bytesOf(target) != version(0))) wrong += "the old file changed\n";
      if (entries(folder) != before) wrong += "the folder holds other files now\n";
      return wrong;
    });
    if (report.rfind("SKIP: ", 0) == 0)
      std::printf("not run: the %s case (%s)\n", c.what, report.c_str() + 6);
    else
      EXPECT_EQ(report, "") << c.what;
    std::error_code ignored;
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(folder, ignored);
  }
}

extern "C" void endOnInterrupt(int) {
  removeUnfinishedTemporaryFiles();
  ::_exit(130);
}

// A child rewrites the file again and again until Ctrl+C (whose handler removes its
// temporary file) or SIGKILL ends it at a random moment.
TEST_F(FilesTest, AProcessEndedAtAnyMomentLeavesAWholeFile) {
  const std::string target = path("sheet.pdf");
  writeOrDie(target, version(0));
  std::mt19937 random(20240601);
  sigset_t interrupt, old;
  sigemptyset(&interrupt);
  sigaddset(&interrupt, SIGINT);
  for (int round = 0; round < 200; ++round) {
    ::sigprocmask(SIG_BLOCK, &interrupt, &old);
    const pid_t child = ::fork();
    if (child == 0) {
      std::signal(SIGINT, endOnInterrupt);
      ::sigprocmask(SIG_SETMASK, &old, nullptr);
      for (int k = 1;; ++k) writeOrDie(target, version(k));
    }
    ::sigprocmask(SIG_SETMASK, &old, nullptr);
    ::usleep(std::uniform_int_distribution<unsigned>(0, 4000)(random));
    const int sent = round % 2 ? SIGKILL : SIGINT;
    ::kill(child, sent);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(isWholeVersion(bytesOf(target))) << "round " << round << ": " << bytesOf(target).size() << " bytes";
    const bool onlyTarget = entries(dir) == std::set<std::string>{"sheet.pdf"};
    ASSERT_TRUE(onlyTarget || sent == SIGKILL) << "round " << round << ": Ctrl+C left a temporary file";
    for (const std::string& name : entries(dir)) {
      if (name != "sheet.pdf") std::filesystem::remove(path(name));
    }
  }
}

}  // namespace
}  // namespace hobwise
