#include "ui/controls.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QLineEdit>

#include "ui/widgets.h"

namespace hobwise::ui {

void Controls::add(int id, QWidget* widget) {
  widget->setProperty("controlId", id);
  widget->setObjectName(QString("c%1").arg(id));
  widgets_[id] = widget;
}

void Controls::addAction(int id, QAction* action) {
  action->setData(id);
  actions_[id] = action;
}

QWidget* Controls::widget(int id) const {
  auto it = widgets_.find(id);
  return it == widgets_.end() ? nullptr : it->second;
}

QAction* Controls::action(int id) const {
  auto it = actions_.find(id);
  return it == actions_.end() ? nullptr : it->second;
}

QString Controls::text(int id) const {
  QWidget* w = widget(id);
  if (!w) return {};
  if (auto* s = qobject_cast<StaticText*>(w)) return s->rawText();
  if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
  if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
  if (auto* c = qobject_cast<QComboBox*>(w)) return c->currentText();
  if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
  return {};
}

void Controls::setText(int id, const QString& text) {
  QWidget* w = widget(id);
  if (!w) return;
  if (auto* n = qobject_cast<NumberDisplay*>(w)) {
    n->setNumberText(text);
  } else if (auto* s = qobject_cast<StaticText*>(w)) {
    s->setRawText(text);
  } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
    // A field never holds more than its limit, whoever writes it.
    e->setText(e->maxLength() > 0 ? text.left(e->maxLength()) : text);
  } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
    b->setText(text);
  } else if (auto* l = qobject_cast<QLabel*>(w)) {
    l->setText(text);
  }
}

bool Controls::isEnabled(int id) const {
  QWidget* w = widget(id);
  return w && w->isEnabled();
}

void Controls::setEnabled(int id, bool enabled) {
  if (QWidget* w = widget(id)) w->setEnabled(enabled);
}

bool Controls::isShown(int id) const {
  QWidget* w = widget(id);
  return w && !w->isHidden();
}

void Controls::setVisible(int id, bool visible) {
  if (QWidget* w = widget(id)) w->setVisible(visible);
}

int Controls::selectedIndex(int id) const {
  auto* c = as<QComboBox>(id);
  return c ? c->currentIndex() : -1;
}

QString Controls::selectedText(int id) const {
  auto* c = as<QComboBox>(id);
  if (!c || c->currentIndex() < 0) return {};
  return c->itemText(c->currentIndex());
}

void Controls::select(int id, int index) {
  if (auto* c = as<QComboBox>(id)) c->setCurrentIndex(index);
}

bool Controls::isChecked(int id) const {
  if (auto* b = as<QAbstractButton>(id)) return b->isChecked();
  if (QAction* a = action(id)) return a->isChecked();
  return false;
}

void Controls::setChecked(int id, bool checked) {
  if (auto* b = as<QAbstractButton>(id)) {
    b->setChecked(checked);
  } else if (QAction* a = action(id)) {
    a->setChecked(checked);
  }
}

bool Controls::isMenuEnabled(int id) const {
  QAction* a = action(id);
  return a && a->isEnabled();
}

void Controls::setMenuEnabled(int id, bool enabled) {
  if (QAction* a = action(id)) a->setEnabled(enabled);
}

}  // namespace hobwise::ui
