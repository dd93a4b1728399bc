#include "ui/about_dialogs.h"

#include <algorithm>

#include <QDialog>
#include <QLabel>
#include <QPushButton>

namespace hobwise::ui {

namespace {

class AboutDialog : public QDialog {
 public:
  AboutDialog(int which, QWidget* owner) : QDialog(owner) {
    // Dialog units of an 8-point dialog font: 1.5 pixels across, 1.625 down.
    auto px = [](int dlu) { return dlu * 3 / 2; };
    auto py = [](int dlu) { return dlu * 13 / 8; };
    QFont font;
    font.setFamilies({QStringLiteral("MS Shell Dlg 2"), QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("DejaVu Sans")});
    font.setPixelSize(11);
    setFont(font);
    int widest = 0;
    auto line = [&](int x, int y, int w, const char* text) {
      auto* l = new QLabel(QString::fromLatin1(text), this);
      // The stand-in font may run wider than the dialog font: a line never cuts its text.
      l->setGeometry(px(x), py(y), std::max(px(w), l->sizeHint().width()), py(8) + 2);
      widest = std::max(widest, l->geometry().right() + px(7));
    };
    auto button = [&](int id, const char* text, int x, int y) {
      auto* b = new QPushButton(QString::fromLatin1(text), this);
      b->setGeometry(px(x), py(y), px(50), py(14));
      b->setDefault(true);
      connect(b, &QPushButton::clicked, this, [this, id] { done(id); });
    };
    if (which == 103) {
      setWindowTitle(QStringLiteral("About Hobwise"));
      line(7, 14, 148, "Ver 1.0.0.0");
      line(7, 38, 164, "Use at your on risk - Check answers for accuracy");
      button(1, "OK", 122, 55);
      setFixedSize(std::max(px(181), widest), py(76));
    } else {
      setWindowTitle(QStringLiteral("About The Math"));
      button(2, "Close", 398, 98);
      const struct { int w; const char* text; } lines[] = {
          {178, "All natural numbers have an implicit denominator of 1"},
          {73, "15/1 is the same as 15"},
          {150, "15/1 is equal 30/2 just as 15/1 is equal to 45/3"},
          {344, "Whole numbers make good C constants, but they limit you to a very-small subset of available change "
                "gears"},
          {428, "By using fractions in place of whole numbers for the C constant, you will have a much larger "
                "selection of options for the index gearing"},
          {309, "Fractions that have whole-numbered numerators and denominators are always rational numbers"},
          {310, "A fraction is the only number-form that can precisely work as a C constant for every 4-gear ratio"}};
      int y = 6;
      for (const auto& l : lines) {
        line(7, y, l.w, l.text);
        y += 12;
      }
      setFixedSize(std::max(px(455), widest), py(119));
    }
  }
  void reject() override { done(2); }
};

}  // namespace

int runAboutDialog(int dialog, QWidget* owner) {
  AboutDialog box(dialog, owner);
  return box.exec();
}

}  // namespace hobwise::ui
