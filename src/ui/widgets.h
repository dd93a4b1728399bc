#pragma once
// The small widgets the window is built from: the number fields that take only
// unsigned decimals, the number displays that up-downs write into, the two-arrow
// up-down, and the set-up list drawn in columns.
#include <functional>
#include <utility>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

class QToolButton;

namespace hobwise::ui {

// A static text. Keeps its text exactly as set (carriage returns included) and shows
// it with the carriage returns taken out.
class StaticText : public QLabel {
  Q_OBJECT
 public:
  explicit StaticText(QWidget* parent = nullptr);
  void setRawText(const QString& text);
  QString rawText() const { return raw_; }

 private:
  QString raw_;
};

// A number display that an up-down writes into. Every change of its text runs the
// window's reaction first (the displayed result goes, Solve is re-evaluated).
class NumberDisplay : public StaticText {
  Q_OBJECT
 public:
  explicit NumberDisplay(QWidget* parent = nullptr);
  std::function<void()> beforeChange;
  void setNumberText(const QString& text);
};

// An edit field for an unsigned decimal number: digits, backspace and at most one ".".
class NumberEdit : public QLineEdit {
  Q_OBJECT
 public:
  NumberEdit(int id, QWidget* parent = nullptr);
  int id() const { return id_; }

  // Reactions the window installs.
  std::function<void()> clearResults;      // typing changed the text
  std::function<void()> inputSettled;      // key release or focus loss
  std::function<void()> pasted;            // after a paste from the pop-up
  NumberEdit* tabPartner = nullptr;        // Tab goes there (2004 <-> 2006)

  // Where the pop-up opens for a request at the given global point (mouse) or, for a
  // keyboard request, at the field itself.
  QPoint popupPosition(const QContextMenuEvent& event) const;

 protected:
  bool event(QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;

 private:
  void handleTab();
  std::pair<int, int> selectionRange() const;  // [start, end), the cursor when nothing is selected
  void typeKey(QKeyEvent* e, char32_t key);    // a key by the fields' rule
  int id_;
};

// The up-down: two small arrow buttons. Reports every step before it moves
// (deltaPos, as the result browser needs), keeps its position within its range and
// writes the new position into its buddy display.
class UpDown : public QWidget {
  Q_OBJECT
 public:
  UpDown(Qt::Orientation orientation, QWidget* parent = nullptr);
  void setBuddy(NumberDisplay* buddy);  // takes its position from the buddy's number
  void setRange(int low, int high);
  void setPosition(int pos);
  int position() const { return pos_; }
  int low() const { return low_; }
  int high() const { return high_; }
  void step(int delta);  // what a click on an arrow does: +1 up/right, -1 down/left
  QToolButton* increaseButton() const { return up_; }
  QToolButton* decreaseButton() const { return down_; }

 protected:
  void resizeEvent(QResizeEvent* e) override;

 signals:
  void deltaPos(int pos, int delta);

 private:
  Qt::Orientation orientation_;
  QToolButton* up_;
  QToolButton* down_;
  NumberDisplay* buddy_ = nullptr;
  int low_ = 0, high_ = 100, pos_ = 0;
};

// The set-up list: eight items drawn in columns; the closed field shows the selected
// row the same way.
class SetupCombo : public QComboBox {
  Q_OBJECT
 public:
  explicit SetupCombo(QWidget* parent = nullptr);
  // Draws row `item` (0..7) with its text top at `y`, columns from x = `left`.
  static void drawSetupItem(QPainter& painter, int item, const QRect& rect, int left);
  std::function<void()> closedUp;
  void hidePopup() override;  // the drop-down closes: the window takes the focus back

 protected:
  void paintEvent(QPaintEvent* e) override;
};

}  // namespace hobwise::ui
