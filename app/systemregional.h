// The regional settings of the desktop (decimal separator, short date, long time) in
// the engine's format tokens, taken from the system locale.
#pragma once

#include <QLocale>
#include <QString>

#include "engine/regional.h"
#include "engine/tkelmor.h"

namespace kelmor {

TRegionalSettings RegionalSettingsFrom(const QLocale& locale);
// Qt's date and time format ("dd.MM.yyyy", "HH:mm:ss") in the engine's tokens
// ("dd.mm.yyyy", "hh:nn:ss").
std::string FormatTokensFromQt(const QString& format);
// The locale-aware, case-insensitive comparison of descriptions for sorting (ties broken
// byte-wise), and collation keys that order descriptions exactly as it does.
int CompareDescriptions(const std::string& a, const std::string& b);
TCollationKeyMaker DescriptionCollationKeys();
// The engine prepared for the desktop: system regional settings and the comparison and
// collation keys above for sorting.
void PrepareEngine(TKelmorClass& engine);

}  // namespace kelmor
