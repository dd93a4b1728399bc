// The results table, its copy and exports, the sheet as PDF, the stock tools and
// Solve's tooltip, driven through the real widgets and dialogs.
#include "results/result_rows.h"
#include "ui/results_table.h"
#include "ui/stock_tools.h"
#include "ui/table_tools.h"
#include "window_fixture.h"

namespace hobwise::ui {
namespace {

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray run(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  p.waitForFinished(kRunTimeoutMs);
  return p.readAllStandardOutput();
}

// A result as the Main page shows it: both trains as "a × b / c × d", then the
// status, index error, feed error, feed and lead lines.
QStringList fromCells(const QStringList& c) {
  if (c.size() != kResultColumnCount) return {};
  return {c[kIndexGearsColumn], c[kFeedGearsColumn], "C: " + c[kCConstantColumn], "Index Error: " + c[kIndexErrorColumn],
          "Feed Error: " + c[kFeedErrorColumn],
          "Actual Feed Rate: " + c[kActualFeedColumn] + "   \r\nFeed Rate along Helix Angle: " + c[kHelixFeedColumn],
          "Theoretical Lead: " + c[kTheoreticalLeadColumn] + " Lead from Gearing: " + c[kGearingLeadColumn] +
              " (Error: " + c[kLeadErrorColumn] + ")"};
}

QStringList fromJson(const QJsonObject& r) {
  auto train = [](const QJsonValue& v) {
    const QJsonArray g = v.toArray();
    return QStringLiteral("%1 × %2 / %3 × %4").arg(g[0].toInt()).arg(g[1].toInt()).arg(g[2].toInt()).arg(g[3].toInt());
  };
  return {train(r["index"]), train(r["feed"]), r["c"].toString(), QStringLiteral("Index Error: None"), r["feedError"].toString(),
          r["feedLine"].toString(), r["leadLine"].toString()};
}

class Tables : public Window {
 protected:
  void SetUp() override {
    Window::SetUp();
    w = open();
    tools = w->findChild<TableTools*>();
    ASSERT_NE(tools, nullptr);
    table = tools->table();
  }

  Controls& c() { return w->controls(); }

  // The example job with a set-up, solved with the stock on the page; the table is
  // empty and says so while the run goes.
  void solveExample(int setup = 0) {
    enterJ1(*w);
    c().select(2005, setup);
    pressSolve(*w);
    EXPECT_TRUE(table->rowCount() == 0 && table->message().startsWith("Solving"));
    waitForRun(*w);
  }

  QStringList shown() {
    auto t = [this](int id) { return c().text(id); };
    return {t(3003) + " × " + t(3005) + " / " + t(3004) + " × " + t(3006),
            t(3024) + " × " + t(3026) + " / " + t(3025) + " × " + t(3027), t(3011), t(3008), t(3012), t(3013), t(3014)};
  }

  QStringList cells(int row) {
    QStringList out;
    for (int col = 0; col < kResultColumnCount; ++col) out << table->view()->model()->index(row, col).data().toString();
    return out;
  }

  void clickRow(int row, Qt::KeyboardModifiers keys = {}) {
    QTableView* v = table->view();
    QTest::mouseClick(v->viewport(), Qt::LeftButton, keys, v->visualRect(v->model()->index(row, 1)).center());
  }

  QAction* item(const QString& menu, const QString& text) {
    for (QAction* m : w->menuBar()->actions())
      for (QAction* a : m->menu() && m->text() == menu ? m->menu()->actions() : QList<QAction*>())
        if (a->text() == text) return a;
    ADD_FAILURE() << text.toStdString();
    return new QAction(w.get());
  }

  QTemporaryDir dir;
  std::unique_ptr<MainWindow> w;
  TableTools* tools = nullptr;
  ResultsTable* table = nullptr;
};

TEST_F(Tables, TableHoldsTheTextsOfTheCommandLine) {
  QTest::keyClick(w.get(), Qt::Key_T, Qt::ControlModifier);
  EXPECT_TRUE(table->isVisible());
  for (int setup : {0, 5}) {
    solveExample(setup);
    const QJsonArray results = QJsonDocument::fromJson(run(HOBWISE_SOLVE, {"--example", "--setup", QString::number(setup),
                                                                            "--json"})).object()["results"].toArray();
    ASSERT_EQ(table->rowCount(), results.size()) << setup;
    for (int k = 0; k < results.size(); ++k)
      EXPECT_EQ(cells(k)[0] + fromCells(cells(k)).join('|'), QString::number(k + 1) + fromJson(results[k].toObject()).join('|'))
          << "set-up " << setup << ", result " << k + 1;
  }
}

TEST_F(Tables, ChoosingARowShowsItsResultAndBrowsingMovesTheRow) {
  solveExample();
  item("&Tools", "Results Table ...")->trigger();
  clickRow(16);
  EXPECT_EQ(shown(), fromCells(cells(16)));
  EXPECT_EQ(c().as<UpDown>(1003)->position(), 17);
  EXPECT_EQ(tools->positionText()->text(), QStringLiteral("17 of %1").arg(table->rowCount()));
  QTest::mouseClick(c().as<UpDown>(1003)->increaseButton(), Qt::LeftButton);
  EXPECT_EQ(table->view()->currentIndex().row(), 17);
  EXPECT_EQ(shown(), fromCells(cells(17)));

  // Sorted by the feed error's size, each shown with its sign; the numbers stay.
  QHeaderView* header = table->view()->horizontalHeader();
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(kFeedErrorColumn) + 9, 9));
  std::vector<double> sizes;
  bool negative = false, positive = false;
  for (int row = 0; row < table->rowCount(); ++row) {
    const double error = cells(row)[kFeedErrorColumn].toDouble();
    negative |= error < 0, positive |= error > 0;
    sizes.push_back(std::abs(error));
  }
  EXPECT_TRUE(negative && positive);
  const bool descending = header->sortIndicatorOrder() == Qt::DescendingOrder;
  EXPECT_TRUE(descending ? std::is_sorted(sizes.rbegin(), sizes.rend()) : std::is_sorted(sizes.begin(), sizes.end()));
  const int largest = descending ? 0 : table->rowCount() - 1;
  clickRow(largest);
  EXPECT_NE(cells(largest)[kNumberColumn], "1");
  EXPECT_EQ(c().as<UpDown>(1003)->position(), cells(largest)[kNumberColumn].toInt());
  EXPECT_EQ(shown(), fromCells(cells(largest)));

  typeInto(*w, 2004, "24");  // a changed input takes result, table and "k of n" away
  EXPECT_FALSE(tools->positionText()->isVisible());
  EXPECT_EQ(table->rowCount(), 0);
}

TEST_F(Tables, CopyAndBothExportsReadBackAsTheResults) {
  solveExample();
  item("&Tools", "Results Table ...")->trigger();
  clickRow(2);
  clickRow(5, Qt::ShiftModifier);
  QTest::keyClick(table->view(), Qt::Key_C, Qt::ControlModifier);
  const QStringList lines = QApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 5);
  EXPECT_TRUE(lines[0].startsWith("Result\tIndex Gears\tFeed Gears\t"));
  for (int i = 1; i < 5; ++i) EXPECT_EQ(lines[i].split('\t'), cells(i + 1)) << i;

  const QString csv = dir.filePath("r.csv"), json = dir.filePath("r.json");
  chooseFile(csv, "CSV files (*.csv)");
  table->exportWithDialog();
  chooseFile(json, "JSON files (*.json)");
  table->exportWithDialog();
  const QStringList rows = QString::fromUtf8(readAll(csv)).split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(rows.size(), table->rowCount() + 1);
  for (int k = 0; k < table->rowCount(); ++k) EXPECT_EQ(rows[k + 1].split(','), cells(k)) << k;
  EXPECT_EQ(readAll(json), run(HOBWISE_SOLVE, {"--example", "--json"}));
}

TEST_F(Tables, SheetAsPdfBelowPrintWritesOnePageWithTheGearsOnDisplay) {
  QAction* sheet = item("&File", "Save Sheet as PDF ...");
  QStringList bar, file;
  for (QAction* a : w->menuBar()->actions()) bar << a->text();
  for (QAction* a : w->menuBar()->actions().first()->menu()->actions()) file << a->text();
  EXPECT_EQ(bar, QStringList({"&File", "Main Page ...", "Change-Gears Page ...", "&Tools", "&Help"}));
  EXPECT_EQ(file.indexOf("Save Sheet as PDF ..."), file.indexOf("Print ...") + 1);
  EXPECT_FALSE(sheet->isEnabled());
  solveExample();
  EXPECT_TRUE(sheet->isEnabled());
  QTest::mouseClick(c().as<UpDown>(1003)->increaseButton(), Qt::LeftButton);
  chooseFile(dir.filePath("sheet"));
  sheet->trigger();
  EXPECT_TRUE(run("pdfinfo", {dir.filePath("sheet.pdf")}).contains("Pages:           1"));
  const QByteArray text = run("pdftotext", {"-layout", dir.filePath("sheet.pdf"), "-"});
  for (auto [left, right] : {std::pair{3003, 3005}, {3004, 3006}, {3024, 3026}, {3025, 3027}})
    EXPECT_TRUE(text.contains((c().text(left) + " x " + c().text(right)).toLatin1())) << left;
  typeInto(*w, 2004, "24");
  EXPECT_FALSE(sheet->isEnabled());
}

TEST_F(Tables, StockSavedEditedAndLoadedIsWhatTheSolverUses) {
  const QString path = dir.filePath("stock.txt");
  chooseFile(path);
  item("&Tools", "Save Stock ...")->trigger();
  QByteArray text = readAll(path);
  QFile out(path);
  ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
  out.write(text.replace("\n30 1\n", "\n") + "100 3\n");
  out.close();
  onDialog<QInputDialog>([](QInputDialog* d) { d->setIntValue(2), d->accept(); });
  item("&Tools", "Set Whole Stock ...")->trigger();
  EXPECT_EQ(w->ReadGearStock().toText(), std::string(154, '2'));

  solveExample();
  chooseFile(path);
  item("&Tools", "Load Stock ...")->trigger();
  GearStock edited = GearStock::defaultStock();
  edited.setCount(30, 0);
  edited.setCount(100, 3);
  EXPECT_EQ(w->ReadGearStock(), edited);
  EXPECT_TRUE(c().text(3011).isEmpty() && table->rowCount() == 0) << "a loaded stock clears the result";
  solveExample();
  const std::vector<ResultRow> expected = resultRows(exampleJobInputs(), solve(exampleJobInputs(), edited, {}).results);
  ASSERT_EQ(table->rowCount(), static_cast<int>(expected.size()));
  for (int k = 0; k < table->rowCount(); ++k) EXPECT_EQ(cells(k)[1].toStdString(), expected[k][1]) << k;
}

TEST_F(Tables, BadStockFilesAreRefusedAndThePageKeepsItsStock) {
  solveExample();
  const GearStock before = w->ReadGearStock();
  for (auto [text, says] : {std::pair{"30 1\n170 1\n", "line 2: the tooth count 170"}, {"#\n30 8", "line 2: the count 8"},
                            {"30 1\n30 2", "line 2: the tooth count 30 is given twice"}, {"x 1", "line 1: expected"},
                            {"", "bad.txt\": blank (no stock line and no comment)"},
                            {"#\x89PNG\r\n\x1A\n", "line 1: \"#\\x89PNG\" is not plain text"}}) {
    QFile f(dir.filePath("bad.txt"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
    f.close();
    chooseFile(f.fileName());
    QString message;
    onDialog<QMessageBox>([&message](QMessageBox* box) { message = box->text(), box->accept(); });
    item("&Tools", "Load Stock ...")->trigger();
    EXPECT_TRUE(message.contains(says)) << message.toStdString();
    EXPECT_EQ(w->ReadGearStock(), before) << says;
    EXPECT_FALSE(c().text(3011).isEmpty()) << says;
  }
}

// A file that cannot be written is reported, naming it and the reason; nothing is left.
TEST_F(Tables, FailedSavesSayWhichFileAndWhy) {
  solveExample();
  const QString missing = dir.filePath("missing");
  const std::function<void()> saves[] = {[this] { item("&Tools", "Save Stock ...")->trigger(); },
                                         [this] { item("&File", "Save Sheet as PDF ...")->trigger(); },
                                         [this] { table->exportWithDialog(); }};
  for (const auto& save : saves) {
    chooseFile(missing + "/out.pdf");
    QString message;
    onDialog<QMessageBox>([&message](QMessageBox* box) { message = box->text(), box->accept(); });
    save();
    EXPECT_TRUE(message.endsWith("cannot write \"" + missing + "/out.pdf\": No such file or directory")) << message.toStdString();
  }
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
}

TEST_F(Tables, SolveTooltipNamesTheInputsThatKeepItGreyed) {
  solveExample();
  EXPECT_TRUE(tools->solveTip().contains("after a run"));
  typeInto(*w, 2006, "0.3");
  QWidget* solve = c().widget(1001);
  QHelpEvent hover(QEvent::ToolTip, QPoint(5, 5), solve->mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(solve, &hover);
  EXPECT_FALSE(solve->isEnabled());
  EXPECT_EQ(solve->toolTip(), "Solve needs:\nNormal Diametral Pitch: a value from 0.35 to 360");
  typeInto(*w, 2006, "8");
  EXPECT_TRUE(solve->isEnabled() && tools->solveTip().isEmpty());
}

}  // namespace
}  // namespace hobwise::ui
