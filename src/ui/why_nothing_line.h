#pragma once
// The line that says, in the empty result area of the Main page, where a solve run
// that kept no result ran dry, with the gear advisor one click away beside it. It is
// no control of the pages (it has no identifier): it belongs to the result group and
// goes whenever the "Result:" label (1020) goes, as with every ClearResults.
#include <functional>

#include <QWidget>

class QLabel;
class QPushButton;

namespace hobwise::ui {

class WhyNothingLine : public QWidget {
  Q_OBJECT
 public:
  // `resultLabel` is the "Result:" label; `openAdvisor` runs the advisor's command.
  WhyNothingLine(QWidget* client, QWidget* resultLabel, std::function<void()> openAdvisor);

  // Empty: the line goes. `offerAdvisor`: the advisor's button shows beside the text
  // (not for a job that cannot be solved, nor for a stock that holds 7 of every tooth
  // count, where the advisor has nothing to try).
  void showText(const QString& text, bool offerAdvisor = true);
  QString text() const;
  QPushButton* advisorButton() const { return button_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  QLabel* label_;
  QPushButton* button_;
};

}  // namespace hobwise::ui
