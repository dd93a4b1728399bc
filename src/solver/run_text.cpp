// The plan and the partials of a run as text, for workers in other instances.
//
// A text is a sequence of words separated by blanks and line ends, from a header word
// to the word "end"; a field text goes as its length, a colon and its bytes. Decimals go
// as their exact words (model/decfloat.h: every internal digit, so that they read back
// to the very same value), doubles as hexadecimal floating point, both independent of
// the locale.
#include <charconv>
#include <cmath>
#include <limits>

#include "solver/internal/c_constant_search.h"
#include "solver/internal/pair_table.h"
#include "solver/internal/run_control.h"
#include "solver/internal/run_plan.h"
#include "solver/run_parts.h"

namespace hobwise {

namespace {

constexpr std::string_view kPlanHeader = "hobwise-plan-2";
constexpr std::string_view kPartialHeader = "hobwise-partial-2";
constexpr std::string_view kCConstantsHeader = "hobwise-cconstants-1";

class Writer {
 public:
  Writer& word(std::string_view w) {
    out_.append(w);
    out_.push_back(' ');
    return *this;
  }
  template <class Int>
  Writer& number(Int n) {
    return word(std::to_string(n));
  }
  Writer& decimal(const DecFloat& x) { return word(exactWord(x)); }
  Writer& real(double x) {
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, x, std::chars_format::hex).ptr;
    return word(std::string_view(text, static_cast<std::size_t>(end - text)));
  }
  Writer& text(std::string_view t) {
    out_.append(std::to_string(t.size())).push_back(':');
    out_.append(t);
    out_.push_back(' ');
    return *this;
  }
  Writer& line() {
    if (!out_.empty() && out_.back() == ' ') out_.back() = '\n';
    return *this;
  }
  std::string done() { return std::move(out_); }

 private:
  std::string out_;
};

// Reads what Writer writes; after the first thing that does not fit, `ok` is false and
// every read gives a default value.
class Reader {
 public:
  explicit Reader(std::string_view in) : in_(in) {}
  bool ok = true;

  std::string_view word() {
    skipBlanks();
    const std::size_t start = pos_;
    while (pos_ < in_.size() && in_[pos_] != ' ' && in_[pos_] != '\n') ++pos_;
    if (start == pos_) ok = false;
    return in_.substr(start, pos_ - start);
  }
  void expect(std::string_view w) {
    if (word() != w) ok = false;
  }
  template <class Int>
  Int number(Int low = std::numeric_limits<Int>::min(), Int high = std::numeric_limits<Int>::max()) {
    const std::string_view w = word();
    Int n{};
    const auto [end, error] = std::from_chars(w.data(), w.data() + w.size(), n);
    if (error != std::errc() || end != w.data() + w.size() || n < low || n > high) ok = false;
    return ok ? n : Int{};
  }
  bool flag() { return number<int>(0, 1) == 1; }
  DecFloat decimal() {
    const std::optional<DecFloat> x = exactWordValue(word());
    if (!x) ok = false;
    return x.value_or(DecFloat(0));
  }
  double real() {
    const std::string_view w = word();
    double x = 0;
    const auto [end, error] = std::from_chars(w.data(), w.data() + w.size(), x, std::chars_format::hex);
    if (error != std::errc() || end != w.data() + w.size()) ok = false;
    return x;
  }
  std::string text() {
    skipBlanks();
    const std::size_t colon = in_.find(':', pos_);
    std::size_t length = 0;
    const char* first = in_.data() + pos_;
    const char* last = in_.data() + (colon == std::string_view::npos ? pos_ : colon);
    const auto [end, error] = std::from_chars(first, last, length);
    if (error != std::errc() || end != last || first == last || in_.size() - colon - 1 < length) ok = false;
    if (!ok) return {};
    const std::string t(in_.substr(colon + 1, length));
    pos_ = colon + 1 + length;
    return t;
  }
  bool atEnd() {
    skipBlanks();
    return pos_ == in_.size();
  }

 private:
  void skipBlanks() {
    while (pos_ < in_.size() && (in_[pos_] == ' ' || in_[pos_] == '\n')) ++pos_;
  }

  std::string_view in_;
  std::size_t pos_ = 0;
};

std::uint16_t toothCount(Reader& in) { return in.number<std::uint16_t>(); }

// A quadrant of "Mountable Trains Only": its unit, then every size in ten-thousandths
// of its unit (exact), the stud range and the idler each after a flag.
void writeQuadrant(Writer& out, const Quadrant& q) {
  out.number(q.pitchUnit == PitchUnit::kModule ? 0 : 1).number(q.pitch.units()).number(q.centreDistance.units());
  out.number(int{q.studRange.has_value()});
  if (q.studRange) out.number((*q.studRange)[0].units()).number((*q.studRange)[1].units());
  for (const Decimal4* size : {&q.drivingShaftDiameter, &q.drivenShaftDiameter, &q.gap, &q.maxDrivingOutsideDiameter,
                               &q.maxStudOutsideDiameter, &q.maxDrivenOutsideDiameter})
    out.number(size->units());
  out.number(int{q.idler.has_value()});
  if (q.idler) out.number(*q.idler);
}

Quadrant readQuadrant(Reader& in) {
  const auto size = [&in] {
    return Decimal4::fromUnits(in.number<std::int64_t>(-Decimal4::kMaxUnits, Decimal4::kMaxUnits));
  };
  Quadrant q;
  q.pitchUnit = in.flag() ? PitchUnit::kDiametralPitch : PitchUnit::kModule;
  q.pitch = size();
  q.centreDistance = size();
  if (in.flag()) q.studRange = std::array<Decimal4, 2>{size(), size()};
  for (Decimal4* s : {&q.drivingShaftDiameter, &q.drivenShaftDiameter, &q.gap, &q.maxDrivingOutsideDiameter,
                      &q.maxStudOutsideDiameter, &q.maxDrivenOutsideDiameter})
    *s = size();
  if (in.flag()) q.idler = in.number<int>(0, 1000);
  return q;
}

}  // namespace

std::string RunPlan::workerText() const {
  const Impl& plan = *impl_;
  Writer out;
  out.word(kPlanHeader).line();
  const JobInputs& in = plan.inputs;
  out.word("inputs").text(in.indexConstant).text(in.feedConstant).text(in.helixAngle).text(in.normalPitch);
  out.text(in.feedRate).text(in.hobThreads).text(in.teeth).number(in.setupIndex).line();
  out.word("stock").text(plan.stockText).line();
  const SolveOptions& o = plan.options;
  out.word("options").number(int{o.wholeOnly}).number(int{o.finiteOnly}).number(int{o.bypassDuplicates});
  out.number(int{o.exact}).number(plan.processors).number(int{o.feedErrorBelow.has_value()});
  if (o.feedErrorBelow) out.decimal(*o.feedErrorBelow);
  out.number(int{o.mountableOnly.has_value()});
  if (o.mountableOnly) {
    writeQuadrant(out, o.mountableOnly->index);
    writeQuadrant(out, o.mountableOnly->feed);
  }
  out.line();
  out.word("state").number(int{plan.statusShown}).number(int{plan.failed}).number(int{plan.cConstantsPending});
  out.number(static_cast<int>(plan.stoppedIn));
  out.number(plan.counts.indexTrains).number(plan.counts.inStock).number(plan.counts.cConstants).line();
  out.word("records").number(plan.cConstants.size()).line();
  for (const CConstantRecord& r : plan.cConstants)
    out.number(r.g0).number(r.g1).number(r.g2).number(r.g3).decimal(r.cConstant).line();
  out.word("targets").number(int{plan.targets.has_value()}).line();
  if (plan.targets)
    for (double t : *plan.targets) out.real(t).line();
  out.word("pieces").number(plan.pieces.size()).line();
  for (const WorkRange& piece : plan.pieces) out.number(piece.first).number(piece.end).line();
  out.word("end").line();
  return out.done();
}

std::optional<RunPlan> RunPlan::fromWorkerText(std::string_view text) {
  Reader in(text);
  auto plan = std::make_shared<Impl>();
  in.expect(kPlanHeader);
  in.expect("inputs");
  JobInputs& job = plan->inputs;
  for (std::string* field : {&job.indexConstant, &job.feedConstant, &job.helixAngle, &job.normalPitch,
                             &job.feedRate, &job.hobThreads, &job.teeth})
    *field = in.text();
  job.setupIndex = in.number<int>();
  in.expect("stock");
  plan->stockText = in.text();
  in.expect("options");
  SolveOptions& o = plan->options;
  o.wholeOnly = in.flag(), o.finiteOnly = in.flag(), o.bypassDuplicates = in.flag(), o.exact = in.flag();
  plan->processors = o.processors = in.number<unsigned>(1);
  if (in.flag()) o.feedErrorBelow = in.decimal();
  if (in.flag()) {
    const Quadrant index = readQuadrant(in);
    o.mountableOnly = MountQuadrants{index, readQuadrant(in)};
  }
  in.expect("state");
  plan->statusShown = in.flag(), plan->failed = in.flag(), plan->cConstantsPending = in.flag();
  plan->stoppedIn = static_cast<SolveStage>(in.number<int>(0, static_cast<int>(SolveStage::FeedTrains)));
  StageCounts& counts = plan->counts;
  counts.indexTrains = in.number<std::size_t>(), counts.inStock = in.number<std::size_t>();
  counts.cConstants = in.number<std::size_t>();
  in.expect("records");
  const std::size_t records = in.number<std::size_t>(0, text.size());
  for (std::size_t k = 0; k < records && in.ok; ++k) {
    CConstantRecord r;
    r.g0 = toothCount(in), r.g1 = toothCount(in), r.g2 = toothCount(in), r.g3 = toothCount(in);
    r.cConstant = in.decimal();
    plan->cConstants.push_back(std::move(r));
  }
  in.expect("targets");
  if (in.flag()) {
    plan->targets.emplace();
    for (std::size_t k = 0; k < records && in.ok; ++k) plan->targets->push_back(in.real());
  }
  in.expect("pieces");
  const std::size_t pieces = in.number<std::size_t>(0, text.size());
  for (std::size_t k = 0; k < pieces && in.ok; ++k) {
    WorkRange piece;
    piece.first = in.number<std::uint32_t>(0, static_cast<std::uint32_t>(records));
    piece.end = in.number<std::uint32_t>(piece.first, static_cast<std::uint32_t>(records));
    plan->pieces.push_back(piece);
  }
  in.expect("end");
  if (!in.ok || !in.atEnd()) return std::nullopt;

  // The tables: the pair table and the stock from the stock text, the job from the
  // inputs (as make read them), and the feed search's tables.
  const GearStock stock = GearStock::fromText(plan->stockText);
  plan->stock = StockSnapshot::of(stock, o.bypassDuplicates);
  plan->pairs = solver::buildPairTable(solver::gearSetFrom(stock));
  if (!plan->failed) plan->job = readJob(job);
  if (!plan->cConstants.empty() && (!plan->job || plan->pairs.empty())) return std::nullopt;
  plan->prepareMounts();
  if (!plan->cConstantsPending) plan->buildSearch();
  return RunPlan(plan);
}

// "hobwise-cconstants-1", the index trains' range, then the trains of it that keep a
// C constant (by the user's option), each with its C constant.
std::string RunPlan::cConstantsText(WorkRange trains) const {
  const Impl& plan = *impl_;
  std::vector<CConstantRecord> records;
  if (plan.cConstantsPending && trains.end <= plan.cConstants.size() && trains.first < trains.end)
    records.assign(plan.cConstants.begin() + trains.first, plan.cConstants.begin() + trains.end);
  else
    trains = {};
  if (!records.empty()) solver::assignCConstants(*plan.job, records, plan.options, 1);
  Writer out;
  out.word(kCConstantsHeader).number(trains.first).number(trains.end).number(records.size()).line();
  for (const CConstantRecord& r : records)
    out.number(r.g0).number(r.g1).number(r.g2).number(r.g3).decimal(r.cConstant).line();
  out.word("end").line();
  return out.done();
}

std::optional<RunPlan> RunPlan::withCConstants(std::span<const std::string> texts) const {
  const Impl& pending = *impl_;
  if (!pending.cConstantsPending) return std::nullopt;
  auto plan = std::make_shared<Impl>();
  plan->inputs = pending.inputs, plan->stockText = pending.stockText, plan->options = pending.options;
  plan->processors = pending.processors, plan->statusShown = pending.statusShown, plan->failed = pending.failed;
  plan->job = pending.job, plan->pairs = pending.pairs, plan->stock = pending.stock, plan->mounts = pending.mounts;
  std::size_t next = 0;  // the first index train not yet covered
  for (const std::string& text : texts) {
    Reader in(text);
    in.expect(kCConstantsHeader);
    const std::size_t first = in.number<std::size_t>(next, next);
    next = in.number<std::size_t>(first + 1, pending.cConstants.size());
    const std::size_t kept = in.number<std::size_t>(0, next - first);
    for (std::size_t k = 0; k < kept && in.ok; ++k) {
      CConstantRecord r;
      r.g0 = toothCount(in), r.g1 = toothCount(in), r.g2 = toothCount(in), r.g3 = toothCount(in);
      r.cConstant = in.decimal();
      plan->cConstants.push_back(std::move(r));
    }
    in.expect("end");
    if (!in.ok || !in.atEnd()) return std::nullopt;
  }
  if (next != pending.cConstants.size()) return std::nullopt;
  solver::RunControl control;
  control.counts = pending.counts;
  control.stoppedIn = pending.stoppedIn;
  solver::finishCConstants(plan->cConstants, &control);
  plan->counts = control.counts;
  plan->stoppedIn = control.stoppedIn;
  plan->buildSearch();
  plan->planPieces();
  return RunPlan(plan);
}

std::string RunPartial::toText() const {
  Writer out;
  out.word(kPartialHeader).line();
  out.word("counts").number(counts.feedTrains).number(counts.feedTest).number(int{stopped}).line();
  out.word("finds").number(finds.size()).line();
  for (const FoundResult& f : finds) {
    for (std::uint16_t t : {f.f0, f.f1, f.f2, f.f3, f.i0, f.i1, f.i2, f.i3}) out.number(t);
    out.decimal(f.feedError).decimal(f.cConstant).line();
  }
  out.word("end").line();
  return out.done();
}

std::optional<RunPartial> RunPartial::fromText(std::string_view text) {
  Reader in(text);
  RunPartial partial;
  in.expect(kPartialHeader);
  in.expect("counts");
  partial.counts.feedTrains = in.number<std::size_t>();
  partial.counts.feedTest = in.number<std::size_t>();
  partial.stopped = in.flag();
  in.expect("finds");
  const std::size_t finds = in.number<std::size_t>(0, text.size());
  for (std::size_t k = 0; k < finds && in.ok; ++k) {
    FoundResult f;
    for (std::uint16_t* t : {&f.f0, &f.f1, &f.f2, &f.f3, &f.i0, &f.i1, &f.i2, &f.i3}) *t = toothCount(in);
    f.feedError = in.decimal();
    f.cConstant = in.decimal();
    partial.finds.push_back(std::move(f));
  }
  in.expect("end");
  if (!in.ok || !in.atEnd()) return std::nullopt;
  return partial;
}

}  // namespace hobwise
