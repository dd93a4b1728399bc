// Where the windows open, what a print that cannot go says, and what the result area
// says of a job that cannot be solved.
#include "ui/command_ids.h"
#include "ui/placement.h"
#include "ui/results_table.h"
#include "ui/table_tools.h"
#include "ui/why_nothing_line.h"
#include "window_fixture.h"

namespace hobwise::ui {
namespace {

// Centred (on the area or on an owner) where it fits and kept inside; at the area's
// left or top edge where it does not.
TEST(Placement, WindowsOpenInsideTheAvailableArea) {
  const QRect area(100, 50, 700, 450);  // off the screen's origin, as beside a panel
  const struct { QSize frame; QPoint centre; QRect placed; } cases[] = {
      {{300, 200}, area.center(), {299, 174, 300, 200}},  // fits: centred
      {{900, 550}, area.center(), {100, 50, 900, 550}},   // larger: at the top-left corner
      {{900, 300}, area.center(), {100, 124, 900, 300}},  // too wide only: at the left edge
      {{200, 100}, {780, 60}, {600, 50, 200, 100}},       // an owner near a corner: kept inside
      {{700, 450}, {0, 0}, area},                         // exactly the area
  };
  for (const auto& c : cases) EXPECT_EQ(placedFrame(c.frame, c.centre, area), c.placed) << c.frame.width();
  // A resizable window is made smaller, its frame counted, but not below its minimum.
  EXPECT_EQ(fittedSize({1160, 460}, {300, 200}, {0, 30}, area), QSize(700, 420));
  EXPECT_EQ(fittedSize({600, 300}, {300, 200}, {0, 30}, area), QSize(600, 300));
  EXPECT_EQ(fittedSize({1160, 460}, {800, 100}, {0, 30}, area), QSize(800, 420));
}

// A window where the rule puts it: inside the area, or at its start on an axis where
// it is too long.
bool obeysTheRule(const QRect& frame, const QRect& area) {
  const auto axis = [](int start, int length, int areaStart, int areaLength) {
    return length > areaLength ? start == areaStart : start >= areaStart && start + length <= areaStart + areaLength;
  };
  return axis(frame.x(), frame.width(), area.x(), area.width()) &&
         axis(frame.y(), frame.height(), area.y(), area.height());
}

QScreen* screenNamed(const QString& name) {
  for (QScreen* s : QGuiApplication::screens())
    if (s->name() == name) return s;
  return nullptr;
}

TEST_F(Window, EveryWindowOpensInsideTheScreenEvenWhenTheScreenIsSmaller) {
  for (const char* name : {"large", "small"}) {
    QScreen* screen = screenNamed(name);
    ASSERT_NE(screen, nullptr) << name;
    const QRect area = screen->availableGeometry();
    auto w = std::make_unique<MainWindow>();
    w->setScreen(screen);  // as if the screen were the one the program starts on
    w->move(area.topLeft());
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    // 900 x 550 where it fits, centred; else the whole area, the client area scrolling.
    const QSize outer = QSize(900, 550).boundedTo(area.size());
    const QRect placed = placedFrame(outer, area.center(), area);
    EXPECT_TRUE(QTest::qWaitFor([&] { return w->frameGeometry() == placed; })) << name;
    auto* scroll = qobject_cast<QScrollArea*>(w->centralWidget());
    ASSERT_NE(scroll, nullptr);
    EXPECT_EQ(scroll->horizontalScrollBar()->maximum() > 0, area.width() < 900) << name;
    scroll->ensureWidgetVisible(w->controls().widget(kSolve));
    EXPECT_TRUE(scroll->viewport()->rect().contains(
        QRect(w->controls().widget(kSolve)->mapTo(scroll->viewport(), QPoint(0, 0)), w->controls().widget(kSolve)->size())))
        << name;

    w->command(kResultsTable);
    ResultsTable* table = w->findChild<TableTools*>()->table();
    EXPECT_TRUE(table->isVisible());
    EXPECT_TRUE(area.contains(table->frameGeometry())) << name;
    QRect about;
    onDialog<QDialog>([&about](QDialog* d) { about = d->frameGeometry(), d->reject(); });
    w->command(kAboutMath);
    EXPECT_TRUE(obeysTheRule(about, area)) << name;
  }
}

QMessageBox* shownMessage(QWidget* owner, const QString& says) {
  for (QMessageBox* box : owner->findChildren<QMessageBox*>())
    if (box->isVisible() && box->text().contains(says)) return box;
  return nullptr;
}

TEST_F(Window, PrintWithoutAPrinterOffersTheSheetAsPdfAndAFailedPrintIsReported) {
  QTemporaryDir dir;
  auto w = solvedJ1();
  w->setPrintersInstalled([] { return false; });
  w->controls().action(kPrint)->trigger();
  QMessageBox* box = shownMessage(w.get(), "No printer is available");
  ASSERT_NE(box, nullptr);
  EXPECT_FALSE(w->printing());
  QAbstractButton* save = nullptr;
  for (QAbstractButton* b : box->buttons())
    if (b->text() == "Save Sheet as PDF ...") save = b;
  ASSERT_NE(save, nullptr);
  chooseFile(dir.filePath("instead.pdf"));
  QTest::mouseClick(save, Qt::LeftButton);
  QTRY_VERIFY(QFile::exists(dir.filePath("instead.pdf")));

  // The sheet could not be made: a message says what failed.
  const QString nowhere = dir.filePath("no such folder/sheet.pdf");
  w->setPrintToPdf(nowhere);
  w->controls().action(kPrint)->trigger();
  QTRY_VERIFY(!w->printing());
  EXPECT_FALSE(w->lastPrintSucceeded());
  QTRY_VERIFY(shownMessage(w.get(), "The sheet could not be printed: the file " + nowhere + " could not be written."));
}

TEST_F(Window, AJobThatCannotBeSolvedNamesTheFieldAndOffersNoAdvisor) {
  auto w = open();
  enterJ1(*w);
  typeInto(*w, 2002, "");  // an empty feed constant counts as 0: Solve goes
  solveAndWait(*w);
  auto* line = w->findChild<WhyNothingLine*>();
  EXPECT_EQ(line->text(), "The job cannot be solved: Feed Const \"\" is not a number (it needs a value from 0 to 89.9)");
  EXPECT_TRUE(line->advisorButton()->isHidden());
}

}  // namespace
}  // namespace hobwise::ui
