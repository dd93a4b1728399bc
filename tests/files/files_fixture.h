#pragma once
// A fresh folder per test, and a child process for what must not touch the test
// process: a mount namespace, a file-size limit, something that might block.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>

namespace hobwise {

class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = (std::filesystem::temp_directory_path() / ("hobwise_files_" + std::to_string(::getpid()))).string();
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::permissions(dir, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(dir, ignored);
  }

  std::string path(const std::string& name) const { return dir + "/" + name; }

  static std::string bytesOf(const std::string& file) {
    std::ostringstream out;
    out << std::ifstream(file, std::ios::binary).rdbuf();
    return out.str();
  }

  // The names in a folder: a write leaves nothing but its target there.
  static std::set<std::string> entries(const std::string& folder) {
    std::set<std::string> names;
    std::error_code ignored;
    for (const auto& e : std::filesystem::directory_iterator(folder, ignored)) names.insert(e.path().filename().string());
    return names;
  }

  // Runs `body` in a child process that may take at most `seconds`, and returns what it
  // returned ("" when all was well, "SKIP: why", or what went wrong), or how it ended.
  static std::string inChild(const std::function<std::string()>& body, unsigned seconds = 30) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) return "no pipe";
    std::fflush(nullptr);  // or the child may print what is waiting in the buffers again
    const pid_t child = ::fork();
    if (child == 0) {
      ::close(pipeEnds[0]);
      ::alarm(seconds);
      const std::string report = body();
      (void)!::write(pipeEnds[1], report.data(), report.size());
      ::_exit(0);
    }
    ::close(pipeEnds[1]);
    std::string report;
    char buffer[4096];
    for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;) report.append(buffer, static_cast<std::size_t>(got));
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFSIGNALED(status)) report += "the child was ended by signal " + std::to_string(WTERMSIG(status));
    return report;
  }

  std::string dir;
};

}  // namespace hobwise
