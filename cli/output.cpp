#include "output.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include <QGuiApplication>
#include <QString>

#include "options.h"
#include "report/sheet.h"
#include "report/sheet_inputs.h"
#include "report/sheet_painter.h"
#include "results/result_json.h"
#include "results/result_rows.h"
#include "results/results.h"
#include "results/train_check.h"

namespace hobwise::cli {

namespace {

std::string padded(const std::string& text, std::size_t width) {
  return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

}  // namespace

void printListing(const JobInputs& in, const SolveReport& report, int count, bool stopped) {
  std::ostringstream out;
  const std::size_t total = report.results.size();
  out << (stopped ? "Stopped early: " : "") << total << (total == 1 ? " result" : " results") << " from "
      << report.cConstantCount << (report.cConstantCount == 1 ? " C constant" : " C constants");
  if (total > 0 && static_cast<std::size_t>(count) < total) out << ", the first " << count << " shown";
  out << "\n";
  const std::size_t shown = std::min<std::size_t>(total, static_cast<std::size_t>(count));
  for (std::size_t k = 0; k < shown; ++k)
    out << "\nResult " << (k + 1) << " of " << total << "\n" << resultBlock(resultTextsForJob(in, report.results[k]));
  if (total < 200) {
    const StageCounts& s = report.stages;
    out << "\nStages: " << s.indexTrains << " index trains in the feed band, " << s.inStock << " in stock, "
        << s.cConstants << " C constants, " << s.feedTrains << " feed trains, " << s.feedTest
        << " pass the feed test, " << s.kept << " kept\n";
  }
  std::fputs(out.str().c_str(), stdout);
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

void printJson(const JobInputs& in, const SolveReport& report) {
  const QByteArray text = reportJsonText(reportJson(in, report));
  std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stdout);
}

int writeSheet(const JobInputs& in, const SolveReport& report, int number, const std::string& file, bool quiet) {
  if (static_cast<std::size_t>(number) > report.results.size()) {
    std::fprintf(stderr, "hobwise-solve: --result: there is no result %d (the job has %zu)\n", number,
                 report.results.size());
    return kBadInput;
  }
  const FoundResult& result = report.results[static_cast<std::size_t>(number) - 1];
  return writeSheetFile(sheetInputsFor(in, resultTextsForJob(in, result)), file,
                        quiet ? std::string() : "result " + std::to_string(number));
}

int writeSheetFile(const SheetInputs& sheet, const std::string& file, const std::string& what) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  int qtArgc = 1;
  char name[] = "hobwise-solve";
  char* qtArgv[] = {name, nullptr};
  QGuiApplication app(qtArgc, qtArgv);
  if (!writeSheetPdf(sheet, QString::fromLocal8Bit(file.c_str()))) {
    std::fprintf(stderr, "hobwise-solve: --sheet: cannot write \"%s\"\n", file.c_str());
    return 1;
  }
  if (!what.empty()) std::printf("\nSet-up sheet of %s written to %s\n", what.c_str(), file.c_str());
  return 0;
}

void printCsv(const JobInputs& in, const SolveReport& report) {
  std::fputs(csvText(resultRows(in, report.results)).c_str(), stdout);
}

}  // namespace hobwise::cli
