// The results table, its copy and exports, the sheet as PDF, the stock tools and
// Solve's tooltip, driven through the real widgets and dialogs.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QHelpEvent>
#include <QInputDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "model/stock_file.h"
#include "results/result_rows.h"
#include "ui/main_window.h"
#include "ui/results_table.h"
#include "ui/table_tools.h"
#include "ui/widgets.h"

namespace hobwise::ui {
namespace {

constexpr int kRunTimeoutMs = 300000;

// Acts on the next modal dialog of type D as soon as it is open; returns at once.
template <class D>
void onDialog(std::function<void(D*)> act) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    if (auto* d = qobject_cast<D*>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      act(d);
    }
  });
  timer->start(10);
}

void chooseFile(const QString& path, const QString& filter = QString()) {
  onDialog<QFileDialog>([path, filter](QFileDialog* d) {
    if (!filter.isEmpty()) d->selectNameFilter(filter);
    d->selectFile(path);
    d->accept();
  });
}

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

// A result's texts as the Main page shows them, put together from its table cells.
QStringList pageTexts(const QStringList& cells) {
  if (cells.size() != kResultColumnCount) return {};
  return {cells[kIndexGearsColumn], cells[kFeedGearsColumn], "C: " + cells[kCConstantColumn],
          "Feed Error: " + cells[kFeedErrorColumn],
          "Actual Feed Rate: " + cells[kActualFeedColumn] + "   \r\nFeed Rate along Helix Angle: " +
              cells[kHelixFeedColumn],
          "Theoretical Lead: " + cells[kTheoreticalLeadColumn] + " Lead from Gearing: " + cells[kGearingLeadColumn] +
              " (Error: " + cells[kLeadErrorColumn] + ")"};
}

QString train(const QJsonValue& gears) {
  const QJsonArray g = gears.toArray();
  return QStringLiteral("%1 \u00d7 %2 / %3 \u00d7 %4").arg(g[0].toInt()).arg(g[1].toInt()).arg(g[2].toInt()).arg(g[3].toInt());
}

// The same texts from one result of `hobwise-solve --json`.
QStringList pageTexts(const QJsonObject& r) {
  return {train(r["index"]), train(r["feed"]), r["c"].toString(), r["feedError"].toString(),
          r["feedLine"].toString(), r["leadLine"].toString()};
}

// Fields of a CSV text (quotes as the export writes them).
std::vector<QStringList> parseCsv(const QString& text) {
  std::vector<QStringList> rows(1);
  QString field;
  bool quoted = false;
  for (int i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') field += text[++i];
      else if (c == '"') quoted = false;
      else field += c;
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',' || c == '\n') {
      rows.back() << field;
      field.clear();
      if (c == '\n') rows.emplace_back();
    } else {
      field += c;
    }
  }
  rows.pop_back();  // after the last line end
  return rows;
}

class Tables : public ::testing::Test {
 protected:
  void SetUp() override {
    QSettings settings(QStringLiteral("Quillmar"), QStringLiteral("1"));
    settings.clear();
    settings.sync();
    w = std::make_unique<MainWindow>();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    tools = w->findChild<TableTools*>();
    ASSERT_NE(tools, nullptr);
  }

  Controls& c() { return w->controls(); }

  void typeInto(int id, const QString& text) {
    auto* e = c().as<QLineEdit>(id);
    e->setFocus();
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Backspace);
    if (!text.isEmpty()) QTest::keyClicks(e, text);
  }

  // The example job with set-up `setup`, solved with the stock on the page.
  void solveExample(int setup = 0) {
    const JobInputs in = exampleJobInputs();
    for (auto [id, text] : {std::pair{2001, in.indexConstant}, {2002, in.feedConstant}, {2007, in.feedRate},
                            {2004, in.helixAngle}, {2006, in.normalPitch}})
      typeInto(id, QString::fromStdString(text));
    c().select(2003, std::stoi(in.teeth) - 1);
    c().select(2005, setup);
    QTest::mouseClick(c().widget(1001), Qt::LeftButton);
    ASSERT_TRUE(w->solveRunning());
    QTRY_VERIFY_WITH_TIMEOUT(!w->solveRunning(), kRunTimeoutMs);
  }

  // The texts the Main page shows now.
  QStringList shown() {
    auto t = [this](int id) { return c().text(id); };
    return {t(3003) + " \u00d7 " + t(3005) + " / " + t(3004) + " \u00d7 " + t(3006),
            t(3024) + " \u00d7 " + t(3026) + " / " + t(3025) + " \u00d7 " + t(3027),
            t(3011), t(3012), t(3013), t(3014)};
  }

  QStringList cells(int row) {
    QStringList out;
    for (int col = 0; col < kResultColumnCount; ++col) out << table()->view()->model()->index(row, col).data().toString();
    return out;
  }

  ResultsTable* table() { return tools->table(); }

  QAction* item(const QString& menu, const QString& text) {
    for (QAction* m : w->menuBar()->actions())
      if (m->text() == menu)
        for (QAction* a : m->menu()->actions())
          if (a->text() == text) return a;
    ADD_FAILURE() << text.toStdString();
    return new QAction(w.get());
  }

  void clickRow(int row) {
    QTableView* v = table()->view();
    QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, v->visualRect(v->model()->index(row, 1)).center());
  }

  QString stockFile(const char* name, const QByteArray& text) {
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
    return path;
  }

  QTemporaryDir dir;
  std::unique_ptr<MainWindow> w;
  TableTools* tools = nullptr;
};

TEST_F(Tables, ToolsMenuAndSheetItemSitWhereTheyBelong) {
  QStringList bar, file, toolItems;
  for (QAction* a : w->menuBar()->actions()) {
    bar << a->text();
    if (a->text() == "&File") for (QAction* f : a->menu()->actions()) file << f->text();
    if (a->text() == "&Tools") for (QAction* t : a->menu()->actions()) toolItems << t->text();
  }
  EXPECT_EQ(bar, QStringList({"&File", "Main Page ...", "Change-Gears Page ...", "&Tools", "&Help"}));
  EXPECT_EQ(file.indexOf("Save Sheet as PDF ..."), file.indexOf("Print ...") + 1);
  EXPECT_EQ(toolItems.mid(0, 4),
            QStringList({"Results Table ...", "Set Whole Stock ...", "Save Stock ...", "Load Stock ..."}));
}

TEST_F(Tables, TableHoldsTheTextsOfTheCommandLine) {
  QTest::keyClick(w.get(), Qt::Key_T, Qt::ControlModifier);
  ASSERT_TRUE(table()->isVisible());
  for (int setup : {0, 5}) {
    typeInto(2001, "");  // a change of input: the table empties
    EXPECT_EQ(table()->rowCount(), 0);
    solveExample(setup);
    const QJsonObject json = QJsonDocument::fromJson(run(HOBWISE_SOLVE, {"--example", "--setup",
                                                                          QString::number(setup), "--json"})).object();
    const QJsonArray results = json["results"].toArray();
    ASSERT_GT(results.size(), 100);
    ASSERT_EQ(table()->rowCount(), results.size()) << setup;
    for (int k = 0; k < results.size(); ++k) {
      EXPECT_EQ(cells(k)[kNumberColumn], QString::number(k + 1));
      EXPECT_EQ(pageTexts(cells(k)), pageTexts(results[k].toObject())) << "set-up " << setup << ", result " << k + 1;
    }
  }
}

TEST_F(Tables, ChoosingARowShowsItsResultAndBrowsingMovesTheRow) {
  solveExample();
  tools->openTable();
  clickRow(16);
  EXPECT_EQ(shown(), pageTexts(cells(16)));
  EXPECT_EQ(c().as<UpDown>(1003)->position(), 17);
  EXPECT_EQ(tools->positionText()->text(), QStringLiteral("17 of %1").arg(table()->rowCount()));
  EXPECT_TRUE(tools->positionText()->isVisible());

  QTest::mouseClick(c().as<UpDown>(1003)->increaseButton(), Qt::LeftButton);
  EXPECT_EQ(table()->view()->currentIndex().row(), 17);
  EXPECT_EQ(shown(), pageTexts(cells(17)));

  // Sorted by feed error: the rows keep their result numbers.
  QTest::mouseClick(table()->view()->horizontalHeader()->viewport(), Qt::LeftButton, {},
                    QPoint(table()->view()->horizontalHeader()->sectionViewportPosition(kFeedErrorColumn) + 5, 5));
  clickRow(0);
  const int number = cells(0)[kNumberColumn].toInt();
  EXPECT_NE(number, 1);
  EXPECT_EQ(c().as<UpDown>(1003)->position(), number);
  EXPECT_EQ(shown(), pageTexts(cells(0)));

  typeInto(2004, "24");  // a changed input takes the result and the text away
  EXPECT_FALSE(tools->positionText()->isVisible());
  EXPECT_EQ(table()->rowCount(), 0);
}

TEST_F(Tables, DuringARunTheTableIsEmptyAndSaysSo) {
  tools->openTable();
  solveExample();
  const int n = table()->rowCount();
  typeInto(2004, "23.5");  // clear, then solve again and look before the run ends
  QTest::mouseClick(c().widget(1001), Qt::LeftButton);
  EXPECT_EQ(table()->rowCount(), 0);
  EXPECT_TRUE(table()->message().contains("Solving"));
  QTRY_VERIFY_WITH_TIMEOUT(!w->solveRunning(), kRunTimeoutMs);
  EXPECT_EQ(table()->rowCount(), n);
}

TEST_F(Tables, CopyAndBothExportsReadBackAsTheResults) {
  solveExample();
  tools->openTable();
  clickRow(2);
  QTest::mouseClick(table()->view()->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                    table()->view()->visualRect(table()->view()->model()->index(5, 1)).center());
  QTest::keyClick(table()->view(), Qt::Key_C, Qt::ControlModifier);
  const QStringList lines = QApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 5);
  EXPECT_EQ(lines[0].split('\t').size(), kResultColumnCount);
  for (int i = 1; i < 5; ++i) EXPECT_EQ(pageTexts(lines[i].split('\t')), pageTexts(cells(i + 1))) << i;

  const QString csv = dir.filePath("results.csv"), json = dir.filePath("results.json");
  chooseFile(csv, "CSV files (*.csv)");
  table()->exportWithDialog();
  chooseFile(json, "JSON files (*.json)");
  table()->exportWithDialog();
  const std::vector<QStringList> rows = parseCsv(QString::fromUtf8(readAll(csv)));
  ASSERT_EQ(static_cast<int>(rows.size()), table()->rowCount() + 1);
  for (int k = 0; k < table()->rowCount(); ++k) EXPECT_EQ(rows[k + 1], cells(k)) << k;
  EXPECT_EQ(readAll(json), run(HOBWISE_SOLVE, {"--example", "--json"}));
}

TEST_F(Tables, SaveSheetAsPdfWritesOnePageWithTheGearsOnDisplay) {
  QAction* sheet = item("&File", "Save Sheet as PDF ...");
  EXPECT_FALSE(sheet->isEnabled());
  solveExample();
  ASSERT_TRUE(sheet->isEnabled());
  QTest::mouseClick(c().as<UpDown>(1003)->increaseButton(), Qt::LeftButton);
  const QString pdf = dir.filePath("sheet.pdf");
  chooseFile(pdf);
  sheet->trigger();
  EXPECT_TRUE(run("pdfinfo", {pdf}).contains("Pages:           1"));
  const QByteArray text = run("pdftotext", {"-layout", pdf, "-"});
  for (auto [left, right] : {std::pair{3003, 3005}, {3004, 3006}, {3024, 3026}, {3025, 3027}})
    EXPECT_TRUE(text.contains((c().text(left) + " x " + c().text(right)).toLatin1())) << left;
  typeInto(2004, "24");
  EXPECT_FALSE(sheet->isEnabled());
}

TEST_F(Tables, StockSavedEditedAndLoadedIsWhatTheSolverUses) {
  onDialog<QInputDialog>([](QInputDialog* d) {
    d->setIntValue(0);
    d->accept();
  });
  item("&Tools", "Set Whole Stock ...")->trigger();
  EXPECT_EQ(w->ReadGearStock(), GearStock());

  GearStock edited = GearStock::defaultStock();
  edited.setCount(30, 0);
  edited.setCount(100, 3);
  writeGearStock(c(), GearStock::defaultStock());
  const QString path = dir.filePath("stock.txt");
  chooseFile(path);
  item("&Tools", "Save Stock ...")->trigger();
  QByteArray text = readAll(path);
  text.replace("\n30 1\n", "\n").append("100 3\n");
  stockFile("stock.txt", text);
  solveExample();
  chooseFile(path);
  item("&Tools", "Load Stock ...")->trigger();
  EXPECT_EQ(w->ReadGearStock(), edited);
  EXPECT_TRUE(c().text(3011).isEmpty()) << "a loaded stock clears the result";

  solveExample();
  SolveOptions options;
  const std::vector<ResultRow> expected = resultRows(exampleJobInputs(), solve(exampleJobInputs(), edited, options).results);
  ASSERT_EQ(table()->rowCount(), static_cast<int>(expected.size()));
  for (std::size_t k = 0; k < expected.size(); ++k)
    EXPECT_EQ(cells(static_cast<int>(k))[kIndexGearsColumn].toStdString(), expected[k][kIndexGearsColumn]) << k;
}

TEST_F(Tables, BadStockFilesAreRefusedAndThePageKeepsItsStock) {
  solveExample();
  const GearStock before = w->ReadGearStock();
  const struct { const char* name; QByteArray text; const char* says; } cases[] = {
      {"teeth.txt", "30 1\n170 1\n", "line 2: the tooth count 170"},
      {"count.txt", "# c\n30 8\n", "line 2: the count 8"},
      {"twice.txt", "30 1\n30 2\n", "line 2: the tooth count 30 is given twice"},
      {"word.txt", "thirty 1\n", "line 1: expected a tooth count"},
  };
  for (const auto& k : cases) {
    chooseFile(stockFile(k.name, k.text));
    QString message;
    onDialog<QMessageBox>([&message](QMessageBox* box) {
      message = box->text();
      box->accept();
    });
    item("&Tools", "Load Stock ...")->trigger();
    EXPECT_TRUE(message.contains(k.says)) << k.name << ": " << message.toStdString();
    EXPECT_EQ(w->ReadGearStock(), before) << k.name;
    EXPECT_FALSE(c().text(3011).isEmpty()) << k.name;
  }
}

TEST_F(Tables, SolveTooltipNamesTheInputsThatKeepItGreyed) {
  const struct { int id; const char* text; const char* says; } cases[] = {
      {2001, "1201", "Index Const: a value from 0.5 to 1200"},
      {2002, "90", "Feed Const: a value from 0 to 89.9"},
      {2004, "", "Helix Angle: a value from 0.0001 to 89.9"},
      {2006, "0.3", "Normal Diametral Pitch: a value from 0.35 to 360"},
      {2007, "0.2", "Feed Rate: a value from 0 to 0.1"},
  };
  for (const auto& k : cases) {
    solveExample();
    EXPECT_TRUE(tools->solveTip().contains("after a run")) << k.id;
    typeInto(k.id, k.text);
    QWidget* solve = c().widget(1001);
    QHelpEvent hover(QEvent::ToolTip, QPoint(5, 5), solve->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(solve, &hover);
    EXPECT_FALSE(solve->isEnabled()) << k.id;
    EXPECT_EQ(solve->toolTip(), QStringLiteral("Solve needs:\n") + k.says) << k.id;
  }
}

}  // namespace
}  // namespace hobwise::ui

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir settingsDir;
  qputenv("XDG_CONFIG_HOME", settingsDir.path().toLocal8Bit());
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
