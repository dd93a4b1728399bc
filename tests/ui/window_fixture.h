#pragma once
// The window test fixture: a Main window on the offscreen platform driven through
// its real widgets, the example job typed in, solved and checked.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include <QtTest>
#include <QtWidgets>

#include "model/gear_stock.h"
#include "results/results.h"
#include "solver/solver.h"
#include "ui/main_window.h"
#include "ui/widgets.h"

namespace hobwise::ui {

constexpr int kRunTimeoutMs = 300000;  // generous: sanitizer builds are slow

// A few gears around 30 to 50 teeth: enough for results, small enough to solve fast.
inline std::string smallStockText() {
  GearStock stock;
  for (int t = 30; t <= 52; ++t) stock.setCount(t, 1);
  return stock.toText();
}

// Acts on the next modal dialog of type D once its own event loop runs (acting
// while it is still being shown would leave that loop running forever).
template <class D>
inline void onDialog(std::function<void(D*)> act) {
  auto* timer = new QTimer;
  const int level = QThread::currentThread()->loopLevel();
  QObject::connect(timer, &QTimer::timeout, [timer, act, level] {
    auto* d = qobject_cast<D*>(QApplication::activeModalWidget());
    if (!d || QThread::currentThread()->loopLevel() <= level) return;
    timer->deleteLater();
    timer->stop();
    act(d);
  });
  timer->start(10);
}

inline void chooseFile(const QString& path, const QString& filter = QString()) {
  onDialog<QFileDialog>([path, filter](QFileDialog* d) {
    if (!filter.isEmpty()) d->selectNameFilter(filter);
    d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);  // as typed
    static_cast<QDialog*>(d)->accept();
  });
}

inline void storeSetting(const char* key, const QString& value) { QSettings("Quillmar", "1").setValue(key, value); }
inline QString storedSetting(const char* key) { return QSettings("Quillmar", "1").value(key).toString(); }

class Window : public ::testing::Test {
 protected:
  void SetUp() override { QSettings("Quillmar", "1").clear(); }

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
    for (const auto& [id, text] : {std::pair{2001, "30"}, {2002, "0.0625"}, {2007, ".025"}, {2004, "23.5"}, {2006, "8"}})
      typeInto(w, id, text);
    w.controls().select(2003, 29);  // "30"
  }

  static void pressSolve(MainWindow& w) {
    ASSERT_TRUE(w.controls().isEnabled(1001));
    QTest::mouseClick(w.controls().widget(1001), Qt::LeftButton);
    EXPECT_TRUE(w.solveRunning());
  }

  static void waitForRun(MainWindow& w) { QTRY_VERIFY_WITH_TIMEOUT(!w.solveRunning(), kRunTimeoutMs); }
  static void solveAndWait(MainWindow& w) { pressSolve(w), waitForRun(w); }

  static void clickArrow(MainWindow& w, int upDownId, bool increase, int times = 1) {
    auto* u = w.controls().as<UpDown>(upDownId);
    while (times-- > 0) QTest::mouseClick(increase ? u->increaseButton() : u->decreaseButton(), Qt::LeftButton);
  }

  // The print command, writing the sheet to a PDF file in place of a printer.
  static void printTo(MainWindow& w, const QString& pdf) {
    w.setPrintToPdf(pdf);
    w.controls().action(32779)->trigger();
  }

  // J1 on the small stock, solved by the engine directly.
  static const std::vector<FoundResult>& solvedDirectly() {
    static const std::vector<FoundResult> results = [] {
      SolveOptions options;
      options.processors = std::max(1u, std::thread::hardware_concurrency());
      return solve(exampleJobInputs(), GearStock::fromText(smallStockText()), options).results;
    }();
    return results;
  }

  static void expectShows(MainWindow& w, const FoundResult& result) {
    const ResultTexts t = resultTexts(result, *EvaluateResult(exampleJobInputs(), result));
    std::vector<std::string> expected(t.gears.begin(), t.gears.end()), shown;
    expected.insert(expected.end(), {t.status, t.indexError, t.feedError, t.feedLine, t.leadLine});
    for (int id : kGearFieldIds) shown.push_back(w.controls().text(id).toStdString());
    for (int id : {3011, 3008, 3012, 3013, 3014}) shown.push_back(w.controls().text(id).toStdString());
    EXPECT_EQ(shown, expected);
  }

  static bool resultOnDisplay(MainWindow& w) {
    const Controls& c = w.controls();
    return !c.text(3011).isEmpty() && c.isShown(1020) && c.isShown(1003) && c.isMenuEnabled(32779);
  }

  static void expectCleared(MainWindow& w) {
    const Controls& c = w.controls();
    EXPECT_FALSE(resultOnDisplay(w));
    for (int id : {3011, 3003, 3014}) EXPECT_EQ(c.text(id), "") << id;
    EXPECT_FALSE(c.isShown(1003) || c.isMenuEnabled(32779));
    EXPECT_TRUE(w.foundResults().empty());
  }

  // Solves J1 with the small stock and waits for the result.
  std::unique_ptr<MainWindow> solvedJ1() {
    storeSetting("Change gears", QString::fromStdString(smallStockText()));
    auto w = open();
    enterJ1(*w);
    solveAndWait(*w);
    EXPECT_FALSE(w->foundResults().empty());
    return w;
  }
};

}  // namespace hobwise::ui
