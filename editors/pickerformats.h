// The display formats of the date and time pickers, translated from the format tokens of the
// regional settings ("dd/mm/yyyy", "hh:nn:ss", see engine/regional.h) into the toolkit's
// ("dd/MM/yyyy", "hh:mm:ss").
#pragma once

#include <QString>
#include <string>

namespace kelmor {

QString PickerFormat(const std::string& tokens);

}  // namespace kelmor
