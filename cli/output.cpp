#include "output.h"

#include <algorithm>
#include <sstream>

#include "hobwise/files.h"
#include "machine.h"
#include "options.h"

namespace hobwise::cli {

namespace {

std::string padded(const std::string& text, std::size_t width) {
  return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

}  // namespace

std::string listingText(const JobInputs& in, const SolveReport& report, int count, bool stopped, bool exact,
                        const MachineProfile* machine) {
  std::ostringstream out;
  const std::size_t total = report.results.size();
  out << (stopped ? "Stopped early: " : "") << total << (total == 1 ? " result" : " results") << " from "
      << report.cConstantCount << (report.cConstantCount == 1 ? " C constant" : " C constants");
  if (total > 0 && static_cast<std::size_t>(count) < total) out << ", the first " << count << " shown";
  out << "\n";
  const std::size_t shown = std::min<std::size_t>(total, static_cast<std::size_t>(count));
  for (std::size_t k = 0; k < shown; ++k) {
    out << "\nResult " << (k + 1) << " of " << total << "\n" << resultBlock(resultTextsOf(in, report.results[k], exact));
    if (machine) out << mountListing(*machine, in.setupIndex, report.results[k]);
  }
  if (total < 200) {
    const StageCounts& s = report.stages;
    out << "\nStages: " << s.indexTrains << " index trains in the feed band, " << s.inStock << " in stock, "
        << s.cConstants << " C constants, " << s.feedTrains << " feed trains, " << s.feedTest
        << " pass the feed test, " << s.kept << " kept\n";
  }
  return out.str();
}

std::string resultBlock(const ResultTexts& t) {
  std::ostringstream out;
  const std::string indexTop = t.gears[0] + " x " + t.gears[1];
  const std::string indexBottom = t.gears[2] + " x " + t.gears[3];
  const std::string feedTop = t.gears[4] + " x " + t.gears[5];
  const std::string feedBottom = t.gears[6] + " x " + t.gears[7];
  const std::size_t width = std::max(indexTop.size(), indexBottom.size());
  const std::size_t feedWidth = std::max(feedTop.size(), feedBottom.size());
  out << "  Index Change-Gears: " << padded(indexTop, width) << "    Feed Change-Gears: " << feedTop << "\n";
  out << "                      " << std::string(width, '-') << "                       "
      << std::string(feedWidth, '-') << "\n";
  out << "                      " << padded(indexBottom, width) << "                       " << feedBottom << "\n";
  out << "  " << (t.status.empty() ? std::string("C: (no fraction below 10000)") : t.status) << "\n";
  out << "  " << t.indexError << "\n";
  out << "  " << t.feedError << "\n";
  std::string feedLine = t.feedLine;
  if (const auto br = feedLine.find("   \r\n"); br != std::string::npos) feedLine.replace(br, 5, "\n  ");
  out << "  " << feedLine << "\n";
  out << "  " << t.leadLine << "\n";
  return out.str();
}

int writeSheet(const JobInputs& in, const SolveReport& report, std::optional<int> number, const std::string& file,
               bool quiet, bool exact, Io& io, const MachineProfile* machine) {
  const std::size_t kept = report.results.size();
  if (!number && kept == 0) {
    io.err("hobwise-solve: --sheet: the run kept no result, so no sheet was written\n");
    return kBadInput;
  }
  const int k = number.value_or(1);
  if (static_cast<std::size_t>(k) > kept) {
    io.err("hobwise-solve: --result: there is no result " + std::to_string(k) + " (the job has " + std::to_string(kept) +
           ")\n");
    return kBadInput;
  }
  const FoundResult& result = report.results[static_cast<std::size_t>(k) - 1];
  SheetInputs sheet = sheetInputsOf(in, resultTextsOf(in, result, exact));
  if (machine) addMountToSheet(sheet, mountOf(*machine, in.setupIndex, result), *machine);
  return writeSheetFile(sheet, file,
                        quiet ? std::string() : "result " + std::to_string(k), io);
}

int writeSheetFile(const SheetInputs& sheet, const std::string& file, const std::string& what, Io& io) {
  if (const std::string error = io.writeSheet(sheet, file); !error.empty()) {
    io.err("hobwise-solve: --sheet: " + error + "\n");
    return kBadInput;
  }
  // The name as it was given, quoted only when it holds what a terminal should not see.
  if (!what.empty()) io.out("\nSet-up sheet of " + what + " written to " + bareOrQuoted(file, Keep::kEnd) + "\n");
  return 0;
}

}  // namespace hobwise::cli
