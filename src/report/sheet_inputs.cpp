// The sheet's inputs from the job and the texts of a result.
#include "report/sheet_inputs.h"

namespace hobwise {

SheetInputs sheetInputsFor(const JobInputs& job, const ResultTexts& texts) {
  SheetInputs s;
  s.indexConstant = job.indexConstant;
  s.feedConstant = job.feedConstant;
  s.helixAngle = job.helixAngle;
  s.normalPitch = job.normalPitch;
  s.teeth = job.teeth;
  s.setupIndex = job.setupIndex;
  s.hobThreads = job.hobThreads;
  const GeometryReadouts readouts = geometryReadouts(job.teeth, job.normalPitch, job.helixAngle);
  s.pitchDiameter = readouts.pitchDiameter;
  s.outsideDiameter = readouts.outsideDiameter;
  s.leadLine = texts.leadLine;
  s.feedLine = texts.feedLine;
  s.status = texts.status;
  s.feedErrorLine = texts.feedError;
  s.gears = texts.gears;
  return s;
}

}  // namespace hobwise
