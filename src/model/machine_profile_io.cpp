// Machine profile files on the disk (native builds; the page parses the bytes the
// browser gives).
#include "model/file_io.h"
#include "model/machine_profile.h"
#include "model/plain_text.h"

namespace hobwise {

MachineProfileResult readMachineProfileFile(const std::string& path) {
  const FileRead file = readWholeFile(path, kMachineProfileMaxBytes);
  if (!file.ok()) return file.tooLarge ? file.error + ", so no machine profile" : file.error;
  MachineProfileResult result = parseMachineProfile(file.bytes);
  if (auto* message = std::get_if<std::string>(&result)) *message = quoteText(path, Keep::kEnd) + ": " + *message;
  return result;
}

std::string writeMachineProfileFile(const std::string& path, const MachineProfile& profile) {
  return writeFileAtomically(path, machineProfileText(profile)).error;
}

}  // namespace hobwise
