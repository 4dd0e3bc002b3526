// The regional settings of the desktop (decimal separator, short date, long time) in
// the engine's format tokens, taken from the system locale.
#pragma once

#include <QLocale>
#include <QString>

#include "engine/regional.h"

namespace kelmor {

TRegionalSettings RegionalSettingsFrom(const QLocale& locale);
// Qt's date and time format ("dd.MM.yyyy", "HH:mm:ss") in the engine's tokens
// ("dd.mm.yyyy", "hh:nn:ss").
std::string FormatTokensFromQt(const QString& format);
// The engine prepared for the desktop: system regional settings and a locale-aware,
// case-insensitive text comparison for sorting.
class TKelmorClass;
void PrepareEngine(TKelmorClass& engine);

}  // namespace kelmor
