#pragma once

#include <optional>

// Asks for the JPEG quality (0 to 100) with the save-quality dialog. None when the user
// cancelled; 100 when the dialog ended but its slider could not be read.
std::optional<int> AskSaveQuality();
