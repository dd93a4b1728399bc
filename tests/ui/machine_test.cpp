// Machine profiles in the window: made, chosen (the fields and the stock filled as an
// edit fills them), kept beside the settings, exported and imported; what the Main
// page, the Results Table and the sheet say of a result on the chosen machine; the
// option; and damaged profiles refused with nothing changed.
#include <QDir>
#include <QFile>

#include "hobwise/machines.h"
#include "ui/command_ids.h"
#include "ui/machine_dialog.h"
#include "ui/machine_tools.h"
#include "ui/results_table.h"
#include "test_support.h"
#include "window_fixture.h"

namespace hobwise::ui {
namespace {

// The example machine with a stock of its own (30 to 52, as the fixture's small stock),
// the example job's constants and a feed quadrant on which some of its trains cannot
// reach (D 160 mm).
MachineProfile hobber() {
  MachineProfile p = newMachineProfile(exampleJobInputs());
  p.name = "Hobber 2";
  p.feed.centreDistance = Decimal4::whole(160);
  p.indexConstant = "30";
  p.feedConstant = "0.0625";
  p.stock = smallStockText();
  return p;
}

class Machines : public Window {
 protected:
  static MachineTools& tools(MainWindow& w) { return *w.machineTools(); }
  QTemporaryDir dir;
};

TEST_F(Machines, MadeInTheEditorChosenKeptExportedAndImported) {
  auto w = open();
  typeInto(*w, 2001, "24");
  ProfileEditor editor(newMachineProfile(w->ReadJobInputs()), GearStock::fromText(smallStockText()));
  editor.field("name")->setText("Hobber 2");
  editor.field("feedConstant")->setText("0.0625");
  editor.stockBox()->setCurrentIndex(1);  // the Change-gears page's stock now
  editor.field("feed.idler")->setText("36");
  const std::optional<MachineProfile> made = editor.profile();
  ASSERT_TRUE(made);
  EXPECT_EQ(made->indexConstant, "24");  // from the window
  EXPECT_EQ(made->feed.idler, 36);
  tools(*w).addProfile(*made);
  tools(*w).addProfile(hobber());

  // Chosen: the constants and the stock are the profile's, as an edit would put them.
  enterJ1(*w);
  typeInto(*w, 2001, "29");
  tools(*w).choose(1);
  EXPECT_EQ(w->controls().text(2001), "30");
  EXPECT_EQ(w->controls().text(2002), "0.0625");
  EXPECT_EQ(w->ReadGearStock().toText(), smallStockText());
  EXPECT_TRUE(w->controls().isEnabled(kSolve));
  EXPECT_EQ(tools(*w).machineLabel()->text(), "Machine: Hobber 2");
  EXPECT_TRUE(tools(*w).mountableBox()->isEnabled());
  // Kept beside the settings.
  w.reset();
  auto again = open();
  ASSERT_EQ(tools(*again).profiles().size(), 2u);
  EXPECT_EQ(tools(*again).profiles()[0], *made);
  EXPECT_EQ(tools(*again).chosenIndex(), 1);

  const QString file = dir.filePath("hobber.json");
  EXPECT_EQ(tools(*again).exportTo(1, file), "");
  tools(*again).removeProfile(1);
  EXPECT_EQ(tools(*again).chosenIndex(), -1);
  EXPECT_FALSE(tools(*again).mountableBox()->isEnabled());  // greyed without a machine
  EXPECT_EQ(tools(*again).importFrom(file), "");
  EXPECT_EQ(tools(*again).profiles().back(), hobber());
}

TEST_F(Machines, EveryResultSaysHowItsTrainsMount) {
  auto w = open();
  tools(*w).addProfile(hobber());
  tools(*w).choose(0);
  enterJ1(*w);
  solveAndWait(*w);
  const std::vector<FoundResult>& results = w->foundResults();
  ASSERT_FALSE(results.empty());
  w->command(kResultsTable);
  ResultsTable* table = nullptr;
  for (QWidget* top : QApplication::topLevelWidgets())
    if (auto* t = qobject_cast<ResultsTable*>(top)) table = t;
  ASSERT_TRUE(table);
  QAbstractItemModel* model = table->view()->model();
  ASSERT_EQ(model->columnCount(), kResultColumnCount + 1);
  EXPECT_EQ(model->headerData(kResultColumnCount, Qt::Horizontal).toString(), "Mounts");
  QApplication::processEvents();
  EXPECT_LE(table->view()->horizontalHeader()->length(), table->view()->viewport()->width());  // Mounts in sight
  bool someDoNot = false;
  for (int k : {0, 1, static_cast<int>(results.size()) - 1}) {
    w->ShowResult(k);
    const TrainsMount mount = mountOf(hobber(), 0, results[static_cast<std::size_t>(k)]);
    const std::vector<std::string> lines = mountLines(mount, hobber());
    EXPECT_EQ(tools(*w).mountLine(0)->text().toStdString(), lines[0]) << k;
    EXPECT_EQ(tools(*w).mountLine(1)->text().toStdString(), lines[1]) << k;
    EXPECT_TRUE(tools(*w).mountLine(0)->isVisible());
    EXPECT_EQ(model->index(k, kResultColumnCount).data().toString().toStdString(), mountCell(mount)) << k;
    const SheetInputs sheet = w->ReadSheetInputs();
    EXPECT_EQ(sheet.mounts[0], sheetMountText(mount.index, hobber().index)) << k;
    someDoNot = someDoNot || !mount.both();
  }
  EXPECT_TRUE(someDoNot);

  // Mountable Trains Only: an option change, and a run that keeps what mounts.
  QTest::mouseClick(tools(*w).mountableBox(), Qt::LeftButton);
  expectCleared(*w);
  EXPECT_FALSE(tools(*w).mountLine(0)->isVisible());
  solveAndWait(*w);
  SolveOptions options;
  options.processors = 2;
  options.mountableOnly = mountQuadrantsOf(hobber());
  const SolveReport expected = solve(exampleJobInputs(), GearStock::fromText(smallStockText()), options);
  hobwise::testing::expectSameReport(expected, SolveReport{w->foundResults(), expected.cConstantCount, true, false,
                                                  w->foundStages(), SolveStage::None}, "window");
}

TEST_F(Machines, DamagedProfilesAreRefusedWithNothingChanged) {
  // A damaged profile among the stored ones is left out at the start.
  QSettings("Quillmar", "1").setValue("Machine profiles",
                                      QStringList{"{not json", QString::fromStdString(machineProfileText(hobber()))});
  QSettings("Quillmar", "1").setValue("Machine chosen", 0);
  auto w = open();
  ASSERT_EQ(tools(*w).profiles().size(), 1u);
  EXPECT_EQ(tools(*w).chosenIndex(), -1);
  enterJ1(*w);
  typeInto(*w, 2001, "24");
  const GearStock stock = w->ReadGearStock();

  const QString bad = dir.filePath("bad.json");
  std::string text = machineProfileText(hobber());
  text.replace(text.find("\"centreDistance\": 180"), 21, "\"centreDistance\": -3");
  QFile file(bad);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(text.data(), static_cast<qint64>(text.size()));
  file.close();
  EXPECT_TRUE(tools(*w).importFrom(bad).contains("index.centreDistance")) << tools(*w).importFrom(bad).toStdString();
  EXPECT_TRUE(tools(*w).importFrom(dir.filePath("none.json")).contains("none.json"));
  EXPECT_EQ(tools(*w).profiles().size(), 1u);
  EXPECT_EQ(w->controls().text(2001), "24");
  EXPECT_EQ(w->ReadGearStock(), stock);

  // The editor names the field it refuses.
  ProfileEditor editor(hobber(), stock);
  editor.field("feed.gap")->setText("abc");
  QString problem;
  EXPECT_FALSE(editor.profile(&problem));
  EXPECT_TRUE(problem.startsWith("feed.gap: ")) << problem.toStdString();
  editor.field("feed.gap")->setText("1");
  editor.field("index.studRange.greatest")->setText("");
  EXPECT_FALSE(editor.profile(&problem));
  EXPECT_TRUE(problem.startsWith("index.studRange")) << problem.toStdString();
}

}  // namespace
}  // namespace hobwise::ui
