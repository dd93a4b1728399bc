#include "model/unreadable_field.h"

#include <cstddef>

#include "model/decfloat.h"
#include "model/text_value.h"

namespace hobwise {

std::optional<UnreadableField> unreadableField(const JobInputs& in, bool withFeedRate) {
  const struct {
    int id;
    const std::string& text;
    std::size_t limit;
  } fields[] = {{2001, in.indexConstant, kIndexConstantLimit},
                {2002, in.feedConstant, kFeedConstantLimit},
                {2004, in.helixAngle, kHelixAngleLimit},
                {2006, in.normalPitch, kNormalPitchLimit},
                {2007, in.feedRate, kFeedRateLimit}};
  for (const auto& field : fields) {
    if (field.id == 2007 && !withFeedRate) break;
    std::string text = cutText(field.text, field.limit);
    if (!parseDecFloat(text)) return UnreadableField{field.id, std::move(text)};
  }
  return std::nullopt;
}

}  // namespace hobwise
