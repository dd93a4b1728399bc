// The window driven as the operator drives it: typing into the fields, picking the
// teeth and the set-up, stepping gear counts, pressing Solve and browsing results.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <thread>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QCheckBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTimer>

#include "model/gear_stock.h"
#include "results/results.h"
#include "solver/solver.h"
#include "ui/main_window.h"
#include "ui/widgets.h"

namespace hobwise::ui {
namespace {

constexpr int kRunTimeoutMs = 300000;  // generous: sanitizer builds are slow

// A few gears around 30 to 50 teeth: enough for results, small enough to solve fast.
std::string smallStockText() {
  GearStock stock;
  for (int t = 30; t <= 52; ++t) stock.setCount(t, 1);
  return stock.toText();
}

void storeSetting(const char* key, const QString& value) {
  QSettings settings(QStringLiteral("Quillmar"), QStringLiteral("1"));
  settings.setValue(QString::fromLatin1(key), value);
  settings.sync();
}

QString storedSetting(const char* key) {
  QSettings settings(QStringLiteral("Quillmar"), QStringLiteral("1"));
  return settings.value(QString::fromLatin1(key)).toString();
}

class Window : public ::testing::Test {
 protected:
  void SetUp() override {
    QSettings settings(QStringLiteral("Quillmar"), QStringLiteral("1"));
    settings.clear();
    settings.sync();
  }

  std::unique_ptr<MainWindow> open() {
    auto w = std::make_unique<MainWindow>();
    w->show();
    w->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    return w;
  }

  static QLineEdit* edit(MainWindow& w, int id) { return w.controls().as<QLineEdit>(id); }

  // Replaces a field's text by typing: select everything, rub it out, type.
  static void typeInto(MainWindow& w, int id, const QString& text) {
    QLineEdit* e = edit(w, id);
    e->setFocus();
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Backspace);
    if (!text.isEmpty()) QTest::keyClicks(e, text);
  }

  // J1: index constant 30, feed constant 0.0625, feed rate .025, helix 23.5, pitch 8, 30 teeth.
  static void enterJ1(MainWindow& w) {
    typeInto(w, 2001, "30");
    typeInto(w, 2002, "0.0625");
    typeInto(w, 2007, ".025");
    typeInto(w, 2004, "23.5");
    typeInto(w, 2006, "8");
    w.controls().select(2003, 29);  // "30"
  }

  static JobInputs j1Inputs() { return exampleJobInputs(); }

  static void pressSolve(MainWindow& w) {
    ASSERT_TRUE(w.controls().isEnabled(1001));
    QTest::mouseClick(w.controls().widget(1001), Qt::LeftButton);
    EXPECT_TRUE(w.solveRunning());
  }

  static void waitForRun(MainWindow& w) { QTRY_VERIFY_WITH_TIMEOUT(!w.solveRunning(), kRunTimeoutMs); }

  static void clickArrow(MainWindow& w, int upDownId, bool increase) {
    auto* u = w.controls().as<UpDown>(upDownId);
    QTest::mouseClick(increase ? u->increaseButton() : u->decreaseButton(), Qt::LeftButton);
  }

  static void expectShows(MainWindow& w, const FoundResult& result, const JobInputs& in) {
    const auto evaluation = EvaluateResult(in, result);
    ASSERT_TRUE(evaluation.has_value());
    const ResultTexts texts = resultTexts(result, *evaluation);
    const Controls& c = w.controls();
    for (std::size_t i = 0; i < kGearFieldIds.size(); ++i)
      EXPECT_EQ(c.text(kGearFieldIds[i]).toStdString(), texts.gears[i]) << kGearFieldIds[i];
    EXPECT_EQ(c.text(3011).toStdString(), texts.status);
    EXPECT_EQ(c.text(3008).toStdString(), texts.indexError);
    EXPECT_EQ(c.text(3012).toStdString(), texts.feedError);
    EXPECT_EQ(c.text(3013).toStdString(), texts.feedLine);
    EXPECT_EQ(c.text(3014).toStdString(), texts.leadLine);
  }

  static bool resultOnDisplay(MainWindow& w) {
    const Controls& c = w.controls();
    return !c.text(3011).isEmpty() && c.isShown(1020) && c.isShown(1003) && c.isMenuEnabled(32779);
  }

  // Solves J1 with the small stock and waits for the result.
  std::unique_ptr<MainWindow> solvedJ1() {
    storeSetting("Change gears", QString::fromStdString(smallStockText()));
    auto w = open();
    enterJ1(*w);
    pressSolve(*w);
    waitForRun(*w);
    EXPECT_FALSE(w->foundResults().empty());
    return w;
  }
};

// ---------------------------------------------------------------- start-up

TEST_F(Window, FreshStartShowsTheMainPageReadyForAJob) {
  auto w = open();
  const Controls& c = w->controls();
  EXPECT_EQ(w->windowTitle(), "Hobwise for Helicals without Differential");
  EXPECT_EQ(w->frameGeometry().size(), QSize(900, 550));
  EXPECT_EQ(c.text(2001), "");
  EXPECT_EQ(c.text(2002), "");
  EXPECT_EQ(c.text(2007), ".025");
  EXPECT_EQ(c.text(3002), "1");
  EXPECT_EQ(c.selectedIndex(2003), -1);
  EXPECT_EQ(c.selectedIndex(2005), 0);
  EXPECT_FALSE(c.isChecked(3007));
  EXPECT_FALSE(c.isChecked(3015));
  EXPECT_FALSE(c.isChecked(32781));
  EXPECT_FALSE(c.isEnabled(1001));
  EXPECT_FALSE(c.isMenuEnabled(32779));
  EXPECT_FALSE(c.isMenuEnabled(32774));
  EXPECT_TRUE(c.isMenuEnabled(32775));
  EXPECT_FALSE(c.isShown(1020));
  EXPECT_FALSE(c.isShown(5000));

  auto* teeth = c.as<QComboBox>(2003);
  ASSERT_EQ(teeth->count(), 400);
  EXPECT_EQ(teeth->itemText(0), "1");
  EXPECT_EQ(teeth->itemText(399), "400");
  EXPECT_EQ(c.as<QComboBox>(2005)->count(), 8);

  // Places in the client area; the Change-gears cells column by column.
  EXPECT_EQ(c.widget(2001)->geometry(), QRect(125, 4, 68, 24));
  EXPECT_EQ(c.widget(1001)->geometry(), QRect(555, 416, 80, 23));
  EXPECT_EQ(c.widget(5000)->geometry(), QRect(20, 35, 15, 22));
  EXPECT_EQ(c.widget(5013)->geometry(), QRect(20, 425, 15, 22));
  EXPECT_EQ(c.widget(5014)->geometry(), QRect(95, 35, 15, 22));
  EXPECT_EQ(c.widget(5153)->geometry(), QRect(770, 425, 15, 22));
  EXPECT_EQ(c.widget(5353)->geometry(), QRect(786, 425, 15, 22));
  EXPECT_EQ(c.text(5553), "169");
  EXPECT_EQ(c.text(5400), "16");

  // Default stock: one gear of each of 30 to 80 teeth.
  for (int t = 16; t <= 169; ++t) EXPECT_EQ(c.text(t + 4984), (t >= 30 && t <= 80) ? "1" : "0") << t;
  EXPECT_EQ(w->ReadGearStock(), GearStock::defaultStock());
}

// ---------------------------------------------------------------- solving and browsing

TEST_F(Window, SolveShowsWhatTheEngineFindsAndBrowsesThroughIt) {
  auto w = solvedJ1();
  Controls& c = w->controls();

  // The same job solved directly.
  SolveOptions options;
  options.processors = std::max(1u, std::thread::hardware_concurrency());
  const SolveReport direct = solve(j1Inputs(), GearStock::fromText(smallStockText()), options);
  ASSERT_FALSE(direct.results.empty());
  ASSERT_EQ(w->foundResults().size(), direct.results.size());
  expectShows(*w, direct.results[0], j1Inputs());
  EXPECT_TRUE(resultOnDisplay(*w));
  EXPECT_FALSE(c.isEnabled(1001)) << "Solve stays disabled after a run";
  EXPECT_TRUE(c.isEnabled(1002));
  EXPECT_TRUE(c.isEnabled(1003));
  EXPECT_TRUE(c.isEnabled(2001));
  EXPECT_TRUE(c.isMenuEnabled(32772));
  EXPECT_TRUE(c.isMenuEnabled(32781));

  // Browse to the last result and past it; back to the first and past it.
  const auto& found = w->foundResults();
  const int n = static_cast<int>(found.size());
  auto* browser = c.as<UpDown>(1003);
  EXPECT_EQ(browser->low(), 1);
  EXPECT_EQ(browser->high(), n);
  EXPECT_EQ(browser->position(), 1);
  clickArrow(*w, 1003, true);
  if (n > 1) expectShows(*w, found[1], j1Inputs());
  for (int i = 1; i < n - 1; ++i) clickArrow(*w, 1003, true);
  expectShows(*w, found[static_cast<std::size_t>(n - 1)], j1Inputs());
  EXPECT_EQ(browser->position(), n);
  clickArrow(*w, 1003, true);  // past the end: beeps, stays on the last
  EXPECT_EQ(browser->position(), n);
  expectShows(*w, found[static_cast<std::size_t>(n - 1)], j1Inputs());
  for (int i = 0; i < n - 1; ++i) clickArrow(*w, 1003, false);
  expectShows(*w, found[0], j1Inputs());
  clickArrow(*w, 1003, false);  // before the first: beeps, shows the first again
  EXPECT_EQ(browser->position(), 1);
  expectShows(*w, found[0], j1Inputs());
}

TEST_F(Window, ChangedInputsClearTheResultAndSolveFollowsTheRanges) {
  auto w = solvedJ1();
  Controls& c = w->controls();
  ASSERT_TRUE(resultOnDisplay(*w));

  // Typing a digit takes the result off the screen.
  QTest::keyClicks(edit(*w, 2001), "0");
  EXPECT_FALSE(resultOnDisplay(*w));
  EXPECT_EQ(c.text(3011), "");
  EXPECT_EQ(c.text(3003), "");
  EXPECT_EQ(c.text(3014), "");
  EXPECT_FALSE(c.isShown(1003));
  EXPECT_TRUE(w->foundResults().empty());
  EXPECT_FALSE(c.isMenuEnabled(32779));

  auto solveEnabledWith = [&](int id, const QString& text) {
    typeInto(*w, id, text);
    const bool enabled = c.isEnabled(1001);
    enterJ1(*w);
    return enabled;
  };
  enterJ1(*w);
  EXPECT_TRUE(c.isEnabled(1001));
  EXPECT_TRUE(solveEnabledWith(2001, "0.5"));
  EXPECT_TRUE(solveEnabledWith(2001, "1200"));
  EXPECT_FALSE(solveEnabledWith(2001, "0.49"));
  EXPECT_FALSE(solveEnabledWith(2001, "1200.5"));
  EXPECT_FALSE(solveEnabledWith(2001, ""));
  EXPECT_TRUE(solveEnabledWith(2004, "89.9"));
  EXPECT_FALSE(solveEnabledWith(2004, "90"));
  EXPECT_FALSE(solveEnabledWith(2004, ""));
  EXPECT_TRUE(solveEnabledWith(2007, "0.1"));
  EXPECT_FALSE(solveEnabledWith(2007, "0.11"));
  EXPECT_TRUE(solveEnabledWith(2007, ""));  // an empty feed rate counts as 0
  EXPECT_TRUE(solveEnabledWith(2002, ""));
  EXPECT_FALSE(solveEnabledWith(2006, ""));

  c.select(2003, -1);  // no number of teeth
  QTest::keyClick(edit(*w, 2001), Qt::Key_Shift);
  EXPECT_FALSE(c.isEnabled(1001));
}

// The fraction bars go with the result: no dark pixel of them stays on the page.
TEST_F(Window, ClearingTheResultErasesTheFractionBars) {
  auto w = solvedJ1();
  QWidget* client = w->clientArea();
  // Dark pixels on the row of both bars, as the window's own backing store holds it.
  auto darkOnBarRow = [&] {
    QTest::qWait(50);
    const QImage shown = w->screen()->grabWindow(w->winId()).toImage();
    int dark = 0;
    for (int x = 60; x < 460; ++x) dark += shown.pixelColor(client->mapTo(w.get(), QPoint(x, 436))).lightness() < 128;
    return dark;
  };
  client->repaint();  // the whole page drawn at once, as after uncovering the window
  EXPECT_GT(darkOnBarRow(), 100);
  QTest::keyClicks(edit(*w, 2001), "0");
  EXPECT_EQ(darkOnBarRow(), 0);
}

TEST_F(Window, OptionsAndSetupClearTheResult) {
  auto w = solvedJ1();
  Controls& c = w->controls();

  // Check boxes: one excludes the other; unchecking never checks the other.
  auto* finite = c.as<QCheckBox>(3007);
  auto* whole = c.as<QCheckBox>(3015);
  QTest::mouseClick(finite, Qt::LeftButton);
  EXPECT_TRUE(finite->isChecked());
  EXPECT_FALSE(resultOnDisplay(*w));
  QTest::mouseClick(whole, Qt::LeftButton);
  EXPECT_TRUE(whole->isChecked());
  EXPECT_FALSE(finite->isChecked());
  QTest::mouseClick(whole, Qt::LeftButton);
  EXPECT_FALSE(whole->isChecked());
  EXPECT_FALSE(finite->isChecked());

  // Bypass Duplicates Check: toggles, and clears a result each time.
  pressSolve(*w);
  waitForRun(*w);
  ASSERT_TRUE(resultOnDisplay(*w));
  c.action(32781)->trigger();
  EXPECT_TRUE(c.isChecked(32781));
  EXPECT_FALSE(resultOnDisplay(*w));
  QTest::keyClick(edit(*w, 2001), Qt::Key_Shift);
  pressSolve(*w);
  waitForRun(*w);
  ASSERT_TRUE(resultOnDisplay(*w));
  c.action(32781)->trigger();
  EXPECT_FALSE(c.isChecked(32781));
  EXPECT_FALSE(resultOnDisplay(*w));

  // Another set-up clears the result and greys Print.
  QTest::keyClick(edit(*w, 2001), Qt::Key_Shift);
  pressSolve(*w);
  waitForRun(*w);
  ASSERT_TRUE(resultOnDisplay(*w));
  c.select(2005, 3);
  EXPECT_FALSE(resultOnDisplay(*w));
  EXPECT_FALSE(c.isMenuEnabled(32779));
  EXPECT_TRUE(c.isEnabled(1001));

  // Stepping the hob threads clears too, and stays within 1 to 24.
  clickArrow(*w, 1011, false);
  EXPECT_EQ(c.text(3002), "1");
  for (int i = 0; i < 30; ++i) clickArrow(*w, 1011, true);
  EXPECT_EQ(c.text(3002), "24");
}

TEST_F(Window, StockEditedOnTheChangeGearsPageIsWhatTheRunUses) {
  storeSetting("Change gears", QString(154, '0'));
  auto w = open();
  Controls& c = w->controls();
  enterJ1(*w);
  EXPECT_TRUE(c.isEnabled(1001));

  c.action(32775)->trigger();
  EXPECT_TRUE(c.isShown(5000));
  EXPECT_FALSE(c.isShown(2001));
  EXPECT_FALSE(c.isMenuEnabled(32775));
  EXPECT_TRUE(c.isMenuEnabled(32774));

  // One gear each of 30 to 52 teeth, stepped in; 60 stepped to 7 and beyond.
  for (int t = 30; t <= 52; ++t) clickArrow(*w, t + 5184, true);
  for (int i = 0; i < 9; ++i) clickArrow(*w, 60 + 5184, true);
  EXPECT_EQ(c.text(60 + 4984), "7");
  for (int i = 0; i < 9; ++i) clickArrow(*w, 60 + 5184, false);
  EXPECT_EQ(c.text(60 + 4984), "0");
  clickArrow(*w, 16 + 5184, false);
  EXPECT_EQ(c.text(16 + 4984), "0");
  EXPECT_EQ(w->ReadGearStock(), GearStock::fromText(smallStockText()));

  c.action(32774)->trigger();
  EXPECT_FALSE(c.isShown(5000));
  EXPECT_TRUE(c.isShown(2001));
  EXPECT_FALSE(c.isShown(1020));
  pressSolve(*w);
  waitForRun(*w);
  SolveOptions options;
  options.processors = std::max(1u, std::thread::hardware_concurrency());
  const SolveReport direct = solve(j1Inputs(), GearStock::fromText(smallStockText()), options);
  ASSERT_FALSE(direct.results.empty());
  expectShows(*w, direct.results[0], j1Inputs());

  // A step on the Change-gears page takes the result away; back on the Main page
  // no result group shows and Solve is judged again.
  c.action(32775)->trigger();
  clickArrow(*w, 80 + 5184, true);
  c.action(32774)->trigger();
  EXPECT_EQ(c.text(3011), "");
  EXPECT_FALSE(c.isShown(1020));
  EXPECT_FALSE(c.isShown(3003));
  EXPECT_TRUE(c.isEnabled(1001));
}

TEST_F(Window, EscapeEndsALongRunAndShowsWhatWasFound) {
  storeSetting("Change gears", QString(154, '2'));
  auto w = open();
  Controls& c = w->controls();
  enterJ1(*w);
  pressSolve(*w);

  // Locked for the length of the run: the browser too, and closing is refused.
  EXPECT_FALSE(c.isEnabled(1001));
  EXPECT_FALSE(c.isEnabled(1002));
  EXPECT_FALSE(c.isEnabled(1003));
  EXPECT_FALSE(c.isEnabled(2001));
  EXPECT_FALSE(c.isEnabled(5200));
  EXPECT_FALSE(c.isMenuEnabled(32772));
  EXPECT_FALSE(c.isMenuEnabled(32775));
  EXPECT_FALSE(c.isMenuEnabled(32781));
  EXPECT_FALSE(w->close());
  EXPECT_TRUE(w->isVisible());

  QTRY_VERIFY_WITH_TIMEOUT(c.text(3011).startsWith("Processing") || !w->solveRunning(), kRunTimeoutMs);
  QTest::keyClick(w.get(), Qt::Key_Escape);
  waitForRun(*w);

  EXPECT_TRUE(c.isEnabled(1002));
  EXPECT_TRUE(c.isEnabled(1003));
  EXPECT_TRUE(c.isEnabled(2001));
  EXPECT_TRUE(c.isEnabled(5200));
  EXPECT_TRUE(c.isMenuEnabled(32772));
  EXPECT_LE(w->foundResults().size(), 200u);
  if (!w->foundResults().empty()) expectShows(*w, w->foundResults()[0], j1Inputs());
  EXPECT_FALSE(c.text(3011).startsWith("Processing"));
}

// ---------------------------------------------------------------- settings

TEST_F(Window, ExitSavesTheFourSettingsAndTheNextStartRestoresThem) {
  {
    auto w = open();
    Controls& c = w->controls();
    typeInto(*w, 2001, "40");
    typeInto(*w, 2002, "0.125");
    typeInto(*w, 2007, "");  // a cleared feed rate comes back empty, not ".025"
    typeInto(*w, 2004, "12");
    w->ShowPage(2);
    clickArrow(*w, 16 + 5184, true);
    clickArrow(*w, 169 + 5184, true);
    clickArrow(*w, 169 + 5184, true);
    clickArrow(*w, 30 + 5184, false);
    QTest::mouseClick(c.widget(1002), Qt::LeftButton);
    EXPECT_FALSE(w->isVisible());
  }
  EXPECT_EQ(storedSetting("Index constant"), "40");
  EXPECT_EQ(storedSetting("Feed constant"), "0.125");
  EXPECT_EQ(storedSetting("Feed rate"), "");
  std::string expected = defaultGearStockText().substr(0, 154);
  expected[0] = '1';
  expected[153] = '2';
  expected[14] = '0';
  EXPECT_EQ(storedSetting("Change gears").toStdString(), expected);

  auto w = open();
  const Controls& c = w->controls();
  EXPECT_EQ(c.text(2001), "40");
  EXPECT_EQ(c.text(2002), "0.125");
  EXPECT_EQ(c.text(2007), "");
  EXPECT_EQ(c.text(2004), "") << "the helix angle is not kept";
  EXPECT_EQ(w->ReadGearStock(), GearStock::fromText(expected));

  // Closing through the window manager is Exit: the settings are written.
  typeInto(*w, 2001, "50");
  EXPECT_TRUE(w->close());
  EXPECT_EQ(storedSetting("Index constant"), "50");
}

TEST_F(Window, DamagedStoredSettingsComeBackAsFarAsTheyAreUsable) {
  storeSetting("Change gears", "12x8 7");
  storeSetting("Index constant", "123456789");
  storeSetting("Feed rate", "0.0250000000001");
  auto w = open();
  const Controls& c = w->controls();
  EXPECT_EQ(c.text(16 + 4984), "1");
  EXPECT_EQ(c.text(17 + 4984), "2");
  EXPECT_EQ(c.text(18 + 4984), "0");
  EXPECT_EQ(c.text(19 + 4984), "0");
  EXPECT_EQ(c.text(20 + 4984), "0");
  EXPECT_EQ(c.text(21 + 4984), "7");
  for (int t = 22; t <= 169; ++t) EXPECT_EQ(c.text(t + 4984), "0") << t;
  EXPECT_EQ(c.text(2001), "123456");
  EXPECT_EQ(c.text(2007), "0.02500000");
  EXPECT_EQ(c.text(2002), "");

  // A count steps on from what is shown.
  w->ShowPage(2);
  clickArrow(*w, 18 + 5184, true);
  EXPECT_EQ(c.text(18 + 4984), "1");
  w.reset();

  storeSetting("Change gears", QString(400, '3'));
  w = open();
  for (int t = 16; t <= 169; ++t) EXPECT_EQ(w->controls().text(t + 4984), "3") << t;
  w->close();
  EXPECT_EQ(storedSetting("Change gears"), QString(154, '3'));
}

// ---------------------------------------------------------------- edit fields

TEST_F(Window, FieldsTakeOnlyUnsignedDecimals) {
  auto w = open();
  Controls& c = w->controls();
  QLineEdit* e = edit(*w, 2002);

  QTest::keyClicks(e, "1.2.3");
  EXPECT_EQ(c.text(2002), "1.23");
  typeInto(*w, 2002, "12.5");
  e->setSelection(2, 2);  // ".5"
  QTest::keyClick(e, '.');
  EXPECT_EQ(c.text(2002), "12.");
  QTest::keyClicks(e, "-a +e");
  QTest::keyClick(e, Qt::Key_Return);
  EXPECT_EQ(c.text(2002), "12.");

  // Ctrl shortcuts are characters the field drops: no paste, cut, undo or select-all.
  QGuiApplication::clipboard()->setText("77");
  QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
  QTest::keyClick(e, Qt::Key_Insert, Qt::ShiftModifier);
  e->selectAll();
  QTest::keyClick(e, Qt::Key_X, Qt::ControlModifier);
  QTest::keyClick(e, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(c.text(2002), "12.");

  // Length limits.
  typeInto(*w, 2001, "123456789");
  EXPECT_EQ(c.text(2001), "123456");
  typeInto(*w, 2007, "0.0000000001234");
  EXPECT_EQ(c.text(2007), "0.00000000");
  typeInto(*w, 2004, QString(40, '1'));
  EXPECT_EQ(c.text(2004).size(), 33);
}

TEST_F(Window, TabMovesBetweenHelixAngleAndPitchOnly) {
  auto w = open();
  ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
  typeInto(*w, 2004, "23.5");
  typeInto(*w, 2006, "8");
  QLineEdit* helix = edit(*w, 2004);
  QLineEdit* pitch = edit(*w, 2006);
  helix->setFocus();
  QTest::keyClick(helix, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), pitch);
  EXPECT_EQ(pitch->selectedText(), "8");
  QTest::keyClick(pitch, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), helix);
  EXPECT_EQ(helix->selectedText(), "23.5");

  QLineEdit* index = edit(*w, 2001);
  index->setFocus();
  QTest::keyClick(index, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), index);
  EXPECT_EQ(index->text(), "");
}

TEST(EditMenu, CopyAndPasteFollowTheFieldAndTheClipboard) {
  // Copy needs a selection.
  EXPECT_FALSE(editMenuState("1.5", 1, 1, "", false).copyEnabled);
  EXPECT_TRUE(editMenuState("1.5", 0, 2, "", false).copyEnabled);
  // 3.25 into a field holding 1.5: only when the selection covers the field's point.
  EXPECT_FALSE(editMenuState("1.5", 3, 3, "3.25", true).pasteEnabled);
  EXPECT_FALSE(editMenuState("1.5", 2, 3, "3.25", true).pasteEnabled);
  EXPECT_TRUE(editMenuState("1.5", 1, 2, "3.25", true).pasteEnabled);
  EXPECT_TRUE(editMenuState("1.5", 0, 3, "3.25", true).pasteEnabled);
  // Out of range values never paste; the lower bound itself does.
  EXPECT_FALSE(editMenuState("", 0, 0, "0", true).pasteEnabled);
  EXPECT_FALSE(editMenuState("", 0, 0, "1001", true).pasteEnabled);
  EXPECT_TRUE(editMenuState("", 0, 0, "1000", true).pasteEnabled);
  EXPECT_TRUE(editMenuState("12", 0, 0, "0.000000001", true).pasteEnabled);
  EXPECT_FALSE(editMenuState("1.2", 0, 0, "0.000000001", true).pasteEnabled);
  // Only digits and one point.
  EXPECT_FALSE(editMenuState("", 0, 0, "1.2.3", true).pasteEnabled);
  EXPECT_FALSE(editMenuState("", 0, 0, "-5", true).pasteEnabled);
  EXPECT_FALSE(editMenuState("", 0, 0, " 5", true).pasteEnabled);
  EXPECT_FALSE(editMenuState("", 0, 0, "5\n", true).pasteEnabled);
  EXPECT_FALSE(editMenuState("", 0, 0, "", true).pasteEnabled);
  EXPECT_FALSE(editMenuState("", 0, 0, "", false).pasteEnabled);
}

TEST_F(Window, KeyboardContextMenuOpensAtTheFieldAndPastes) {
  auto w = solvedJ1();
  ASSERT_TRUE(resultOnDisplay(*w));
  QLineEdit* e = edit(*w, 2002);
  QGuiApplication::clipboard()->setText("0.5");
  e->setFocus();
  e->selectAll();

  QPoint popupAt;
  bool copyEnabled = false, pasteEnabled = false;
  QTimer::singleShot(200, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu) return;
    popupAt = menu->pos();
    const auto actions = menu->actions();
    for (QAction* a : actions) {
      if (a->text() == "Copy") copyEnabled = a->isEnabled();
      if (a->text() == "Paste") pasteEnabled = a->isEnabled();
    }
    for (QAction* a : actions)
      if (a->text() == "Paste") menu->setActiveAction(a);
    QTest::keyClick(menu, Qt::Key_Return);
  });
  QContextMenuEvent request(QContextMenuEvent::Keyboard, QPoint(0, 0), QPoint(-1, -1));
  QApplication::sendEvent(e, &request);

  EXPECT_TRUE(copyEnabled);
  EXPECT_TRUE(pasteEnabled);
  const QRect field(e->mapToGlobal(QPoint(0, 0)), e->size());
  EXPECT_TRUE(field.adjusted(-10, -10, 10, 40).contains(popupAt)) << popupAt.x() << "," << popupAt.y();
  EXPECT_EQ(e->text(), "0.5");
  EXPECT_FALSE(resultOnDisplay(*w)) << "a paste clears the result";
}

TEST_F(Window, ReadoutsFollowTheTeethPitchAndHelix) {
  auto w = open();
  const Controls& c = w->controls();
  typeInto(*w, 2006, "8");
  typeInto(*w, 2004, "30");
  EXPECT_EQ(c.text(3009), "") << "no number of teeth yet";
  w->controls().select(2003, 29);
  const GeometryReadouts expected = geometryReadouts("30", "8", "30");
  EXPECT_EQ(c.text(3009).toStdString(), expected.pitchDiameter);
  EXPECT_EQ(c.text(3010).toStdString(), expected.outsideDiameter);
  EXPECT_TRUE(c.text(3009).endsWith("4.3301"));
  EXPECT_TRUE(c.text(3010).endsWith("4.5801"));
  typeInto(*w, 2004, "89.91");
  EXPECT_EQ(c.text(3009), "");
  EXPECT_EQ(c.text(3010), "");
}

// ---------------------------------------------------------------- printing

TEST_F(Window, PrintWritesTheSheetOfTheResultOnDisplay) {
  QTemporaryDir dir;
  auto w = solvedJ1();
  const QString first = dir.filePath("first.pdf");
  const QString second = dir.filePath("second.pdf");

  w->setPrintToPdf(first);
  w->controls().action(32779)->trigger();
  EXPECT_TRUE(w->printing());
  w->setPrintToPdf(second);
  w->controls().action(32779)->trigger();  // refused while the first sheet is made

  // Closing waits for the sheet, then closes with the settings written.
  typeInto(*w, 2002, "0.25");
  EXPECT_FALSE(w->close());
  EXPECT_TRUE(w->isVisible());
  QTRY_VERIFY_WITH_TIMEOUT(!w->printing(), kRunTimeoutMs);
  QTRY_VERIFY_WITH_TIMEOUT(!w->isVisible(), 10000);
  EXPECT_TRUE(w->lastPrintSucceeded());
  EXPECT_EQ(storedSetting("Feed constant"), "0.25");

  QFile pdf(first);
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  EXPECT_TRUE(pdf.read(5) == "%PDF-");
  EXPECT_GT(pdf.size(), 1000);
  EXPECT_FALSE(QFile::exists(second));
}

}  // namespace
}  // namespace hobwise::ui

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // Settings go to a directory of the test's own, never to the user's.
  QTemporaryDir settingsDir;
  qputenv("XDG_CONFIG_HOME", settingsDir.path().toLocal8Bit());
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
