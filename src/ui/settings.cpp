#include "ui/settings.h"

#include <QSettings>

#include "hobwise/fields.h"
#include "hobwise/stock.h"
#include "ui/controls.h"

namespace hobwise::ui {

namespace {
const QString kIndexConstantKey = QStringLiteral("Index constant");
const QString kFeedConstantKey = QStringLiteral("Feed constant");
const QString kFeedRateKey = QStringLiteral("Feed rate");
const QString kChangeGearsKey = QStringLiteral("Change gears");
// The length limits of the three stored fields.
const std::size_t kIndexConstantLimit = fieldRule(2001)->limit;
const std::size_t kFeedConstantLimit = fieldRule(2002)->limit;
const std::size_t kFeedRateLimit = fieldRule(2007)->limit;
}  // namespace

void loadSettings(Controls& controls, std::string& gearStockText) {
  QSettings settings(QStringLiteral("Quillmar"), QStringLiteral("1"));
  if (settings.contains(kChangeGearsKey)) {
    // The stored text takes the place of the default; a longer one is cut to what the
    // stock text can hold.
    gearStockText = settings.value(kChangeGearsKey).toString().toStdString().substr(0, 155);
  }
  const struct { const QString& key; int id; int limit; } fields[] = {
      {kIndexConstantKey, 2001, static_cast<int>(kIndexConstantLimit)},
      {kFeedConstantKey, 2002, static_cast<int>(kFeedConstantLimit)},
      {kFeedRateKey, 2007, static_cast<int>(kFeedRateLimit)}};
  for (const auto& f : fields) {
    if (settings.contains(f.key)) controls.setText(f.id, settings.value(f.key).toString().left(f.limit));
  }
}

void saveSettings(const Controls& controls) {
  QSettings settings(QStringLiteral("Quillmar"), QStringLiteral("1"));
  settings.setValue(kIndexConstantKey, controls.text(2001).left(static_cast<int>(kIndexConstantLimit)));
  settings.setValue(kFeedConstantKey, controls.text(2002).left(static_cast<int>(kFeedConstantLimit)));
  settings.setValue(kFeedRateKey, controls.text(2007).left(static_cast<int>(kFeedRateLimit)));
  QString stock;
  for (int i = 0; i < kToothCountKinds; ++i) stock += controls.text(5000 + i).left(1);
  settings.setValue(kChangeGearsKey, stock);
  settings.sync();
}

}  // namespace hobwise::ui
