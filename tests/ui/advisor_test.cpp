// The gear advisor through the window: Tools -> "Suggest Gears to Buy ...", its table
// and Add to Stock, Escape, and the line that says where a run that kept nothing ran dry.
#include <gtest/gtest.h>

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
  EXPECT_TRUE(dialog->outcomeLabel()->text().startsWith("Stopped: ")) << dialog->outcomeLabel()->text().toStdString();
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
  EXPECT_TRUE(line->isVisible());

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
