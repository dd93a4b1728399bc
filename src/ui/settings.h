#pragma once
// The settings kept per user: the index constant, the feed constant, the feed rate and
// the gear stock, in QSettings("Quillmar", "1").
#include <string>

namespace hobwise::ui {

class Controls;

// Puts the stored fields into their controls; a stored gear stock text takes the place
// of `gearStockText`.
void loadSettings(Controls& controls, std::string& gearStockText);
// Writes the three fields and the gear stock back.
void saveSettings(const Controls& controls);

}  // namespace hobwise::ui
