#include "hobwise/results.h"

namespace hobwise {

ResultTexts resultTextsOf(const JobInputs& inputs, const FoundResult& result, bool exact) {
  if (const std::optional<ResultEvaluation> ev = EvaluateResult(inputs, result, exact)) return resultTexts(result, *ev);
  ResultTexts texts;
  texts.gears = gearTexts(result);
  return texts;
}

std::vector<ResultTexts> resultTextsOf(const JobInputs& inputs, const std::vector<FoundResult>& results, bool exact) {
  return resultTextsForJob(inputs, results, exact);
}

ResultRow resultRowOf(int number, const ResultTexts& texts) { return resultRow(number, texts); }

std::vector<ResultRow> resultRowsOf(const JobInputs& inputs, const std::vector<FoundResult>& results, bool exact) {
  const std::vector<ResultTexts> texts = resultTextsOf(inputs, results, exact);
  std::vector<ResultRow> rows;
  rows.reserve(texts.size());
  for (std::size_t k = 0; k < texts.size(); ++k) rows.push_back(resultRow(static_cast<int>(k) + 1, texts[k]));
  return rows;
}

std::string resultsCsv(const std::vector<ResultRow>& rows) { return csvText(rows); }

std::string resultsTabText(const std::vector<ResultRow>& rows) { return tabText(rows); }

GeometryReadouts geometryReadoutsOf(const std::string& teethText, const std::string& normalPitchText,
                                    const std::string& helixAngleText) {
  return geometryReadouts(teethText, normalPitchText, helixAngleText);
}

}  // namespace hobwise
