#pragma once
// Every control of the window under its numeric identifier, as the gear logic reads
// and writes them. A call on an identifier without a control does nothing.
#include <map>

#include <QString>

class QAction;
class QWidget;

namespace hobwise::ui {

class Controls {
 public:
  void add(int id, QWidget* widget);
  void addAction(int id, QAction* action);  // menu commands

  QWidget* widget(int id) const;
  QAction* action(int id) const;
  template <class T>
  T* as(int id) const {
    return qobject_cast<T*>(widget(id));
  }

  // Texts. Setting the text of a number display runs its change reaction first.
  QString text(int id) const;
  void setText(int id, const QString& text);

  bool isEnabled(int id) const;
  void setEnabled(int id, bool enabled);
  bool isShown(int id) const;  // not hidden (whether or not the window is on screen)
  void setVisible(int id, bool visible);

  // Combo boxes: selected index (-1 when none) and its text (empty when none).
  int selectedIndex(int id) const;
  QString selectedText(int id) const;
  void select(int id, int index);

  // Check boxes and checkable menu items.
  bool isChecked(int id) const;
  void setChecked(int id, bool checked);

  // Menu items.
  bool isMenuEnabled(int id) const;
  void setMenuEnabled(int id, bool enabled);

  const std::map<int, QWidget*>& all() const { return widgets_; }

 private:
  std::map<int, QWidget*> widgets_;
  std::map<int, QAction*> actions_;
};

}  // namespace hobwise::ui
