#include "model/internal/text_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace hobwise {

std::string readTextFile(const std::string& path, std::size_t maxBytes, const std::string& what, std::string& text) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) return "cannot read " + path + ": it is a folder";
  std::ifstream in(path, std::ios::binary);
  if (!in) return "cannot read " + path + ": " + std::strerror(errno);
  text.assign(maxBytes + 1, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (in.bad()) return "cannot read " + path + ": " + std::strerror(errno);
  text.resize(static_cast<std::size_t>(in.gcount()));
  if (text.size() > maxBytes)
    return "cannot read " + path + ": larger than " + std::to_string(maxBytes / 1024) + " KiB, so no " + what;
  return {};
}

std::string replaceTextFile(const std::string& path, const std::string& text) {
  const std::string temporary = path + ".part";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return "cannot write " + path + ": " + std::strerror(errno);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) {
      const std::string reason = std::strerror(errno);
      std::remove(temporary.c_str());
      return "cannot write " + path + ": " + reason;
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (error) {
    std::remove(temporary.c_str());
    return "cannot write " + path + ": " + error.message();
  }
  return {};
}

}  // namespace hobwise
