#include "results/result_json.h"

#include <initializer_list>

#include <QJsonArray>
#include <QJsonDocument>
#include <QString>

namespace hobwise {

namespace {

// QJsonObject keeps its keys sorted, and QJsonDocument writes either everything on
// one line without spaces or everything indented. The layout of this JSON is an
// interface, so the objects are written here, key by key ("count" and "results" of
// the report, and of a result in this order); QJsonDocument still writes every single
// value (numbers and escaped texts).
const std::initializer_list<const char*> kResultKeys = {"index", "feed", "c", "feedError", "feedLine", "leadLine"};

// The stage counts of a run, in this order.
const std::initializer_list<const char*> kStageKeys = {"indexTrains", "inStock", "cConstants",
                                                       "feedTrains",  "feedTest", "kept"};

QByteArray scalarText(const QJsonValue& value) {
  const QByteArray wrapped = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
  return wrapped.mid(1, wrapped.size() - 2);  // without the array's brackets
}

QByteArray valueText(const QJsonValue& value) {
  if (value.isArray()) {
    QByteArray out = "[";
    const QJsonArray items = value.toArray();
    for (qsizetype i = 0; i < items.size(); ++i) out += (i == 0 ? "" : ", ") + valueText(items[i]);
    return out + "]";
  }
  if (value.isObject()) {
    QByteArray out = "{";
    const QJsonObject object = value.toObject();
    bool first = true;
    for (const char* key : kResultKeys) {
      if (!object.contains(QLatin1String(key))) continue;
      out += (first ? "" : ", ") + scalarText(QString::fromLatin1(key)) + ": " + valueText(object[QLatin1String(key)]);
      first = false;
    }
    return out + "}";
  }
  return scalarText(value);
}

}  // namespace

QJsonObject resultJson(const ResultTexts& texts) {
  auto train = [&texts](std::size_t first) {
    QJsonArray gears;
    for (std::size_t i = first; i < first + 4; ++i) gears.append(QString::fromStdString(texts.gears[i]).toInt());
    return gears;
  };
  QJsonObject result;
  result[QLatin1String("index")] = train(0);
  result[QLatin1String("feed")] = train(4);
  result[QLatin1String("c")] = QString::fromStdString(texts.status);
  result[QLatin1String("feedError")] = QString::fromStdString(texts.feedError);
  result[QLatin1String("feedLine")] = QString::fromStdString(texts.feedLine);
  result[QLatin1String("leadLine")] = QString::fromStdString(texts.leadLine);
  return result;
}

QJsonObject reportJson(const JobInputs& inputs, const SolveReport& report) {
  QJsonArray results;
  for (const FoundResult& r : report.results) results.append(resultJson(resultTextsForJob(inputs, r)));
  QJsonObject out;
  out[QLatin1String("count")] = static_cast<qint64>(report.results.size());
  out[QLatin1String("results")] = results;
  const StageCounts& s = report.stages;
  const std::size_t counts[] = {s.indexTrains, s.inStock, s.cConstants, s.feedTrains, s.feedTest, s.kept};
  QJsonObject stages;
  std::size_t k = 0;
  for (const char* key : kStageKeys) stages[QLatin1String(key)] = static_cast<qint64>(counts[k++]);
  out[QLatin1String("stages")] = stages;
  return out;
}

QByteArray jsonText(const QJsonValue& value) { return valueText(value); }

QByteArray reportJsonText(const QJsonObject& report) {
  const QJsonArray results = report[QLatin1String("results")].toArray();
  QByteArray out = "{\"count\": " + valueText(report[QLatin1String("count")]) + ", \"results\": [";
  for (qsizetype k = 0; k < results.size(); ++k) out += (k == 0 ? "\n  " : ",\n  ") + valueText(results[k]);
  out += results.isEmpty() ? "]" : "\n]";
  const QJsonObject stages = report[QLatin1String("stages")].toObject();
  out += ", \"stages\": {";
  bool first = true;
  for (const char* key : kStageKeys) {
    out += (first ? "" : ", ") + scalarText(QString::fromLatin1(key)) + ": " + valueText(stages[QLatin1String(key)]);
    first = false;
  }
  return out + "}}\n";
}

}  // namespace hobwise
