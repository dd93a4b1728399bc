// The C constants of the stock as it is, and how one more gear changes them.
//
// One more gear records, for some ratio errors, a train met before the one recorded
// now (or a first one). Steps B and C judge each record alone, so only the new records
// need their C constants. Step D keeps, of the records whose C constants agree to 80
// decimals, the one of smallest spread, the first recorded among equals: only the
// groups of such records that a new record joins or an old one leaves can change, and
// they lie side by side among the records ordered by C constant. Step D itself decides
// each of those groups again, on its records in the order recorded.
#include <algorithm>
#include <set>
#include <unordered_set>

#include "solver/internal/advisor_search.h"

namespace hobwise::solver {

namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

std::uint64_t gearsKey(std::uint16_t g0, std::uint16_t g1, std::uint16_t g2, std::uint16_t g3) {
  return std::uint64_t{g0} << 48 | std::uint64_t{g1} << 32 | std::uint64_t{g2} << 16 | g3;
}

std::uint64_t gearsKey(const CConstantRecord& r) { return gearsKey(r.g0, r.g1, r.g2, r.g3); }

}  // namespace

CConstantChanges::CConstantChanges(const JobParameters& job, IndexRecords recorded, const SolveOptions& options,
                                   unsigned threads, RunControl* control)
    : job_(job), options_(options), recorded_(std::move(recorded)) {
  const std::vector<CConstantRecord>& records = recorded_.records;
  std::size_t errors = 0;
  for (std::uint32_t e : recorded_.errors) errors = std::max<std::size_t>(errors, e + 1);
  recordOfError_.assign(errors, kNone);
  for (std::size_t k = 0; k < records.size(); ++k) {
    recordAt_[gearsKey(records[k])] = k;
    recordOfError_[recorded_.errors[k]] = k;
  }
  changes_.assign(256, 0);
  for (const IndexRecords::Lacking& l : recorded_.lacking) changes_[l.toothCount] = 1;

  // Steps B and C keep the order of the records they keep.
  std::vector<CConstantRecord> valid = assigned(records, threads, control);
  valid_.assign(records.size(), {});
  isValid_.assign(records.size(), 0);
  for (const CConstantRecord& r : valid) {
    const std::size_t k = recordAt_.at(gearsKey(r));
    valid_[k] = r;
    isValid_[k] = 1;
    byC_.push_back(k);
  }
  std::stable_sort(byC_.begin(), byC_.end(),
                   [&](std::size_t a, std::size_t b) { return valid_[a].cConstant < valid_[b].cConstant; });
  cConstants_ = std::move(valid);
  orderDistinct(cConstants_);
  for (std::size_t k = 0; k < cConstants_.size(); ++k) cConstantAt_[gearsKey(cConstants_[k])] = k;
}

std::optional<std::size_t> CConstantChanges::find(std::uint16_t g0, std::uint16_t g1, std::uint16_t g2,
                                                  std::uint16_t g3) const {
  const auto at = cConstantAt_.find(gearsKey(g0, g1, g2, g3));
  if (at == cConstantAt_.end()) return std::nullopt;
  return at->second;
}

bool CConstantChanges::changedBy(int toothCount) const {
  return toothCount >= 0 && toothCount < static_cast<int>(changes_.size()) && changes_[toothCount];
}

// Steps B and C.
std::vector<CConstantRecord> CConstantChanges::assigned(std::vector<CConstantRecord> records, unsigned threads,
                                                        RunControl* control) const {
  assignCConstants(job_, records, options_, threads, control);
  dropOutOfRange(records);
  return records;
}

// The valid records whose C constant step D takes for the same as r's.
std::vector<std::size_t> CConstantChanges::sameKeyAs(const CConstantRecord& r) const {
  const auto same = [&](std::size_t k) {
    std::vector<CConstantRecord> two{r, valid_[k]};
    orderDistinct(two);
    return two.size() == 1;
  };
  const auto at = std::lower_bound(byC_.begin(), byC_.end(), r.cConstant,
                                   [&](std::size_t k, const DecFloat& c) { return valid_[k].cConstant < c; });
  std::vector<std::size_t> group;
  for (auto it = at; it != byC_.begin() && same(*(it - 1)); --it) group.push_back(*(it - 1));
  for (auto it = at; it != byC_.end() && same(*it); ++it) group.push_back(*it);
  return group;
}

CConstantChanges::Change CConstantChanges::changeBy(int toothCount) const {
  Change change;
  change.kept.assign(cConstants_.size(), 1);
  if (!changedBy(toothCount)) return change;
  // The trains the gear records instead: the first of each error.
  std::vector<CConstantRecord> incoming;
  std::unordered_map<std::uint64_t, std::uint32_t> placeOf;  // of the incoming records, by gears
  std::unordered_set<std::uint32_t> errors;
  std::vector<char> replaced(recorded_.records.size(), 0);
  for (const IndexRecords::Lacking& l : recorded_.lacking) {
    if (l.toothCount != toothCount || !errors.insert(l.error).second) continue;
    incoming.push_back(l.record);
    placeOf[gearsKey(l.record)] = l.place;
    if (l.error < recordOfError_.size() && recordOfError_[l.error] != kNone) replaced[recordOfError_[l.error]] = 1;
  }
  const std::vector<CConstantRecord> arriving = assigned(std::move(incoming), 1, nullptr);

  // The groups of equal C constants that change, and step D on them as they become.
  std::set<std::size_t> group;
  for (std::size_t k = 0; k < replaced.size(); ++k)
    if (replaced[k] && isValid_[k])
      for (std::size_t j : sameKeyAs(valid_[k])) group.insert(j);
  for (const CConstantRecord& r : arriving)
    for (std::size_t j : sameKeyAs(r)) group.insert(j);
  std::vector<std::pair<std::uint32_t, const CConstantRecord*>> inOrder;  // by place
  for (std::size_t j : group)
    if (!replaced[j]) inOrder.emplace_back(recorded_.places[j], &valid_[j]);
  for (const CConstantRecord& r : arriving) inOrder.emplace_back(placeOf.at(gearsKey(r)), &r);
  std::sort(inOrder.begin(), inOrder.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<CConstantRecord> chosen;
  for (const auto& entry : inOrder) chosen.push_back(*entry.second);
  orderDistinct(chosen);

  // A record's gears name it: a new train shares them with no record that stays.
  std::unordered_set<std::uint64_t> chosenGears;
  for (const CConstantRecord& r : chosen) chosenGears.insert(gearsKey(r));
  for (std::size_t j : group)
    if (const auto at = cConstantAt_.find(gearsKey(valid_[j])); at != cConstantAt_.end())
      if (!chosenGears.contains(at->first)) change.kept[at->second] = 0;
  for (const CConstantRecord& r : chosen)
    if (!cConstantAt_.contains(gearsKey(r))) change.added.push_back(r);
  return change;
}

}  // namespace hobwise::solver
