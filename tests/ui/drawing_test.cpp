// The "Quadrants" drawing: everything of a train, and the stud's slot, inside the
// drawing's area at the scale chosen; the clearance's size written clear of its mark.
#include <gtest/gtest.h>

#include <QLineF>

#include "model/mounting.h"
#include "sample_jobs.h"
#include "ui/quadrant_drawing.h"

namespace hobwise::ui {
namespace {

TEST(QuadrantDrawing, TrainAndSlotInsideTheArea) {
  const MountQuadrants machine = exampleMachineQuadrants();
  const QRectF area(60, 50, 300, 260);
  const struct { TrainKind kind; GearTrain train; } cases[] = {
      {TrainKind::kIndex, {51, 52, 53, 50}},  {TrainKind::kIndex, {72, 76, 77, 71}},  // mounts; stud off its slot
      {TrainKind::kIndex, {21, 69, 86, 32}},  {TrainKind::kFeed, {44, 136, 145, 115}},  // hits; far off
      {TrainKind::kFeed, {16, 17, 169, 168}},                                          // no stud
  };
  for (const auto& c : cases) {
    const Quadrant& q = c.kind == TrainKind::kIndex ? machine.index : machine.feed;
    const MountResult m = MountCheck(q, c.kind, 1).check(c.train);
    const View view = viewOf(q, m, area);
    const double module = q.moduleMm(), d = q.centreDistance.value();
    const auto tip = [&](int teeth) { return module * (teeth + 2) / 2; };
    // Centre, radius and whether only the upper half is drawn (the slot).
    std::vector<std::tuple<Point, double, bool>> circles = {
        {{0, 0}, tip(m.arrangement.p), false}, {{d, 0}, tip(m.arrangement.s), false},
        {{0, 0}, (*q.studRange)[1].value(), true}};
    if (m.stud) circles.insert(circles.end(), {{*m.stud, tip(m.arrangement.q), false}, {*m.stud, tip(m.arrangement.r), false}});
    for (const auto& [centre, radius, half] : circles) {
      const QRectF box = view.box(centre, radius);
      EXPECT_TRUE(area.adjusted(-0.5, -0.5, 0.5, 0.5).contains(half ? box.adjusted(0, 0, 0, -box.height() / 2) : box))
          << c.train.a << " " << radius;
    }
  }
}

TEST(QuadrantDrawing, ClearanceSizeStandsBesideItsMark) {
  const QSizeF text(60, 16);
  const QLineF marks[] = {{100, 100, 160, 100}, {100, 100, 100, 40}, {100, 100, 130, 60}, {100, 100, 70, 140}, {5, 5, 5, 5}};
  for (const QLineF& mark : marks) {
    const QRectF avoid(mark.center().x() - 10, mark.center().y() - 40, 20, 20);
    for (const auto& shafts : {std::vector<QRectF>{}, std::vector<QRectF>{avoid}}) {
      const QRectF box = clearanceLabelBox(mark.p1(), mark.p2(), text, shafts);
      EXPECT_EQ(box.size(), text);
      for (int k = 0; k <= 20; ++k) EXPECT_FALSE(box.contains(mark.pointAt(k / 20.0))) << mark.p1().x() << "," << k;
      for (const QRectF& r : shafts) EXPECT_FALSE(box.intersects(r));
      EXPECT_LT((box.center() - mark.center()).manhattanLength(), 80);  // still beside it
    }
  }
}

}  // namespace
}  // namespace hobwise::ui
