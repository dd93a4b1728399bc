#include "ui/main_page.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QFontInfo>
#include <QPainter>
#include <QPushButton>

#include "model/job.h"
#include "ui/command_ids.h"
#include "ui/controls.h"
#include "ui/widgets.h"

namespace hobwise::ui {

WindowFonts windowFonts() {
  WindowFonts f;
  // "Segoe UI" with a character height of 16 pixels; where it is missing, the
  // nearest face. The narrow font serves the two long labels.
  f.main = QFont();
  f.main.setFamilies({QStringLiteral("Segoe UI"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                         QStringLiteral("DejaVu Sans")});
  f.main.setPixelSize(16);
  f.main.setWeight(QFont::Normal);
  const bool segoe = QFontInfo(f.main).family() == QStringLiteral("Segoe UI");
  // The stand-ins run wider than Segoe UI: one pixel less keeps every label inside
  // its place.
  if (!segoe) f.main.setPixelSize(15);
  f.narrow = f.main;
  if (segoe) {
    f.narrow.setStretch(QFont::SemiCondensed);
  } else {
    f.narrow.setFamilies({QStringLiteral("Liberation Sans Narrow"), QStringLiteral("Arial Narrow"),
                             QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Liberation Sans")});
  }
  return f;
}

ClientArea::ClientArea(Controls& controls, QWidget* parent) : QWidget(parent), controls_(controls) {}

void ClientArea::paintEvent(QPaintEvent*) {
  if (!controls_.isShown(1020)) return;
  QPainter p(this);
  p.setPen(palette().color(QPalette::WindowText));
  p.drawLine(kIndexBar);
  p.drawLine(kFeedBar);
}

void ClientArea::invalidateBars() {
  // What a bar covers, with a pixel to spare all round.
  for (const QLine& bar : {kIndexBar, kFeedBar}) update(QRect(bar.p1(), bar.p2()).adjusted(-1, -1, 1, 1));
}

void createMainPage(Controls& controls, QWidget* client, const WindowFonts& fonts) {
  QWidget* c = client;
  auto place = [&](int id, QWidget* w, int x, int y, int width, int height, bool visible = true) {
    w->setGeometry(x, y, width, height);
    if (!visible) w->hide();
    controls.add(id, w);
    return w;
  };
  auto label = [&](int id, const char* text, int x, int y, int width, int height, Qt::Alignment align,
                   bool visible = true) {
    auto* l = new StaticText(c);
    l->setRawText(QString::fromLatin1(text));
    l->setAlignment(align | Qt::AlignTop);
    place(id, l, x, y, width, height, visible);
    return l;
  };
  auto edit = [&](int id, int x, int y, int width, int limit, const char* text = "") {
    auto* e = new NumberEdit(id, c);
    e->setMaxLength(limit);
    e->setText(QString::fromLatin1(text));
    place(id, e, x, y, width, 24);
    return e;
  };

  // Result browser label and the two train labels.
  label(1020, "Result:", 240, 218, 52, 22, Qt::AlignHCenter, false);
  label(1012, "Index:", 93, 395, 52, 22, Qt::AlignHCenter, false);
  label(1021, "Feed:", 371, 395, 52, 22, Qt::AlignHCenter, false);

  // The job's fields.
  edit(2001, 125, 4, 68, static_cast<int>(kIndexConstantLimit));
  edit(2002, 125, 34, 310, static_cast<int>(kFeedConstantLimit));
  edit(2007, 420, 4, 100, static_cast<int>(kFeedRateLimit), ".025");
  edit(2004, 125, 64, 310, static_cast<int>(kHelixAngleLimit));
  edit(2006, 150, 94, 310, static_cast<int>(kNormalPitchLimit));

  auto* setup = new SetupCombo(c);
  place(2005, setup, 32, 182, 530, 24);
  auto* teeth = new QComboBox(c);
  teeth->setFocusPolicy(Qt::NoFocus);
  teeth->setMaxVisibleItems(20);
  for (int n = 1; n <= 400; ++n) teeth->addItem(QString::number(n));
  teeth->setCurrentIndex(-1);
  place(2003, teeth, 125, 125, 60, 24);

  auto* solve = new QPushButton(QStringLiteral("&Solve"), c);
  solve->setEnabled(false);
  solve->setFocusPolicy(Qt::ClickFocus);
  solve->setAutoDefault(false);
  place(kSolve, solve, 555, 416, 80, 23);
  auto* exit = new QPushButton(QStringLiteral("E&xit"), c);
  exit->setFocusPolicy(Qt::ClickFocus);
  exit->setAutoDefault(false);
  place(kExit, exit, 650, 416, 80, 23);

  label(3000, "Index Const:", 12, 5, 110, 22, Qt::AlignRight);
  label(3019, "Feed Const:", 12, 35, 110, 22, Qt::AlignRight);
  label(3017, "Helix Angle:", 12, 65, 110, 22, Qt::AlignRight);
  label(3022, "Normal Diametral Pitch:", 0, 95, 147, 22, Qt::AlignRight);
  label(3001, "Hob Threads:", 195, 5, 95, 22, Qt::AlignRight);

  label(3003, "", 85, 414, 28, 18, Qt::AlignHCenter, false);
  label(3004, "", 85, 437, 28, 18, Qt::AlignHCenter, false);
  label(3005, "", 124, 414, 28, 18, Qt::AlignHCenter, false);
  label(3006, "", 124, 437, 28, 18, Qt::AlignHCenter, false);

  auto checkBox = [&](int id, const char* text, int y) {
    auto* b = new QCheckBox(QString::fromLatin1(text), c);
    b->setFocusPolicy(Qt::ClickFocus);
    place(id, b, 570, y, 220, 22);
    return b;
  };
  checkBox(3007, "Use Finite C Constants Only", 162);
  checkBox(3015, "Use Whole C Constants Only", 185);

  label(3024, "", 364, 414, 28, 18, Qt::AlignHCenter, false);
  label(3025, "", 364, 437, 28, 18, Qt::AlignHCenter, false);
  label(3026, "", 404, 414, 28, 18, Qt::AlignHCenter, false);
  label(3027, "", 404, 437, 28, 18, Qt::AlignHCenter, false);

  label(3011, "", 16, 243, 880, 22, Qt::AlignLeft);
  label(3008, "", 16, 287, 880, 22, Qt::AlignLeft);
  label(3009, "", 442, 65, 360, 22, Qt::AlignLeft);
  label(3010, "", 500, 95, 360, 22, Qt::AlignLeft);
  label(3012, "", 16, 309, 500, 22, Qt::AlignLeft);
  label(3013, "", 530, 4, 370, 44, Qt::AlignLeft);
  label(3014, "", 16, 265, 880, 22, Qt::AlignLeft);
  label(3021, "Number of Teeth:", 12, 131, 110, 20, Qt::AlignRight);
  label(3016, "Feed Rate:", 341, 5, 75, 22, Qt::AlignRight);

  struct Header { int id; const char* text; int x, y, w; };
  for (const Header& h : {Header{3028, "Hob", 32, 160, 71}, Header{3029, "Gear", 102, 160, 71},
                          Header{3030, "Type of Cut", 172, 160, 101}, Header{3031, "Sign", 272, 160, 51},
                          Header{3032, "Work", 322, 160, 61}, Header{3033, "Index", 382, 160, 91},
                          Header{3034, "Feed", 472, 160, 90}, Header{3035, "Intermediate Studs", 382, 137, 180}}) {
    StaticText* l = label(h.id, h.text, h.x, h.y, h.w, 24, Qt::AlignHCenter);
    l->setFrameStyle(QFrame::Box | QFrame::Plain);
    l->setLineWidth(1);
  }

  auto* threads = new NumberDisplay(c);
  threads->setRawText(QStringLiteral("1"));
  threads->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  threads->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  threads->setLineWidth(1);
  place(3002, threads, 292, 5, 22, 22);

  auto* browser = new UpDown(Qt::Horizontal, c);
  place(kBrowser, browser, 243, 416, 40, 20, false);
  auto* threadsUpDown = new UpDown(Qt::Vertical, c);
  place(kHobThreadsUpDown, threadsUpDown, 314, 5, 20, 22);
  threadsUpDown->setBuddy(threads);
  threadsUpDown->setRange(1, 24);

  // Eight set-up items, drawn in columns; the first is selected.
  for (int i = 0; i < 8; ++i) setup->addItem(QString());
  setup->setCurrentIndex(0);

  for (auto& [id, w] : controls.all()) {
    if (id == 3021 || id == 3022) {
      w->setFont(fonts.narrow);
    } else if ((id >= 1001 && id <= 1022) || (id >= 2001 && id <= 2007) || (id >= 3000 && id <= 3020) ||
               (id >= 3023 && id <= 3035)) {
      w->setFont(fonts.main);
    }
  }
  setup->view()->setFont(fonts.main);
}

}  // namespace hobwise::ui
