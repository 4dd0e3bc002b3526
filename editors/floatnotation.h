// The notations in which a float edit shows its value, each with 15 significant digits at
// most: the value is rounded to 15 significant digits or to the notation's decimals, whichever
// keeps fewer digits, and an exact tie rounds away from zero (as the key list's texts).
#pragma once

#include <string>

#include "engine/regional.h"

namespace kelmor {

enum class TFloatFormat {
    General,   // shortest text, scientific for exponents below -4 or from 15 on; `precision` is the
               // minimum number of exponent digits (0..3): 1.5E-7, 1.5E-07, 1.5E-007
    Exponent,  // one digit, `precision` decimals (0..14), "E", sign, two or more exponent digits
    Fixed,     // `precision` decimals (0..100); a value of 10^15 or more is shown as by General
    Number,    // as Fixed, with the thousands separator between groups of three integer digits
    Currency,  // as Number (the settings carry no currency symbol)
};

// NaN and infinities show as NAN, INF and -INF in every notation; a text that rounds to zero has
// no minus sign.
std::string FormatFloat(double value, TFloatFormat format, int precision, const TRegionalSettings& settings);

// Reads a text of any notation above back (ParseDouble; thousands separators of Number and
// Currency texts are skipped). False when it is not a number.
bool ParseFloat(const std::string& text, TFloatFormat format, const TRegionalSettings& settings, double& out);

}  // namespace kelmor
