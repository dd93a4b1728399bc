// The gear advisor through the window: Tools -> "Suggest Gears to Buy ...", its table
// and Add to Stock, Escape, and the line that says where a run that kept nothing ran dry.
#include <gtest/gtest.h>

#include "hobwise/results.h"
#include "hobwise/run.h"
#include "solver/advisor.h"
#include "ui/advisor_dialog.h"
#include "ui/command_ids.h"
#include "ui/why_nothing_line.h"
#include "window_fixture.h"

namespace hobwise::ui {
namespace {

// One gear of every fourth tooth count from 20 to 100: J1 finds nothing with it.
GearStock sparseStock() {
  GearStock stock;
  for (int t = 20; t <= 100; t += 4) stock.setCount(t, 1);
  return stock;
}

// Tools -> "Suggest Gears to Buy ...": the advisor's suggestions in the table, and Add
// to Stock puts the top one on the Change-gears page, with which Solve finds its result.
TEST_F(Window, SuggestGearsToBuyAddsTheTopSuggestionToTheStock) {
  storeSetting("Change gears", QString::fromStdString(sparseStock().toText()));
  auto w = open();
  enterJ1(*w);
  solveAndWait(*w);
  ASSERT_TRUE(w->foundResults().empty());

  w->controls().action(kSuggestGears)->trigger();
  auto* dialog = w->findChild<AdvisorDialog*>();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->isVisible() && dialog->isModal());
  QTRY_VERIFY_WITH_TIMEOUT(!dialog->running(), kRunTimeoutMs);
  SolveOptions options;
  options.processors = 2;
  const AdvisorReport expected = advise(exampleJobInputs(), sparseStock(), options);
  ASSERT_FALSE(expected.suggestions.empty());
  const Suggestion& top = expected.suggestions.front();
  EXPECT_EQ(dialog->progressBar()->text(), "154 of 154 tooth counts tried");
  ASSERT_EQ(dialog->table()->rowCount(), static_cast<int>(expected.suggestions.size()));
  EXPECT_EQ(dialog->table()->item(0, 0)->text(), QString::number(top.add));
  EXPECT_EQ(dialog->table()->item(0, 1)->text(), QString::number(top.count));
  // What it improves: nothing found now; its feed error and lead error as the results table shows them.
  const ResultRow row = resultRowOf(1, resultTextsOf(exampleJobInputs(), top.best));
  for (auto [column, text] : {std::pair{2, std::string("none")}, {3, row[kFeedErrorColumn]}, {4, row[kLeadErrorColumn]}})
    EXPECT_EQ(dialog->table()->item(0, column)->text().toStdString(), text) << column;
  EXPECT_EQ(w->controls().text(5000 + top.add - kFirstToothCount), "0");

  QTest::mouseClick(dialog->addButton(), Qt::LeftButton);
  EXPECT_EQ(w->controls().text(5000 + top.add - kFirstToothCount), "1");
  EXPECT_FALSE(dialog->addButton()->isEnabled());
  dialog->reject();
  solveAndWait(*w);
  ASSERT_EQ(w->foundResults().size(), top.count);
  EXPECT_EQ(w->foundResults().front().feedError, top.best.feedError);
}

// Escape stops the advisor and leaves the dialog open with what it tried.
TEST_F(Window, EscapeStopsTheAdvisor) {
  auto w = open();
  enterJ1(*w);
  w->controls().action(kSuggestGears)->trigger();
  auto* dialog = w->findChild<AdvisorDialog*>();
  ASSERT_NE(dialog, nullptr);
  QTest::keyClick(dialog, Qt::Key_Escape);
  QTRY_VERIFY_WITH_TIMEOUT(!dialog->running(), kRunTimeoutMs);
  EXPECT_TRUE(dialog->isVisible() && dialog->report().stopped);
  const QString after = QStringLiteral("Stopped after %1 of 154 tooth counts").arg(dialog->report().tried);
  EXPECT_TRUE(dialog->outcomeLabel()->text().startsWith(after)) << dialog->outcomeLabel()->text().toStdString();
  EXPECT_EQ(dialog->progressBar()->text(), after);
  EXPECT_EQ(dialog->progressBar()->value(), dialog->progressBar()->maximum());
}

// With 7 gears of every tooth count the advisor has nothing to try: the Main page does
// not offer it, nor for a job that cannot be solved; the dialog says so at once.
TEST_F(Window, NoAdvisorWhereNothingCanBeTried) {
  storeSetting("Change gears", QString(kToothCountKinds, '7'));
  auto w = open();
  enterJ1(*w);
  auto* line = w->findChild<WhyNothingLine*>();
  for (auto [id, text] : {std::pair{2007, "0"}, {2002, ""}}) {  // a feed of 0 keeps nothing; an empty field fails
    typeInto(*w, id, text);
    solveAndWait(*w);
    EXPECT_FALSE(line->text().isEmpty()) << id;
    EXPECT_TRUE(line->advisorButton()->isHidden()) << id;
  }
  w->controls().action(kSuggestGears)->trigger();
  auto* dialog = w->findChild<AdvisorDialog*>();
  ASSERT_NE(dialog, nullptr);
  QTRY_VERIFY_WITH_TIMEOUT(!dialog->running(), kRunTimeoutMs);
  EXPECT_TRUE(dialog->report().full);
  EXPECT_EQ(dialog->progressBar()->text(), "No tooth count can take one more gear");
  EXPECT_EQ(dialog->progressBar()->value(), dialog->progressBar()->maximum());
}

// A run that keeps nothing says in the result area where it ran dry, with the advisor
// one click away; the line goes with the next ClearResults.
TEST_F(Window, ARunThatKeepsNothingSaysWhereItRanDry) {
  storeSetting("Change gears", QString::fromStdString(sparseStock().toText()));
  auto w = open();
  enterJ1(*w);
  pressSolve(*w);
  waitForRun(*w);
  auto* line = w->findChild<WhyNothingLine*>();
  ASSERT_NE(line, nullptr);
  SolveOptions options;
  options.processors = 2;
  const SolveReport report = solve(exampleJobInputs(), sparseStock(), options);
  ASSERT_TRUE(report.results.empty());
  EXPECT_EQ(line->text().toStdString(), whereTheSearchRanDry(report, sparseStock(), options));
  EXPECT_TRUE(line->isVisible() && !line->advisorButton()->isHidden());

  QTest::mouseClick(line->advisorButton(), Qt::LeftButton);
  auto* dialog = w->findChild<AdvisorDialog*>();
  ASSERT_NE(dialog, nullptr);
  dialog->reject();
  typeInto(*w, 2007, ".0251");
  EXPECT_EQ(line->text(), "");
  EXPECT_FALSE(line->isVisible());
}

}  // namespace
}  // namespace hobwise::ui
