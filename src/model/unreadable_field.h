#pragma once
// Which input keeps a run from reading the job: readJob gives nothing when a number
// field's text is not a number; this names that field.
#include <optional>
#include <string>

#include "model/job.h"

namespace hobwise {

struct UnreadableField {
  int id = 0;        // control identifier: 2001, 2002, 2004, 2006 or 2007
  std::string text;  // its text as a run reads it, cut to the field's length
};

// The first number field, in the order readJob reads them (index constant, feed
// constant, helix angle, normal diametral pitch, then the feed rate), whose text is
// not a number; nothing when every one is. `withFeedRate` false leaves the feed rate
// out, as readJobWithoutFeedRate does.
std::optional<UnreadableField> unreadableField(const JobInputs& inputs, bool withFeedRate = true);

}  // namespace hobwise
