// The window driven as the operator drives it: typing into the fields, picking the
// teeth and the set-up, stepping gear counts, pressing Solve and browsing results.
#include <functional>
#include <tuple>

#include "results/train_check.h"
#include "ui/check_train_dialog.h"
#include "window_fixture.h"

namespace hobwise::ui {
namespace {

// ---------------------------------------------------------------- start-up

TEST_F(Window, FreshStartShowsTheMainPageReadyForAJob) {
  auto w = open();
  const Controls& c = w->controls();
  EXPECT_EQ(w->windowTitle(), "Hobwise for Helicals without Differential");
  EXPECT_EQ(w->frameGeometry().size(), QSize(900, 550));
  const std::pair<int, QString> texts[] = {{2001, ""}, {2002, ""}, {2007, ".025"}, {3002, "1"}, {5553, "169"}, {5400, "16"}};
  for (const auto& [id, text] : texts) EXPECT_EQ(c.text(id), text) << id;
  EXPECT_EQ(std::pair(c.selectedIndex(2003), c.selectedIndex(2005)), std::pair(-1, 0));
  EXPECT_FALSE(c.isChecked(3007) || c.isChecked(3015) || c.isChecked(32781));
  EXPECT_FALSE(c.isEnabled(1001) || c.isMenuEnabled(32779) || c.isMenuEnabled(32774));
  EXPECT_TRUE(c.isMenuEnabled(32775));
  EXPECT_FALSE(c.isShown(1020) || c.isShown(5000));
  auto* teeth = c.as<QComboBox>(2003);
  EXPECT_EQ(std::tuple(teeth->count(), teeth->itemText(0), teeth->itemText(399)), std::tuple(400, QString("1"), QString("400")));
  EXPECT_EQ(c.as<QComboBox>(2005)->count(), 8);
  // Places in the client area; the Change-gears cells column by column.
  const std::pair<int, QRect> places[] = {{2001, {125, 4, 68, 24}}, {1001, {555, 416, 80, 23}},
                                          {5013, {20, 425, 15, 22}}, {5014, {95, 35, 15, 22}}, {5353, {786, 425, 15, 22}}};
  for (const auto& [id, place] : places) EXPECT_EQ(c.widget(id)->geometry(), place) << id;
  EXPECT_EQ(w->ReadGearStock(), GearStock::defaultStock());
}

// ---------------------------------------------------------------- solving and browsing

TEST_F(Window, SolveShowsWhatTheEngineFindsAndBrowsesThroughIt) {
  auto w = solvedJ1();
  Controls& c = w->controls();
  const auto& found = w->foundResults();
  ASSERT_EQ(found.size(), solvedDirectly().size());
  expectShows(*w, solvedDirectly()[0]);
  EXPECT_TRUE(resultOnDisplay(*w));
  EXPECT_FALSE(c.isEnabled(1001)) << "Solve stays disabled after a run";
  for (int id : {1002, 1003, 2001}) EXPECT_TRUE(c.isEnabled(id)) << id;
  EXPECT_TRUE(c.isMenuEnabled(32772) && c.isMenuEnabled(32781));

  // Browse to the last result and past it (it stays); back to the first and past it.
  const int n = static_cast<int>(found.size());
  auto* browser = c.as<UpDown>(1003);
  EXPECT_EQ(std::tuple(browser->low(), browser->high(), browser->position()), std::tuple(1, n, 1));
  for (int i = 1; i <= n; ++i) clickArrow(*w, 1003, true), expectShows(*w, found[static_cast<std::size_t>(std::min(i, n - 1))]);
  EXPECT_EQ(browser->position(), n);
  for (int i = n - 2; i >= -1; --i) clickArrow(*w, 1003, false), expectShows(*w, found[static_cast<std::size_t>(std::max(i, 0))]);
  EXPECT_EQ(browser->position(), 1);
}

TEST_F(Window, ChangesClearTheResultAndSolveFollowsTheRanges) {
  auto w = solvedJ1();
  Controls& c = w->controls();
  QTest::keyClicks(edit(*w, 2001), "0");  // a digit takes the result off the screen
  expectCleared(*w);

  const struct { int id; const char* text; bool enabled; } cases[] = {
      {2001, "0.5", true},  {2001, "1200", true}, {2001, "0.49", false}, {2001, "1200.5", false},
      {2001, "", false},    {2004, "89.9", true}, {2004, "90", false},   {2004, "", false},
      {2007, "0.1", true},  {2007, "0.11", false}, {2007, "", true},     // an empty feed rate is 0
      {2002, "", true},     {2006, "", false}};
  for (const auto& k : cases) {
    enterJ1(*w);
    typeInto(*w, k.id, k.text);
    EXPECT_EQ(c.isEnabled(1001), k.enabled) << k.id << " '" << k.text << "'";
  }
  c.select(2003, -1);  // no number of teeth
  QTest::keyClick(edit(*w, 2001), Qt::Key_Shift);
  EXPECT_FALSE(c.isEnabled(1001));
  enterJ1(*w);
  // The options, another set-up, a hob-thread step and Delete each clear the result.
  auto* finite = c.as<QCheckBox>(3007);
  auto* whole = c.as<QCheckBox>(3015);
  const std::function<void()> changes[] = {
      [&] { QTest::mouseClick(finite, Qt::LeftButton); }, [&] { c.action(32781)->trigger(); },
      [&] { c.action(32781)->trigger(); }, [&] { c.select(2005, 3); },
      [&] { edit(*w, 2002)->setCursorPosition(0), QTest::keyClick(edit(*w, 2002), Qt::Key_Delete); },  // ".0625"
      [&] { clickArrow(*w, 1011, true); }};
  for (std::size_t k = 0; k < 6; ++k) {
    QTest::keyClick(edit(*w, 2001), Qt::Key_Shift);
    solveAndWait(*w);
    ASSERT_TRUE(resultOnDisplay(*w)) << k;
    changes[k]();
    expectCleared(*w);
    EXPECT_TRUE(c.isEnabled(1001)) << k;
    EXPECT_EQ(c.isChecked(32781), k == 1) << k;  // Bypass Duplicates Check toggles
  }
  // Check boxes: one excludes the other; unchecking never checks the other.
  QTest::mouseClick(whole, Qt::LeftButton);
  EXPECT_TRUE(whole->isChecked() && !finite->isChecked());
  QTest::mouseClick(whole, Qt::LeftButton);
  EXPECT_FALSE(whole->isChecked() || finite->isChecked());
  // The hob threads stay within 1 to 24.
  clickArrow(*w, 1011, false, 3);
  EXPECT_EQ(c.text(3002), "1");
  clickArrow(*w, 1011, true, 30);
  EXPECT_EQ(c.text(3002), "24");
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

TEST_F(Window, StockEditedOnTheChangeGearsPageIsWhatTheRunUses) {
  storeSetting("Change gears", QString(154, '0'));
  auto w = open();
  Controls& c = w->controls();
  enterJ1(*w);
  c.action(32775)->trigger();
  EXPECT_TRUE(c.isShown(5000) && !c.isShown(2001) && !c.isMenuEnabled(32775) && c.isMenuEnabled(32774));
  // One gear each of 30 to 52 teeth, stepped in; 60 stepped to 7 and beyond, and back.
  for (int t = 30; t <= 52; ++t) clickArrow(*w, t + 5184, true);
  clickArrow(*w, 60 + 5184, true, 9);
  EXPECT_EQ(c.text(60 + 4984), "7");
  clickArrow(*w, 60 + 5184, false, 9);
  clickArrow(*w, 16 + 5184, false);
  EXPECT_EQ(c.text(16 + 4984), "0");
  EXPECT_EQ(w->ReadGearStock(), GearStock::fromText(smallStockText()));
  c.action(32774)->trigger();
  EXPECT_TRUE(!c.isShown(5000) && c.isShown(2001) && !c.isShown(1020));
  solveAndWait(*w);
  expectShows(*w, solvedDirectly()[0]);
  // A step on the Change-gears page takes the result away; back on the Main page no
  // result group shows and Solve is judged again.
  c.action(32775)->trigger();
  clickArrow(*w, 80 + 5184, true);
  c.action(32774)->trigger();
  EXPECT_EQ(c.text(3011), "");
  EXPECT_FALSE(c.isShown(1020) || c.isShown(3003));
  EXPECT_TRUE(c.isEnabled(1001));
}

TEST_F(Window, EscapeEndsALongRunAndShowsWhatWasFound) {
  storeSetting("Change gears", QString(154, '2'));
  auto w = open();
  Controls& c = w->controls();
  enterJ1(*w);
  pressSolve(*w);
  // Locked for the length of the run: the browser too, and closing is refused.
  for (int id : {1001, 1002, 1003, 2001, 5200}) EXPECT_FALSE(c.isEnabled(id)) << id;
  for (int id : {32772, 32775, 32781}) EXPECT_FALSE(c.isMenuEnabled(id)) << id;
  EXPECT_FALSE(w->close());
  EXPECT_TRUE(w->isVisible());
  QTRY_VERIFY_WITH_TIMEOUT(c.text(3011).startsWith("Processing") || !w->solveRunning(), kRunTimeoutMs);
  QTest::keyClick(w.get(), Qt::Key_Escape);
  waitForRun(*w);
  for (int id : {1002, 1003, 2001, 5200}) EXPECT_TRUE(c.isEnabled(id)) << id;
  EXPECT_TRUE(c.isMenuEnabled(32772));
  if (!w->foundResults().empty()) expectShows(*w, w->foundResults()[0]);
  EXPECT_FALSE(c.text(3011).startsWith("Processing"));
}

// ---------------------------------------------------------------- settings

TEST_F(Window, ExitSavesTheFourSettingsAndTheNextStartRestoresThem) {
  {
    auto w = open();
    // A cleared feed rate comes back empty, not ".025"; the helix angle is not kept.
    for (const auto& [id, text] : {std::pair{2001, "40"}, {2002, "0.125"}, {2007, ""}, {2004, "12"}}) typeInto(*w, id, text);
    w->ShowPage(2);
    for (int t : {16, 169, 169}) clickArrow(*w, t + 5184, true);
    clickArrow(*w, 30 + 5184, false);
    QTest::mouseClick(w->controls().widget(1002), Qt::LeftButton);
    EXPECT_FALSE(w->isVisible());
  }
  std::string stock = defaultGearStockText().substr(0, 154);
  stock[0] = '1';
  stock[153] = '2';
  stock[14] = '0';
  const std::pair<const char*, QString> stored[] = {
      {"Index constant", "40"}, {"Feed constant", "0.125"}, {"Feed rate", ""}, {"Change gears", QString::fromStdString(stock)}};
  for (const auto& [key, value] : stored) EXPECT_EQ(storedSetting(key), value) << key;
  auto w = open();
  const Controls& c = w->controls();
  const std::pair<int, QString> shown[] = {{2001, "40"}, {2002, "0.125"}, {2007, ""}, {2004, ""}};
  for (const auto& [id, text] : shown) EXPECT_EQ(c.text(id), text) << id;
  EXPECT_EQ(w->ReadGearStock(), GearStock::fromText(stock));
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
  for (int t = 16; t <= 169; ++t) EXPECT_EQ(c.text(t + 4984), t == 16 ? "1" : t == 17 ? "2" : t == 21 ? "7" : "0") << t;
  EXPECT_EQ(c.text(2001) + "|" + c.text(2007) + "|" + c.text(2002), "123456|0.02500000|");
  w->ShowPage(2);
  clickArrow(*w, 18 + 5184, true);  // a count steps on from what is shown
  EXPECT_EQ(c.text(18 + 4984), "1");
  w.reset();

  storeSetting("Change gears", QString(400, '3'));
  w = open();
  for (int t = 16; t <= 169; ++t) EXPECT_EQ(w->controls().text(t + 4984), "3") << t;
  w->close();
  EXPECT_EQ(storedSetting("Change gears"), QString(154, '3'));
}

// ---------------------------------------------------------------- edit fields

TEST_F(Window, FieldsTakeOnlyUnsignedDecimalsAndTabPairsHelixWithPitch) {
  auto w = open();
  ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
  Controls& c = w->controls();
  QLineEdit* e = edit(*w, 2002);
  QTest::keyClicks(e, "1.2.3");
  EXPECT_EQ(c.text(2002), "1.23");
  typeInto(*w, 2002, "12.5");
  e->setSelection(2, 2);  // ".5": a point may replace the point
  QTest::keyClick(e, '.');
  QTest::keyClicks(e, "-a +e");
  QTest::keyClick(e, Qt::Key_Return);
  // Ctrl shortcuts are characters the field drops: no paste, cut, undo or select-all.
  QGuiApplication::clipboard()->setText("77");
  for (const auto& [key, modifier] : {std::pair{Qt::Key_V, Qt::ControlModifier}, {Qt::Key_Insert, Qt::ShiftModifier},
                                      {Qt::Key_X, Qt::ControlModifier}, {Qt::Key_Z, Qt::ControlModifier}})
    e->selectAll(), QTest::keyClick(e, key, modifier);
  EXPECT_EQ(c.text(2002), "12.");
  // Length limits.
  const struct { int id; QString typed, kept; } limits[] = {
      {2001, "987654321", "987654"}, {2007, "0.0000000001234", "0.00000000"}, {2004, QString(40, '1'), QString(33, '1')}};
  for (const auto& k : limits) {
    typeInto(*w, k.id, k.typed);
    EXPECT_EQ(c.text(k.id), k.kept) << k.id;
  }
  // Readouts follow the teeth, the pitch and the helix angle.
  typeInto(*w, 2006, "8");
  typeInto(*w, 2004, "30");
  EXPECT_EQ(c.text(3009), "") << "no number of teeth yet";
  c.select(2003, 29);
  EXPECT_EQ(c.text(3009), "Transverse Pitch Dia.: 4.3301");
  EXPECT_EQ(c.text(3010), "Outside Dia.: 4.5801");
  typeInto(*w, 2004, "89.91");
  EXPECT_EQ(c.text(3009) + c.text(3010), "");
  // Tab moves between helix angle and pitch only, selecting the text; elsewhere it is dropped.
  typeInto(*w, 2004, "23.5");
  for (const auto& [from, to, selected] : {std::tuple{2004, 2006, "8"}, {2006, 2004, "23.5"}, {2001, 2001, ""}}) {
    edit(*w, from)->setFocus();
    QTest::keyClick(edit(*w, from), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), edit(*w, to)) << from;
    EXPECT_EQ(edit(*w, to)->selectedText(), selected) << from;
  }
  EXPECT_EQ(c.text(2001), "987654");
}

TEST_F(Window, KeyboardContextMenuOpensAtTheFieldAndPastes) {
  auto w = solvedJ1();
  QLineEdit* e = edit(*w, 2002);
  QGuiApplication::clipboard()->setText("0.5");
  e->setFocus();
  e->selectAll();

  QPoint popupAt;
  QStringList items;  // with "+" when enabled
  QTimer::singleShot(200, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu) return;
    popupAt = menu->pos();
    for (QAction* a : menu->actions()) items << a->text() + (a->isEnabled() ? "+" : "");
    menu->setActiveAction(menu->actions().value(1));
    QTest::keyClick(menu, Qt::Key_Return);
  });
  QContextMenuEvent request(QContextMenuEvent::Keyboard, QPoint(0, 0), QPoint(-1, -1));
  QApplication::sendEvent(e, &request);

  EXPECT_EQ(items, QStringList({"Copy+", "Paste+"}));
  const QRect field(e->mapToGlobal(QPoint(0, 0)), e->size());
  EXPECT_TRUE(field.adjusted(-10, -10, 10, 40).contains(popupAt)) << popupAt.x() << "," << popupAt.y();
  EXPECT_EQ(e->text(), "0.5");
  EXPECT_FALSE(resultOnDisplay(*w)) << "a paste clears the result";
}


// ---------------------------------------------------------------- printing

TEST_F(Window, PrintWritesTheSheetOfTheResultOnDisplay) {
  QTemporaryDir dir;
  auto w = solvedJ1();
  const QString first = dir.filePath("first.pdf"), second = dir.filePath("second.pdf");
  printTo(*w, first);
  EXPECT_TRUE(w->printing());
  printTo(*w, second);  // refused while the first sheet is made
  // Closing waits for the sheet, then closes with the settings written.
  typeInto(*w, 2002, "0.25");
  EXPECT_FALSE(w->close());
  EXPECT_TRUE(w->isVisible());
  QTRY_VERIFY_WITH_TIMEOUT(!w->printing(), kRunTimeoutMs);
  QTRY_VERIFY_WITH_TIMEOUT(!w->isVisible(), 10000);
  EXPECT_TRUE(w->lastPrintSucceeded());
  EXPECT_EQ(storedSetting("Feed constant"), "0.25");
  QFile pdf(first);
  EXPECT_TRUE(pdf.open(QIODevice::ReadOnly) && pdf.read(5) == "%PDF-" && pdf.size() > 1000);
  EXPECT_FALSE(QFile::exists(second));
}

// ---------------------------------------------------------------- checking a train

TEST_F(Window, CheckATrainShowsTheFiguresOfAChangedGearAndPrintsItsSheet) {
  QTemporaryDir dir;
  auto w = solvedJ1();
  QStringList bar;
  for (QAction* a : w->menuBar()->actions()) bar << a->text();
  const int tools = bar.indexOf("&Tools");
  ASSERT_GE(tools, 1);
  EXPECT_EQ(bar.mid(tools - 1, 3), QStringList({"Change-Gears Page ...", "&Tools", "&Help"}));
  const auto display = [&w] {  // the Main page's result, which the check leaves alone
    QStringList texts;
    for (int id : {3003, 3005, 3004, 3006, 3024, 3026, 3025, 3027, 3011, 3012, 3013, 3014}) texts << w->controls().text(id);
    return texts;
  };
  const QStringList before = display();

  QAction* item = nullptr;
  for (QAction* a : w->menuBar()->actions()[tools]->menu()->actions())
    if (a->text() == "Check a Train ...") item = a;
  ASSERT_TRUE(item);
  item->trigger();
  QPointer<CheckTrainDialog> d = w->findChild<CheckTrainDialog*>();
  ASSERT_TRUE(d && d->isVisible() && d->isModal());
  MountedTeeth teeth{};  // filled with the result on display
  for (std::size_t i = 0; i < teeth.size(); ++i) {
    EXPECT_EQ(d->toothField(i)->text(), before[static_cast<int>(i)]) << kGearPlaceNames[i];
    teeth[i] = static_cast<std::uint16_t>(before[static_cast<int>(i)].toInt());
  }
  // One gear away from the result: the feed train's upper right gear one tooth more.
  d->toothField(5)->selectAll();
  QTest::keyClicks(d->toothField(5), QString::number(++teeth[5]));
  const auto expected = checkTrain(exampleJobInputs(), GearStock::fromText(smallStockText()), SolveOptions{}, teeth);
  const ResultTexts& t = expected.value().texts;
  const std::pair<const char*, QString> lines[] = {{"status", QString::fromStdString(t.status)},
                                                   {"feedError", QString::fromStdString(t.feedError)},
                                                   {"feedLine", QString::fromStdString(t.feedLine).remove('\r')},
                                                   {"leadLine", QString::fromStdString(t.leadLine)}};
  for (const auto& [name, text] : lines) EXPECT_EQ(d->findChild<QLabel*>(name)->text(), text) << name;
  ASSERT_FALSE(expected->notes.empty());  // a feed train one tooth off misses the ratio by far more than 0.001
  for (const std::string& note : expected->notes)
    EXPECT_TRUE(d->findChild<QLabel*>("notes")->text().contains(QString::fromStdString(note))) << note;

  QTest::keyClicks(d->toothField(0), "7");  // a third digit: far too many teeth
  EXPECT_TRUE(d->findChild<QLabel*>("notes")->text().startsWith("Index upper left: " + before[0] + "7 teeth is outside"));
  EXPECT_FALSE(d->printButton()->isEnabled());
  QTest::keyClick(d->toothField(0), Qt::Key_Backspace);
  w->setPrintToPdf(dir.filePath("checked.pdf"));
  QTest::mouseClick(d->printButton(), Qt::LeftButton);
  QTRY_VERIFY_WITH_TIMEOUT(!w->printing(), kRunTimeoutMs);
  EXPECT_TRUE(w->lastPrintSucceeded() && QFile::exists(dir.filePath("checked.pdf")));
  QProcess pdfText;  // a train a run would not give: its sheet says so
  pdfText.start("pdftotext", {dir.filePath("checked.pdf"), "-"});
  pdfText.waitForFinished();
  EXPECT_TRUE(pdfText.readAllStandardOutput().contains("NOT A VALID SET-UP"));
  for (QPushButton* b : d->findChildren<QPushButton*>())
    if (b->text() == "Close") QTest::mouseClick(b, Qt::LeftButton);
  QTRY_VERIFY(d.isNull());
  EXPECT_EQ(display(), before);
}

}  // namespace
}  // namespace hobwise::ui

int main(int argc, char** argv) {
  // Settings go to a directory of the test's own, never to the user's.
  QTemporaryDir settingsDir;
  // Two screens: a large one, where the window opens as it always does, and a small
  // one off the origin, smaller than the window (as 1400 x 900 at a scale of 2).
  QFile screens(settingsDir.filePath("screens.json"));
  if (screens.open(QIODevice::WriteOnly))
    screens.write(R"({"screens": [{"name": "large", "x": 0, "y": 0, "width": 1600, "height": 1000},
                                  {"name": "small", "x": 1600, "y": 120, "width": 700, "height": 450}]})");
  screens.close();
  qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.fileName().toLocal8Bit());
  qputenv("XDG_CONFIG_HOME", settingsDir.path().toLocal8Bit());
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
