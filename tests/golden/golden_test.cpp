// The engine against known answers: the results of an independent implementation
// (the literal 100-digit algorithm) for two jobs, kept in ../shared/golden, result for
// result: the gears and the texts the window shows. With the shortcuts and without.
#include <gtest/gtest.h>

#include <boost/property_tree/json_parser.hpp>
#include <boost/property_tree/ptree.hpp>
#include <filesystem>
#include <thread>

#include "model/gear_stock.h"
#include "model/job.h"
#include "results/results.h"
#include "solver/solver.h"

namespace hobwise {
namespace {

using Tree = boost::property_tree::ptree;

// The jobs of the golden files, as the files' README gives them.
JobInputs leftHandJob() {
  JobInputs in;
  in.indexConstant = "24", in.feedConstant = "16", in.feedRate = "0.020", in.helixAngle = "30";
  in.normalPitch = "10", in.teeth = "45", in.hobThreads = "1", in.setupIndex = 4;
  return in;
}

Tree goldenFile(const char* name) {
  const std::filesystem::path path = std::filesystem::path(HOBWISE_GOLDEN_DIR) / name;
  Tree tree;
  boost::property_tree::read_json(path.string(), tree);  // throws (and the test fails) when it is missing
  return tree;
}

std::vector<int> numbersOf(const Tree& array) {
  std::vector<int> out;
  for (const auto& [key, item] : array) out.push_back(item.get_value<int>());
  return out;
}

std::vector<int> numbersOf(const std::array<std::string, 8>& gears, std::size_t first) {
  std::vector<int> out;
  for (std::size_t k = first; k < first + 4; ++k) out.push_back(std::stoi(gears[k]));
  return out;
}

TEST(Golden, ExampleAndLeftHandJobsGiveTheKnownResults) {
  ASSERT_TRUE(std::filesystem::is_directory(HOBWISE_GOLDEN_DIR)) << "no golden files in " << HOBWISE_GOLDEN_DIR;
  const struct {
    const char* file;
    JobInputs job;
  } jobs[] = {{"example-job.json", exampleJobInputs()}, {"left-hand-job.json", leftHandJob()}};
  for (const auto& [file, job] : jobs) {
    const Tree golden = goldenFile(file);
    const Tree& expected = golden.get_child("results");
    ASSERT_GT(expected.size(), 0u) << file;
    for (bool exact : {false, true}) {
      const std::string what = std::string(file) + (exact ? " (exact)" : "");
      SolveOptions options;
      options.exact = exact;
      options.processors = std::max(2u, std::thread::hardware_concurrency());
      const SolveReport report = solve(job, GearStock::defaultStock(), options);
      ASSERT_EQ(report.results.size(), golden.get<std::size_t>("count")) << what;
      ASSERT_EQ(report.results.size(), expected.size()) << what;
      std::size_t k = 0;
      for (const auto& [key, want] : expected) {
        const FoundResult& r = report.results[k];
        const ResultTexts texts = resultTextsForJob(job, r, exact);
        const std::string at = what + ", result " + std::to_string(++k);
        EXPECT_EQ(numbersOf(texts.gears, 0), numbersOf(want.get_child("index"))) << at;
        EXPECT_EQ(numbersOf(texts.gears, 4), numbersOf(want.get_child("feed"))) << at;
        EXPECT_EQ(texts.status, want.get<std::string>("c")) << at;
        EXPECT_EQ(texts.feedError, want.get<std::string>("feedError")) << at;
        EXPECT_EQ(texts.feedLine, want.get<std::string>("feedLine")) << at;
        EXPECT_EQ(texts.leadLine, want.get<std::string>("leadLine")) << at;
      }
    }
  }
}

}  // namespace
}  // namespace hobwise
