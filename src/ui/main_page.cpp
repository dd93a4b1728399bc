#include "ui/main_page.h"

#include <iterator>
#include <string>
#include <string_view>

#include <QAbstractItemView>
#include <QCheckBox>
#include <QFontInfo>
#include <QPainter>
#include <QPushButton>

#include "hobwise/fields.h"
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

namespace {

// Puts the Main page's controls at their places on the client area, each registered
// under its identifier.
struct PageBuilder {
  Controls& controls;
  QWidget* client;

  QWidget* place(int id, QWidget* w, int x, int y, int width, int height, bool visible = true) {
    w->setGeometry(x, y, width, height);
    if (!visible) w->hide();
    controls.add(id, w);
    return w;
  }
  StaticText* label(int id, const char* text, int x, int y, int width, int height, Qt::Alignment align,
                    bool visible = true) {
    auto* l = new StaticText(client);
    l->setRawText(QString::fromLatin1(text));
    l->setAlignment(align | Qt::AlignTop);
    place(id, l, x, y, width, height, visible);
    return l;
  }
  // A number field, as long as its rule allows.
  NumberEdit* edit(int id, int x, int y, int width, const char* text = "") {
    auto* e = new NumberEdit(id, client);
    e->setMaxLength(static_cast<int>(fieldRule(id)->limit));
    e->setText(QString::fromLatin1(text));
    place(id, e, x, y, width, 24);
    return e;
  }
  QPushButton* button(int id, const char* text, int x) {
    auto* b = new QPushButton(QString::fromLatin1(text), client);
    b->setFocusPolicy(Qt::ClickFocus);
    b->setAutoDefault(false);
    place(id, b, x, 416, 80, 23);
    return b;
  }
  void checkBox(int id, const char* text, int y) {
    auto* b = new QCheckBox(QString::fromLatin1(text), client);
    b->setFocusPolicy(Qt::ClickFocus);
    place(id, b, 570, y, 220, 22);
  }
};

// The train labels, the job's fields and the two lists.
void addJobFields(PageBuilder& b) {
  b.label(1020, "Result:", 240, 218, 52, 22, Qt::AlignHCenter, false);
  b.label(1012, "Index:", 93, 395, 52, 22, Qt::AlignHCenter, false);
  b.label(1021, "Feed:", 371, 395, 52, 22, Qt::AlignHCenter, false);

  b.edit(2001, 125, 4, 68);
  b.edit(2002, 125, 34, 310);
  b.edit(2007, 420, 4, 100, ".025");
  b.edit(2004, 125, 64, 310);
  b.edit(2006, 150, 94, 310);

  b.place(2005, new SetupCombo(b.client), 32, 182, 530, 24);
  auto* teeth = new QComboBox(b.client);
  teeth->setFocusPolicy(Qt::NoFocus);
  teeth->setMaxVisibleItems(20);
  for (int n = 1; n <= 400; ++n) teeth->addItem(QString::number(n));
  teeth->setCurrentIndex(-1);
  b.place(2003, teeth, 125, 125, 60, 24);
}

// The buttons, the fields' labels, the gear fields of both trains and the options.
void addButtonsAndGears(PageBuilder& b) {
  b.button(kSolve, "&Solve", 555)->setEnabled(false);
  b.button(kExit, "E&xit", 650);

  b.label(3000, "Index Const:", 12, 5, 110, 22, Qt::AlignRight);
  b.label(3019, "Feed Const:", 12, 35, 110, 22, Qt::AlignRight);
  b.label(3017, "Helix Angle:", 12, 65, 110, 22, Qt::AlignRight);
  b.label(3022, "Normal Diametral Pitch:", 0, 95, 147, 22, Qt::AlignRight);
  b.label(3001, "Hob Threads:", 195, 5, 95, 22, Qt::AlignRight);

  b.label(3003, "", 85, 414, 28, 18, Qt::AlignHCenter, false);
  b.label(3004, "", 85, 437, 28, 18, Qt::AlignHCenter, false);
  b.label(3005, "", 124, 414, 28, 18, Qt::AlignHCenter, false);
  b.label(3006, "", 124, 437, 28, 18, Qt::AlignHCenter, false);

  b.checkBox(3007, "Use Finite C Constants Only", 162);
  b.checkBox(3015, "Use Whole C Constants Only", 185);

  b.label(3024, "", 364, 414, 28, 18, Qt::AlignHCenter, false);
  b.label(3025, "", 364, 437, 28, 18, Qt::AlignHCenter, false);
  b.label(3026, "", 404, 414, 28, 18, Qt::AlignHCenter, false);
  b.label(3027, "", 404, 437, 28, 18, Qt::AlignHCenter, false);
}

// The result lines and readouts, two labels and the set-up list's column headers.
void addResultLinesAndHeaders(PageBuilder& b) {
  b.label(3011, "", 16, 243, 880, 22, Qt::AlignLeft);
  b.label(3008, "", 16, 287, 880, 22, Qt::AlignLeft);
  b.label(3009, "", 442, 65, 360, 22, Qt::AlignLeft);
  b.label(3010, "", 500, 95, 360, 22, Qt::AlignLeft);
  b.label(3012, "", 16, 309, 500, 22, Qt::AlignLeft);
  b.label(3013, "", 530, 4, 370, 44, Qt::AlignLeft);
  b.label(3014, "", 16, 265, 880, 22, Qt::AlignLeft);
  b.label(3021, "Number of Teeth:", 12, 131, 110, 20, Qt::AlignRight);
  b.label(3016, "Feed Rate:", 341, 5, 75, 22, Qt::AlignRight);

  struct Header { int id; int x, y, w; };
  const Header headers[] = {{3028, 32, 160, 71},  {3029, 102, 160, 71}, {3030, 172, 160, 101}, {3031, 272, 160, 51},
                            {3032, 322, 160, 61}, {3033, 382, 160, 91}, {3034, 472, 160, 90},  {3035, 382, 137, 180}};
  for (std::size_t k = 0; k < std::size(headers); ++k) {
    const Header& h = headers[k];
    const std::string_view text = k < std::size(kSetupColumnHeaders) ? kSetupColumnHeaders[k] : kSetupStudsHeader;
    StaticText* l = b.label(h.id, std::string(text).c_str(), h.x, h.y, h.w, 24, Qt::AlignHCenter);
    l->setFrameStyle(QFrame::Box | QFrame::Plain);
    l->setLineWidth(1);
  }
}

// The hob threads' display, the result browser and the hob threads' up-down.
void addUpDowns(PageBuilder& b) {
  auto* threads = new NumberDisplay(b.client);
  threads->setRawText(QStringLiteral("1"));
  threads->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  threads->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  threads->setLineWidth(1);
  b.place(3002, threads, 292, 5, 22, 22);

  b.place(kBrowser, new UpDown(Qt::Horizontal, b.client), 243, 416, 40, 20, false);
  auto* threadsUpDown = new UpDown(Qt::Vertical, b.client);
  b.place(kHobThreadsUpDown, threadsUpDown, 314, 5, 20, 22);
  threadsUpDown->setBuddy(threads);
  const FieldRule rule = *fieldRule(3002);
  threadsUpDown->setRange(static_cast<int>(rule.low), static_cast<int>(rule.high));
}

}  // namespace

void createMainPage(Controls& controls, QWidget* client, const WindowFonts& fonts) {
  PageBuilder builder{controls, client};
  addJobFields(builder);
  addButtonsAndGears(builder);
  addResultLinesAndHeaders(builder);
  addUpDowns(builder);

  // Eight set-up items, drawn in columns; the first is selected.
  auto* setup = controls.as<SetupCombo>(2005);
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
