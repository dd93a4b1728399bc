#include "ui/change_gears_page.h"

#include <QFont>

#include "hobwise/stock.h"
#include "ui/controls.h"
#include "ui/widgets.h"

namespace hobwise::ui {

void createChangeGearsPage(Controls& controls, QWidget* client, const QFont& font, const std::string& gearStockText) {
  // Unusable or missing counts show as 0; everything else of the text is kept.
  const GearStock stock = GearStock::fromText(gearStockText);
  for (int i = 0; i < kToothCountKinds; ++i) {
    const int x = 20 + 75 * (i / 14);
    const int y = 35 + 30 * (i % 14);
    const int teeth = kFirstToothCount + i;

    auto* count = new NumberDisplay(client);
    count->setRawText(QString::number(stock.count(teeth)));
    count->setAlignment(Qt::AlignCenter);
    count->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    count->setLineWidth(1);
    count->setFont(font);
    count->setGeometry(x, y, 15, 22);
    count->hide();
    controls.add(5000 + i, count);

    auto* upDown = new UpDown(Qt::Vertical, client);
    upDown->setGeometry(x + 16, y, 15, 22);
    upDown->hide();
    controls.add(5200 + i, upDown);

    auto* label = new StaticText(client);
    label->setRawText(QString::number(teeth));
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setFont(font);
    label->setGeometry(x + 32, y, 30, 22);
    label->hide();
    controls.add(5400 + i, label);

    upDown->setBuddy(count);
    upDown->setRange(0, kMaxGearCount);
  }
}

void setChangeGearsPageVisible(Controls& controls, bool visible) {
  for (int i = 0; i < kToothCountKinds; ++i)
    for (int base : {5000, 5200, 5400}) controls.setVisible(base + i, visible);
}

}  // namespace hobwise::ui
