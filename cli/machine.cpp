#include "machine.h"

namespace hobwise::cli {

std::optional<MachineProfile> machineOf(Options& o, Io& io) {
  if (o.mountable && !o.machine) throw BadInput{"--mountable: only with --machine FILE (the machine to mount on)"};
  if (!o.machine) return std::nullopt;
  MachineProfileResult read = io.readMachineFile(*o.machine);
  if (const auto* message = std::get_if<std::string>(&read)) throw BadInput{"--machine: " + *message};
  MachineProfile machine = std::move(std::get<MachineProfile>(read));
  if (!machine.indexConstant.empty()) o.texts.emplace("--index-constant", machine.indexConstant);
  if (!machine.feedConstant.empty()) o.texts.emplace("--feed-constant", machine.feedConstant);
  if (!machine.stock.empty() && !o.stock && !o.stockFile) o.stock = machine.stock;
  return machine;
}

std::string mountListing(const MachineProfile& machine, int setupIndex, const FoundResult& result) {
  std::string out;
  for (const std::string& line : mountLines(mountOf(machine, setupIndex, result), machine)) out += "  " + line + "\n";
  return out;
}

std::string withMount(std::string resultObject, const MachineProfile& machine, int setupIndex,
                      const FoundResult& result) {
  if (resultObject.empty()) return resultObject;
  resultObject.insert(resultObject.size() - 1,
                      ", \"mount\": " + mountJson(mountOf(machine, setupIndex, result), machine));
  return resultObject;
}

}  // namespace hobwise::cli
