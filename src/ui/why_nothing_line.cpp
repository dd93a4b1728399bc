#include "ui/why_nothing_line.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace hobwise::ui {

WhyNothingLine::WhyNothingLine(QWidget* client, QWidget* resultLabel, std::function<void()> openAdvisor)
    : QWidget(client), label_(new QLabel(this)), button_(new QPushButton(QStringLiteral("Suggest Gears to Buy ..."), this)) {
  setObjectName(QStringLiteral("whyNothing"));
  button_->setFocusPolicy(Qt::NoFocus);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(label_);
  layout->addSpacing(12);
  layout->addWidget(button_);
  layout->addStretch(1);
  setGeometry(16, 265, 880, 24);  // the place of the lead line, empty while there is no result
  hide();
  connect(button_, &QPushButton::clicked, this, [openAdvisor] { openAdvisor(); });
  if (resultLabel) resultLabel->installEventFilter(this);
}

void WhyNothingLine::showText(const QString& text, bool offerAdvisor) {
  label_->setText(text);
  button_->setVisible(offerAdvisor);
  setVisible(!text.isEmpty());
  if (!text.isEmpty()) raise();
}

QString WhyNothingLine::text() const { return isHidden() ? QString() : label_->text(); }

bool WhyNothingLine::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::Hide) showText(QString());
  return QWidget::eventFilter(watched, e);
}

}  // namespace hobwise::ui
