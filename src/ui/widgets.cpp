#include "ui/widgets.h"

#include <algorithm>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStyledItemDelegate>
#include <QStylePainter>
#include <QToolButton>

#include "hobwise/fields.h"
#include "hobwise/job.h"

namespace hobwise::ui {

// ---------------------------------------------------------------- static texts

StaticText::StaticText(QWidget* parent) : QLabel(parent) { setTextFormat(Qt::PlainText); }

void StaticText::setRawText(const QString& text) {
  raw_ = text;
  QLabel::setText(QString(text).remove(QLatin1Char('\r')));
}

NumberDisplay::NumberDisplay(QWidget* parent) : StaticText(parent) {}

void NumberDisplay::setNumberText(const QString& text) {
  // The displayed result was found with the old number: it goes before the new
  // number is in place.
  if (beforeChange) beforeChange();
  setRawText(text);
}

// ---------------------------------------------------------------- edit fields

namespace {

// A field's text for the fields' rules, which look only for digits and points: one
// byte per character, so that positions stay those of the field (any other character
// stands as some other byte).
std::string oneBytePerCharacter(const QString& text) { return text.toLatin1().toStdString(); }

}  // namespace

NumberEdit::NumberEdit(int id, QWidget* parent) : QLineEdit(parent), id_(id) {
  setDragEnabled(false);
  setAcceptDrops(false);
  setAttribute(Qt::WA_InputMethodEnabled, false);  // text only comes in key by key
}

bool NumberEdit::event(QEvent* e) {
  // Tab never moves along a focus chain here; it is a character like any other.
  if (e->type() == QEvent::KeyPress) {
    auto* k = static_cast<QKeyEvent*>(e);
    if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) {
      handleTab();
      return true;
    }
  }
  return QLineEdit::event(e);
}

void NumberEdit::handleTab() {
  if (!tabPartner) return;  // dropped
  tabPartner->setFocus(Qt::TabFocusReason);
  tabPartner->selectAll();
}

void NumberEdit::keyPressEvent(QKeyEvent* e) {
  const int key = e->key();
  const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
  const bool navigation = key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Home || key == Qt::Key_End;

  if (mods & Qt::AltModifier) {
    e->ignore();  // menu mnemonics and accelerators belong to the window
    return;
  }
  if (mods & (Qt::ControlModifier | Qt::MetaModifier)) {
    // Ctrl+A, C, V, X, Z and the like are dropped; only moving the cursor by words passes.
    if (navigation) QLineEdit::keyPressEvent(e); else e->accept();
    return;
  }
  // Shift+Insert and Shift+Delete would paste and cut around the character rules.
  if (e->matches(QKeySequence::Paste) || e->matches(QKeySequence::Cut) || e->matches(QKeySequence::Copy) ||
      e->matches(QKeySequence::Undo) || e->matches(QKeySequence::Redo) || e->matches(QKeySequence::SelectAll)) {
    e->accept();
    return;
  }
  if (key == Qt::Key_Backspace || key == Qt::Key_Delete) {
    typeKey(e, key == Qt::Key_Backspace ? kBackspaceKey : kDeleteKey);
    return;
  }
  if (navigation || key == Qt::Key_Escape) {
    QLineEdit::keyPressEvent(e);
    return;
  }
  // A character goes by the fields' rule: digits, and a point where it leaves one.
  // Enter is dropped too. Keys that produce no character (function keys and the
  // like) go on as usual.
  const QString t = e->text();
  if (t.size() == 1 || key == Qt::Key_Return || key == Qt::Key_Enter) {
    typeKey(e, t.size() == 1 ? t[0].unicode() : U'\r');
    return;
  }
  if (!t.isEmpty()) {
    e->accept();
    return;
  }
  QLineEdit::keyPressEvent(e);
}

std::pair<int, int> NumberEdit::selectionRange() const {
  int s = cursorPosition(), end = s;
  if (hasSelectedText()) {
    s = selectionStart();
    end = s + static_cast<int>(selectedText().size());
  }
  return {s, end};
}

void NumberEdit::typeKey(QKeyEvent* e, char32_t key) {
  const auto [s, end] = selectionRange();
  const KeyOutcome outcome = numberFieldKey(oneBytePerCharacter(text()), static_cast<std::size_t>(s),
                                            static_cast<std::size_t>(end), key);
  if (!outcome.accepted) {
    e->accept();  // dropped
    return;
  }
  if (outcome.clearsResults && clearResults) clearResults();
  QLineEdit::keyPressEvent(e);
}

void NumberEdit::keyReleaseEvent(QKeyEvent* e) {
  QLineEdit::keyReleaseEvent(e);
  if (inputSettled) inputSettled();
}

void NumberEdit::focusOutEvent(QFocusEvent* e) {
  QLineEdit::focusOutEvent(e);
  if (inputSettled) inputSettled();
}

QPoint NumberEdit::popupPosition(const QContextMenuEvent& event) const {
  if (event.reason() == QContextMenuEvent::Keyboard) {
    // No mouse position: open just below the text cursor, on the field.
    return mapToGlobal(QPoint(cursorRect().left(), height()));
  }
  return event.globalPos() - QPoint(72, 9);
}

void NumberEdit::contextMenuEvent(QContextMenuEvent* e) {
  e->accept();
  const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
  const bool haveText = mime && mime->hasText();
  const QString clip = haveText ? mime->text() : QString();
  const auto [s, end] = selectionRange();
  const EditMenuState state = editMenuState(oneBytePerCharacter(text()), static_cast<std::size_t>(s),
                                            static_cast<std::size_t>(end), oneBytePerCharacter(clip), haveText);

  QMenu menu(this);
  QAction* copyItem = menu.addAction(QStringLiteral("Copy"));
  copyItem->setEnabled(state.copyEnabled);
  QAction* pasteItem = menu.addAction(QStringLiteral("Paste"));
  pasteItem->setEnabled(state.pasteEnabled);
  QAction* chosen = menu.exec(popupPosition(*e));
  if (chosen == copyItem) {
    copy();
  } else if (chosen == pasteItem) {
    paste();  // the field's length limit cuts a longer text
    if (pasted) pasted();
  }
}

// ---------------------------------------------------------------- up-down

UpDown::UpDown(Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent), orientation_(orientation), up_(new QToolButton(this)), down_(new QToolButton(this)) {
  const bool vertical = orientation == Qt::Vertical;
  up_->setArrowType(vertical ? Qt::UpArrow : Qt::RightArrow);
  down_->setArrowType(vertical ? Qt::DownArrow : Qt::LeftArrow);
  for (QToolButton* b : {up_, down_}) {
    b->setAutoRepeat(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setIconSize(QSize(7, 7));
    b->setStyleSheet(QStringLiteral("QToolButton { padding: 0px; }"));
  }
  setFocusPolicy(Qt::NoFocus);
  connect(up_, &QToolButton::clicked, this, [this] { step(+1); });
  connect(down_, &QToolButton::clicked, this, [this] { step(-1); });
}

void UpDown::setBuddy(NumberDisplay* buddy) {
  buddy_ = buddy;
  if (buddy_) pos_ = std::clamp(numberInText(buddy_->rawText().toStdString()), std::min(low_, high_), std::max(low_, high_));
}

void UpDown::setRange(int low, int high) {
  low_ = low;
  high_ = high;
  pos_ = std::clamp(pos_, std::min(low_, high_), std::max(low_, high_));
  if (buddy_) pos_ = std::clamp(numberInText(buddy_->rawText().toStdString()), std::min(low_, high_), std::max(low_, high_));
}

void UpDown::resizeEvent(QResizeEvent*) {
  // The arrows sit side by side or one above the other, each half the control.
  const int w = width(), h = height();
  if (orientation_ == Qt::Vertical) {
    up_->setGeometry(0, 0, w, h / 2);
    down_->setGeometry(0, h / 2, w, h - h / 2);
  } else {
    down_->setGeometry(0, 0, w / 2, h);
    up_->setGeometry(w / 2, 0, w - w / 2, h);
  }
}

void UpDown::setPosition(int pos) { pos_ = std::clamp(pos, std::min(low_, high_), std::max(low_, high_)); }

void UpDown::step(int delta) {
  emit deltaPos(pos_, delta);
  const int next = std::clamp(pos_ + delta, std::min(low_, high_), std::max(low_, high_));
  if (next == pos_) return;
  pos_ = next;
  if (buddy_) buddy_->setNumberText(QString::number(pos_));
}

// ---------------------------------------------------------------- set-up list

namespace {

class SetupDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    painter->save();
    painter->setPen(option.palette.color(QPalette::Text));
    SetupCombo::drawSetupItem(*painter, index.row(), option.rect, 0);
    painter->restore();
  }
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
    return QSize(option.rect.width(), 22);  // item height of the set-up list
  }
};

}  // namespace

SetupCombo::SetupCombo(QWidget* parent) : QComboBox(parent) {
  setItemDelegate(new SetupDelegate(this));
  setFocusPolicy(Qt::NoFocus);
}

void SetupCombo::drawSetupItem(QPainter& painter, int item, const QRect& rect, int left) {
  if (item < 0 || item > 7) return;
  const int h = painter.fontMetrics().height();
  const int y = (rect.top() + rect.top() + rect.height() - h) / 2;
  auto put = [&](int x, std::string_view text) {
    painter.drawText(QRect(left + x, y, 200, h), Qt::AlignLeft | Qt::AlignTop,
                     QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
  };
  const SetupItem row = *setupItem(item);
  put(23, row.hob);
  put(93, row.gear);
  put(row.cut == "Climb" ? 172 : 145, row.cut);
  put(row.sign == "-" ? 260 : 258, row.sign);
  put(310, row.work);
  put(390, row.indexStuds == 1 ? "1" : "2");
  put(480, row.feedStuds == 1 ? "1" : "2");
}

void SetupCombo::paintEvent(QPaintEvent*) {
  QStylePainter p(this);
  QStyleOptionComboBox opt;
  initStyleOption(&opt);
  opt.currentText.clear();
  opt.currentIcon = QIcon();
  p.drawComplexControl(QStyle::CC_ComboBox, opt);
  const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, this);
  p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
  p.setClipRect(field);
  drawSetupItem(p, currentIndex(), field, 0);
}

void SetupCombo::hidePopup() {
  QComboBox::hidePopup();
  if (closedUp) closedUp();
}

}  // namespace hobwise::ui
