#include "ui/main_window.h"

#include <algorithm>
#include <initializer_list>

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDialog>
#include <QFontDatabase>
#include <QFontInfo>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QTimer>

#include "model/text_value.h"
#include "report/sheet_painter.h"
#include "results/results.h"
#include "ui/widgets.h"

namespace hobwise::ui {

namespace {

// Menu commands.
constexpr int kBypassDuplicates = 32781;
constexpr int kPrint = 32779;
constexpr int kExitMenu = 32772;
constexpr int kMainPage = 32774;
constexpr int kChangeGearsPage = 32775;
constexpr int kAboutMath = 105;
constexpr int kAbout = 104;

constexpr int kSolve = 1001;
constexpr int kExit = 1002;
constexpr int kBrowser = 1003;
constexpr int kHobThreadsUpDown = 1011;
constexpr int kStatus = 3011;

std::vector<int> ids(std::initializer_list<std::pair<int, int>> ranges) {
  std::vector<int> out;
  for (auto [first, last] : ranges)
    for (int id = first; id <= last; ++id) out.push_back(id);
  return out;
}

// What a solve run locks for its length (the count up-downs come on top).
const std::vector<int> kRunLocked = ids({{1001, 1002}, {1009, 1011}, {1014, 1014}, {2001, 2007}, {3000, 3002},
                                         {3007, 3010}, {3012, 3017}, {3019, 3019}, {3021, 3022}, {3028, 3035}});
// What the display of a result unlocks: the same without Solve, with the status line.
const std::vector<int> kResultUnlocks = ids({{1002, 1002}, {1009, 1011}, {1014, 1014}, {2001, 2007}, {3000, 3002},
                                             {3007, 3007}, {3011, 3011}, {3008, 3010}, {3012, 3017}, {3019, 3019},
                                             {3021, 3022}, {3028, 3035}});
const std::vector<int> kInputGroup = ids({{1001, 1002}, {1011, 1011}, {2001, 2007}, {3000, 3002}, {3007, 3007},
                                          {3009, 3011}, {3015, 3017}, {3019, 3019}, {3021, 3022}, {3028, 3035}});
const std::vector<int> kResultGroup =
    ids({{1003, 1003}, {1012, 1012}, {1020, 1021}, {3003, 3006}, {3008, 3008}, {3012, 3014}, {3024, 3027}});
const std::vector<int> kResultDisplay = ids({{1003, 1003}, {1012, 1012}, {1020, 1021}, {3003, 3006}, {3008, 3014},
                                             {3024, 3027}});
const std::vector<int> kClearedTexts = ids({{3003, 3006}, {3008, 3008}, {3011, 3014}, {3024, 3027}});

// The fraction bars between the upper and lower gears of the two trains.
const QRect kIndexBarStrip(QPoint(83, 435), QPoint(154, 436));
const QRect kFeedBarStrip(QPoint(364, 435), QPoint(435, 436));

QString qs(const std::string& s) { return QString::fromStdString(s); }
std::string ss(const QString& s) { return s.toStdString(); }

}  // namespace

// The client area below the menu bar: every control sits here at its pixel place;
// it paints the two fraction bars while a result is on display.
class ClientArea : public QWidget {
 public:
  ClientArea(Controls& controls, QWidget* parent) : QWidget(parent), controls_(controls) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    if (!controls_.isShown(1020)) return;
    QPainter p(this);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawLine(84, 436, 153, 436);
    p.drawLine(363, 436, 434, 436);
  }

 private:
  Controls& controls_;
};

// ------------------------------------------------------------------ creation

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setWindowTitle(QStringLiteral("Hobwise for Helicals without Differential"));
  setObjectName(QStringLiteral("TORVANE"));
  printToPdf_ = qEnvironmentVariable("HOBWISE_PRINT_TO_PDF");

  createMenu();
  client_ = new ClientArea(controls_, this);
  client_->setFocusPolicy(Qt::NoFocus);
  setCentralWidget(client_);
  createControls();

  setFixedSize(900, 550);
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect g = screen->geometry();
    move(g.x() + g.width() / 2 - 450, g.y() + g.height() / 2 - 275);
  }
  qApp->installEventFilter(this);  // Escape stops a run wherever it is pressed
}

MainWindow::~MainWindow() {
  qApp->removeEventFilter(this);
  // No reaction of the window may run while it is being taken apart.
  for (auto& [id, w] : controls_.all()) {
    if (auto* e = qobject_cast<NumberEdit*>(w)) e->clearResults = e->inputSettled = e->pasted = nullptr;
    if (auto* d = qobject_cast<NumberDisplay*>(w)) d->beforeChange = nullptr;
    if (auto* c = qobject_cast<SetupCombo*>(w)) c->closedUp = nullptr;
    w->disconnect(this);
  }
  stop_ = true;
  if (solveThread_.joinable()) solveThread_.join();
  if (printThread_.joinable()) printThread_.join();
}

QWidget* MainWindow::clientArea() const { return client_; }

void MainWindow::createMenu() {
  QMenuBar* bar = menuBar();
  QMenu* file = bar->addMenu(QStringLiteral("&File"));
  QAction* bypass = file->addAction(QStringLiteral("Bypass Duplicates Check"));
  bypass->setCheckable(true);
  file->addSeparator();
  QAction* print = file->addAction(QStringLiteral("Print ..."));
  print->setEnabled(false);
  file->addSeparator();
  QAction* exit = file->addAction(QStringLiteral("E&xit"));
  QAction* mainPage = bar->addAction(QStringLiteral("Main Page ..."));
  mainPage->setEnabled(false);
  QAction* gearsPage = bar->addAction(QStringLiteral("Change-Gears Page ..."));
  QMenu* help = bar->addMenu(QStringLiteral("&Help"));
  QAction* math = help->addAction(QStringLiteral("About The &Math ..."));
  help->addSeparator();
  QAction* about = help->addAction(QStringLiteral("&About ..."));

  controls_.addAction(kBypassDuplicates, bypass);
  controls_.addAction(kPrint, print);
  controls_.addAction(kExitMenu, exit);
  controls_.addAction(kMainPage, mainPage);
  controls_.addAction(kChangeGearsPage, gearsPage);
  controls_.addAction(kAboutMath, math);
  controls_.addAction(kAbout, about);
  for (QAction* a : {bypass, print, exit, mainPage, gearsPage, math, about}) {
    const int id = a->data().toInt();
    connect(a, &QAction::triggered, this, [this, id] { command(id); });
  }
  // Alt+"?" and Alt+"/" open the About box.
  for (const char* keys : {"Alt+?", "Alt+/"}) {
    auto* s = new QShortcut(QKeySequence(QString::fromLatin1(keys)), this);
    connect(s, &QShortcut::activated, this, [this] { command(kAbout); });
  }
}

void MainWindow::createControls() {
  // Fonts: "Segoe UI" with a character height of 16 pixels; where it is missing, the
  // nearest face. The narrow font serves the two long labels.
  mainFont_ = QFont();
  mainFont_.setFamilies({QStringLiteral("Segoe UI"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                         QStringLiteral("DejaVu Sans")});
  mainFont_.setPixelSize(16);
  mainFont_.setWeight(QFont::Normal);
  const bool segoe = QFontInfo(mainFont_).family() == QStringLiteral("Segoe UI");
  // The stand-ins run wider than Segoe UI: one pixel less keeps every label inside
  // its place.
  if (!segoe) mainFont_.setPixelSize(15);
  narrowFont_ = mainFont_;
  if (segoe) {
    narrowFont_.setStretch(QFont::SemiCondensed);
  } else {
    narrowFont_.setFamilies({QStringLiteral("Liberation Sans Narrow"), QStringLiteral("Arial Narrow"),
                             QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Liberation Sans")});
  }

  QWidget* c = client_;
  auto place = [&](int id, QWidget* w, int x, int y, int width, int height, bool visible = true) {
    w->setGeometry(x, y, width, height);
    if (!visible) w->hide();
    controls_.add(id, w);
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
  QCheckBox* finite = checkBox(3007, "Use Finite C Constants Only", 162);
  QCheckBox* whole = checkBox(3015, "Use Whole C Constants Only", 185);

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

  for (auto& [id, w] : controls_.all()) {
    if (id == 3021 || id == 3022) {
      w->setFont(narrowFont_);
    } else if ((id >= 1001 && id <= 1022) || (id >= 2001 && id <= 2007) || (id >= 3000 && id <= 3020) ||
               (id >= 3023 && id <= 3035)) {
      w->setFont(mainFont_);
    }
  }
  setup->view()->setFont(mainFont_);

  std::string gearStockText = defaultGearStockText();
  LoadSettings(gearStockText);
  createChangeGearsPage(gearStockText);

  // Reactions of the inputs.
  connect(teeth, &QComboBox::currentIndexChanged, this, [this] {
    UpdateGeometryReadouts();
    ClearResults();
    UpdateSolveButton();
  });
  connect(setup, &QComboBox::currentIndexChanged, this, [this] {
    ClearResults();
    UpdateSolveButton();
  });
  setup->closedUp = [this] { takeFocus(); };
  connect(finite, &QCheckBox::clicked, this, [this, finite, whole] {
    if (finite->isChecked()) whole->setChecked(false);
    UpdateSolveButton();
    ClearResults();
  });
  connect(whole, &QCheckBox::clicked, this, [this, finite, whole] {
    if (whole->isChecked()) finite->setChecked(false);
    UpdateSolveButton();
    ClearResults();
  });
  connect(solve, &QPushButton::clicked, this, [this] { command(kSolve); });
  connect(exit, &QPushButton::clicked, this, [this] { command(kExit); });
  connect(browser, &UpDown::deltaPos, this, [this](int pos, int delta) { browse(pos, delta); });

  installBehaviours();
}

void MainWindow::createChangeGearsPage(const std::string& gearStockText) {
  // Unusable or missing counts show as 0; everything else of the text is kept.
  const GearStock stock = GearStock::fromText(gearStockText);
  for (int i = 0; i < kToothCountKinds; ++i) {
    const int x = 20 + 75 * (i / 14);
    const int y = 35 + 30 * (i % 14);
    const int teeth = kFirstToothCount + i;

    auto* count = new NumberDisplay(client_);
    count->setRawText(QString::number(stock.count(teeth)));
    count->setAlignment(Qt::AlignCenter);
    count->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    count->setLineWidth(1);
    count->setFont(mainFont_);
    count->setGeometry(x, y, 15, 22);
    count->hide();
    controls_.add(5000 + i, count);

    auto* upDown = new UpDown(Qt::Vertical, client_);
    upDown->setGeometry(x + 16, y, 15, 22);
    upDown->hide();
    controls_.add(5200 + i, upDown);

    auto* label = new StaticText(client_);
    label->setRawText(QString::number(teeth));
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setFont(mainFont_);
    label->setGeometry(x + 32, y, 30, 22);
    label->hide();
    controls_.add(5400 + i, label);

    upDown->setBuddy(count);
    upDown->setRange(0, kMaxGearCount);
  }
}

void MainWindow::installBehaviours() {
  for (int id : {2001, 2002, 2004, 2006, 2007}) {
    auto* e = controls_.as<NumberEdit>(id);
    const bool geometry = id == 2004 || id == 2006;
    e->clearResults = [this] { ClearResults(); };
    e->inputSettled = [this, geometry] {
      if (geometry) UpdateGeometryReadouts();
      UpdateSolveButton();
    };
    e->pasted = [this] {
      UpdateGeometryReadouts();
      ClearResults();
    };
  }
  controls_.as<NumberEdit>(2004)->tabPartner = controls_.as<NumberEdit>(2006);
  controls_.as<NumberEdit>(2006)->tabPartner = controls_.as<NumberEdit>(2004);
  auto numberChanged = [this] {
    ClearResults();
    UpdateSolveButton();
  };
  controls_.as<NumberDisplay>(3002)->beforeChange = numberChanged;
  for (int i = 0; i < kToothCountKinds; ++i) controls_.as<NumberDisplay>(5000 + i)->beforeChange = numberChanged;
}

void MainWindow::showEvent(QShowEvent* e) {
  QMainWindow::showEvent(e);
  if (sized_) return;
  sized_ = true;
  // 900 x 550 is the outer size: once the frame is known, the client part gives way.
  QTimer::singleShot(0, this, [this] {
    const QSize frame = frameGeometry().size() - geometry().size();
    if (frame.width() > 0 || frame.height() > 0) {
      setFixedSize(900 - frame.width(), 550 - frame.height());
      if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect g = screen->geometry();
        move(g.x() + g.width() / 2 - 450, g.y() + g.height() / 2 - 275);
      }
    }
  });
}

// ------------------------------------------------------------------ commands

void MainWindow::command(int id) {
  switch (id) {
    case kSolve:
      if (controls_.isEnabled(kSolve)) startSolve();
      break;
    case kExit:
    case kExitMenu:
      close();
      break;
    case kAbout:
      about(103);
      break;
    case kAboutMath:
      about(129);
      break;
    case kMainPage:
      ShowPage(1);
      controls_.setMenuEnabled(kMainPage, false);
      controls_.setMenuEnabled(kChangeGearsPage, true);
      break;
    case kChangeGearsPage:
      ShowPage(2);
      controls_.setMenuEnabled(kChangeGearsPage, false);
      controls_.setMenuEnabled(kMainPage, true);
      break;
    case kPrint:
      if (controls_.isMenuEnabled(kPrint)) startPrint();
      break;
    case kBypassDuplicates:
      // The menu item has already toggled its own check mark.
      UpdateSolveButton();
      ClearResults();
      break;
    default:
      break;
  }
}

void MainWindow::takeFocus() {
  if (QWidget* f = QApplication::focusWidget(); f && f->window() == this) f->clearFocus();
  client_->setFocus(Qt::OtherFocusReason);
}

bool MainWindow::focusNextPrevChild(bool) {
  return true;  // no control has a tab stop
}

void MainWindow::about(int dialog) { runAboutDialog(dialog, this); }

void MainWindow::invalidateBars() {
  client_->update(kIndexBarStrip);
  client_->update(kFeedBarStrip);
}

// ------------------------------------------------------------------ operations

void MainWindow::ClearResults() {
  for (int id : kClearedTexts) controls_.setText(id, QString());
  for (int id : {1003, 1012, 1020, 1021}) controls_.setVisible(id, false);
  invalidateBars();
  controls_.setMenuEnabled(kPrint, false);
  results_.clear();
  results_.shrink_to_fit();
}

void MainWindow::UpdateSolveButton() {
  auto value = [this](int id, int limit) { return textToDouble(ss(controls_.text(id).left(limit))); };
  const double indexConstant = value(2001, 58);
  const double feedConstant = value(2002, 58);
  const double helixAngle = value(2004, 58);
  const double normalPitch = value(2006, 58);
  const double feedRate = value(2007, 10);
  const bool ok = indexConstant >= 0.5 && indexConstant <= 1200 &&  //
                  feedConstant >= 0 && feedConstant <= 89.9 &&       //
                  helixAngle >= 0.0001 && helixAngle <= 89.9 &&      //
                  normalPitch >= 0.35 && normalPitch <= 360 &&       //
                  feedRate >= 0 && feedRate <= 0.1 &&                //
                  controls_.selectedIndex(2003) >= 0 &&              //
                  controls_.isEnabled(kExit);
  controls_.setEnabled(kSolve, ok);
}

void MainWindow::UpdateGeometryReadouts() {
  const GeometryReadouts r = geometryReadouts(ss(controls_.selectedText(2003)), ss(controls_.text(2006).left(33)),
                                              ss(controls_.text(2004).left(33)));
  controls_.setText(3009, qs(r.pitchDiameter));
  controls_.setText(3010, qs(r.outsideDiameter));
}

void MainWindow::ShowResult(int k) {
  if (!results_.empty() && k >= 0 && static_cast<std::size_t>(k) < results_.size()) {
    const FoundResult& result = results_[static_cast<std::size_t>(k)];
    const std::array<std::string, 8> gears = gearTexts(result);
    for (std::size_t i = 0; i < gears.size(); ++i) controls_.setText(kGearFieldIds[i], qs(gears[i]));
    if (const auto evaluation = EvaluateResult(ReadJobInputs(), result)) {
      const ResultTexts texts = resultTexts(result, *evaluation);
      controls_.setText(kStatus, qs(texts.status));
      controls_.setText(3008, qs(texts.indexError));
      controls_.setText(3012, qs(texts.feedError));
      controls_.setText(3013, qs(texts.feedLine));
      controls_.setText(3014, qs(texts.leadLine));
    } else {
      // The fields no longer make a job: the result cannot be judged.
      for (int id : {kStatus, 3008, 3012, 3013, 3014}) controls_.setText(id, QString());
    }
  }
  for (int id : kResultUnlocks) controls_.setEnabled(id, true);
  for (int id = 5200; id <= 5369; ++id) controls_.setEnabled(id, true);
  for (int id : kResultDisplay) controls_.setVisible(id, true);
  controls_.setMenuEnabled(kExitMenu, true);
  controls_.setMenuEnabled(kChangeGearsPage, true);
  controls_.setMenuEnabled(kPrint, !results_.empty());
  controls_.setMenuEnabled(kBypassDuplicates, true);
  invalidateBars();
}

void MainWindow::ShowPage(int page) {
  auto setPageVisible = [this](bool visible) {
    for (int i = 0; i < kToothCountKinds; ++i)
      for (int base : {5000, 5200, 5400}) controls_.setVisible(base + i, visible);
  };
  if (page == 1) {
    setPageVisible(false);
    for (int id : kInputGroup) controls_.setVisible(id, true);
    if (controls_.text(kStatus).isEmpty()) {
      UpdateSolveButton();
      return;
    }
    for (int id : kResultGroup) controls_.setVisible(id, true);
    invalidateBars();
  } else if (page == 2) {
    setPageVisible(true);
    for (int id : kInputGroup) controls_.setVisible(id, false);
    for (int id : kResultGroup) controls_.setVisible(id, false);
    invalidateBars();
  }
}

// ------------------------------------------------------------------ settings

namespace {
const QString kIndexConstantKey = QStringLiteral("Index constant");
const QString kFeedConstantKey = QStringLiteral("Feed constant");
const QString kFeedRateKey = QStringLiteral("Feed rate");
const QString kChangeGearsKey = QStringLiteral("Change gears");
}  // namespace

void MainWindow::LoadSettings(std::string& gearStockText) {
  QSettings settings(QStringLiteral("Quillmar"), QStringLiteral("1"));
  if (settings.contains(kChangeGearsKey)) {
    // The stored text takes the place of the default; a longer one is cut to what the
    // stock text can hold.
    gearStockText = cutText(ss(settings.value(kChangeGearsKey).toString()), 155);
  }
  const struct { const QString& key; int id; int limit; } fields[] = {
      {kIndexConstantKey, 2001, static_cast<int>(kIndexConstantLimit)},
      {kFeedConstantKey, 2002, static_cast<int>(kFeedConstantLimit)},
      {kFeedRateKey, 2007, static_cast<int>(kFeedRateLimit)}};
  for (const auto& f : fields) {
    if (settings.contains(f.key)) controls_.setText(f.id, settings.value(f.key).toString().left(f.limit));
  }
}

void MainWindow::SaveSettings() {
  QSettings settings(QStringLiteral("Quillmar"), QStringLiteral("1"));
  settings.setValue(kIndexConstantKey, controls_.text(2001).left(static_cast<int>(kIndexConstantLimit)));
  settings.setValue(kFeedConstantKey, controls_.text(2002).left(static_cast<int>(kFeedConstantLimit)));
  settings.setValue(kFeedRateKey, controls_.text(2007).left(static_cast<int>(kFeedRateLimit)));
  QString stock;
  for (int i = 0; i < kToothCountKinds; ++i) stock += controls_.text(5000 + i).left(1);
  settings.setValue(kChangeGearsKey, stock);
  settings.sync();
}

// ------------------------------------------------------------------ readers

GearStock MainWindow::ReadGearStock() const {
  std::string text;
  for (int i = 0; i < kToothCountKinds; ++i) {
    const QString t = controls_.text(5000 + i);
    text.push_back(t.isEmpty() ? '0' : t[0].toLatin1());
  }
  return GearStock::fromText(text);
}

JobInputs MainWindow::ReadJobInputs() const {
  JobInputs in;
  in.indexConstant = ss(controls_.text(2001));
  in.feedConstant = ss(controls_.text(2002));
  in.helixAngle = ss(controls_.text(2004));
  in.normalPitch = ss(controls_.text(2006));
  in.feedRate = ss(controls_.text(2007));
  in.hobThreads = ss(controls_.text(3002));
  in.teeth = ss(controls_.selectedText(2003));
  in.setupIndex = controls_.selectedIndex(2005);
  return in;
}

SolveOptions MainWindow::ReadSolveOptions() const {
  SolveOptions options;
  options.wholeOnly = controls_.isChecked(3015);
  options.finiteOnly = controls_.isChecked(3007);
  options.bypassDuplicates = controls_.isChecked(kBypassDuplicates);
  options.processors = std::max(1u, std::thread::hardware_concurrency());
  return options;
}

SheetInputs MainWindow::ReadSheetInputs() const {
  SheetInputs in;
  in.indexConstant = ss(controls_.text(2001).left(6));
  in.feedConstant = ss(controls_.text(2002).left(40));
  in.helixAngle = ss(controls_.text(2004).left(40));
  in.normalPitch = ss(controls_.text(2006).left(33));
  in.teeth = ss(controls_.selectedText(2003));
  in.setupIndex = controls_.selectedIndex(2005);
  in.hobThreads = ss(controls_.text(3002).left(2));
  in.pitchDiameter = ss(controls_.text(3009).left(40));
  in.outsideDiameter = ss(controls_.text(3010).left(40));
  in.leadLine = ss(controls_.text(3014).left(83));
  in.feedLine = ss(controls_.text(3013).left(68));
  in.status = ss(controls_.text(kStatus));
  in.feedErrorLine = ss(controls_.text(3012));
  for (std::size_t i = 0; i < kGearFieldIds.size(); ++i) in.gears[i] = ss(controls_.text(kGearFieldIds[i]).left(3));
  return in;
}

// ------------------------------------------------------------------ solve run

void MainWindow::startSolve() {
  if (solveRunning_) return;
  takeFocus();
  // Everything the run needs is taken now, on this thread, as the fields show it.
  const JobInputs inputs = ReadJobInputs();
  const SolveOptions options = ReadSolveOptions();
  const GearStock stock = ReadGearStock();

  for (int id : {kExitMenu, kChangeGearsPage, kPrint, kBypassDuplicates}) controls_.setMenuEnabled(id, false);
  for (int id : kRunLocked) controls_.setEnabled(id, false);
  for (int id = 5200; id <= 5369; ++id) controls_.setEnabled(id, false);
  controls_.setEnabled(kBrowser, false);  // no browsing while the list is rebuilt
  results_.clear();
  results_.shrink_to_fit();

  stop_ = false;
  solveRunning_ = true;
  solveThread_ = std::thread([this, inputs, options, stock] {
    SolveCallbacks callbacks;
    callbacks.status = [this](const std::string& text) {
      const QString t = qs(text);
      QMetaObject::invokeMethod(this, [this, t] { controls_.setText(kStatus, t); }, Qt::QueuedConnection);
    };
    callbacks.stop = &stop_;
    auto report = std::make_shared<SolveReport>();
    try {
      *report = hobwise::solve(inputs, stock, options, callbacks);
    } catch (...) {
      *report = SolveReport{};
      report->failed = true;
    }
    QMetaObject::invokeMethod(this, [this, report] { finishSolve(report); }, Qt::QueuedConnection);
  });
}

void MainWindow::finishSolve(std::shared_ptr<SolveReport> report) {
  if (solveThread_.joinable()) solveThread_.join();
  solveRunning_ = false;
  results_ = std::move(report->results);
  auto* browser = controls_.as<UpDown>(kBrowser);
  if (report->rangeSet) {
    browser->setRange(1, static_cast<int>(results_.size()));
    browser->setPosition(1);
  }
  ShowResult(0);
  controls_.setEnabled(kBrowser, true);
  emit solveFinished();
}

void MainWindow::browse(int pos, int delta) {
  if (solveRunning_) return;
  const int n = static_cast<int>(results_.size());
  if (delta == 1) {
    if (pos < n) {
      ShowResult(pos);
    } else if (pos == n) {
      QApplication::beep();
    }
  } else if (delta == -1) {
    if (pos > 1) {
      ShowResult(pos - 2);
    } else if (pos == 1) {
      ShowResult(0);
      QApplication::beep();
    }
  }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* e) {
  if (solveRunning_ && e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
    auto* w = qobject_cast<QWidget*>(watched);
    if (w && w->window() == this) stop_ = true;  // workers stop after their current C constant
  }
  return QMainWindow::eventFilter(watched, e);
}

// ------------------------------------------------------------------ printing

void MainWindow::startPrint() {
  takeFocus();
  if (printing_) {
    QApplication::beep();  // one sheet at a time
    return;
  }
  const SheetInputs inputs = ReadSheetInputs();
  controls_.setMenuEnabled(kExitMenu, true);
  controls_.setEnabled(kExit, true);

  auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
  if (!printToPdf_.isEmpty()) {
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(printToPdf_);
  } else {
    QPrintDialog dialog(printer.get(), this);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    if (dialog.exec() != QDialog::Accepted) return;  // cancelled: nothing is printed
  }
  printing_ = true;
  printThread_ = std::thread([this, printer, inputs] {
    bool ok = false;
    try {
      ok = printSheet(*printer, inputs);
    } catch (...) {
      ok = false;
    }
    QMetaObject::invokeMethod(this, [this, ok] { finishPrint(ok); }, Qt::QueuedConnection);
  });
}

void MainWindow::finishPrint(bool ok) {
  if (printThread_.joinable()) printThread_.join();
  printing_ = false;
  lastPrintOk_ = ok;
  emit printFinished();
  if (closeAfterPrint_) {
    closeAfterPrint_ = false;
    close();
  }
}

// ------------------------------------------------------------------ closing

void MainWindow::closeEvent(QCloseEvent* e) {
  if (solveRunning_) {
    e->ignore();  // like Exit, closing waits for the run's results
    return;
  }
  if (printing_) {
    closeAfterPrint_ = true;  // the sheet is finished first, then the window closes
    e->ignore();
    return;
  }
  SaveSettings();
  e->accept();
}

// ------------------------------------------------------------------ about dialogs

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
