#include "results/result_rows.h"

#include <string_view>

namespace hobwise {

const std::array<std::string, kResultColumnCount> kResultColumnHeaders = {
    "Result",           "Index Gears",       "Feed Gears",  "C Constant", "Index Error",
    "Feed Error",       "Actual Feed Rate",  "Feed Rate along Helix Angle",
    "Theoretical Lead", "Lead from Gearing", "Lead Error"};

namespace {

// The piece of `text` that follows `label` and ends before `end` (at the end of the
// text when `end` is empty); empty when either is missing.
std::string between(std::string_view text, std::string_view label, std::string_view end) {
  const std::size_t start = text.find(label);
  if (start == std::string_view::npos) return std::string();
  text.remove_prefix(start + label.size());
  if (end.empty()) return std::string(text);
  const std::size_t stop = text.find(end);
  return stop == std::string_view::npos ? std::string() : std::string(text.substr(0, stop));
}

// " × " in UTF-8.
constexpr std::string_view kTimes = " \xC3\x97 ";

std::string train(const std::string& a, const std::string& b, const std::string& c, const std::string& d) {
  return a + std::string(kTimes) + b + " / " + c + std::string(kTimes) + d;
}

}  // namespace

ResultRow resultRow(int number, const ResultTexts& t) {
  ResultRow row;
  row[kNumberColumn] = std::to_string(number);
  row[kIndexGearsColumn] = train(t.gears[0], t.gears[1], t.gears[2], t.gears[3]);
  row[kFeedGearsColumn] = train(t.gears[4], t.gears[5], t.gears[6], t.gears[7]);
  row[kCConstantColumn] = between(t.status, "C: ", "");
  row[kIndexErrorColumn] = between(t.indexError, "Index Error: ", "");
  row[kFeedErrorColumn] = between(t.feedError, "Feed Error: ", "");
  row[kActualFeedColumn] = between(t.feedLine, "Actual Feed Rate: ", "   \r\n");
  row[kHelixFeedColumn] = between(t.feedLine, "\r\nFeed Rate along Helix Angle: ", "");
  row[kTheoreticalLeadColumn] = between(t.leadLine, "Theoretical Lead: ", " Lead from Gearing: ");
  row[kGearingLeadColumn] = between(t.leadLine, " Lead from Gearing: ", " (Error: ");
  row[kLeadErrorColumn] = between(t.leadLine, " (Error: ", ")");
  return row;
}

std::vector<ResultRow> resultRows(const JobInputs& inputs, const std::vector<FoundResult>& results) {
  const std::vector<ResultTexts> texts = resultTextsForJob(inputs, results);
  std::vector<ResultRow> rows;
  rows.reserve(texts.size());
  for (std::size_t k = 0; k < texts.size(); ++k) rows.push_back(resultRow(static_cast<int>(k) + 1, texts[k]));
  return rows;
}

namespace {

std::string csvField(const std::string& field) {
  if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
  std::string out = "\"";
  for (char c : field) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string tabField(std::string field) {
  for (char& c : field)
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  return field;
}

template <class Field>
std::string joined(const std::vector<ResultRow>& rows, char separator, Field field) {
  std::string out;
  auto line = [&](const auto& cells) {
    for (std::size_t i = 0; i < cells.size(); ++i) {
      if (i > 0) out += separator;
      out += field(cells[i]);
    }
    out += '\n';
  };
  line(kResultColumnHeaders);
  for (const ResultRow& row : rows) line(row);
  return out;
}

}  // namespace

std::string csvText(const std::vector<ResultRow>& rows) { return joined(rows, ',', csvField); }

std::string tabText(const std::vector<ResultRow>& rows) { return joined(rows, '\t', tabField); }

}  // namespace hobwise
