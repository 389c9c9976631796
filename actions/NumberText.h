// Numbers as the host's command line reads them: always "." as the decimal point, whatever
// the user's regional settings, because the command line takes "," between coordinates.
#pragma once

#include <string>

namespace orbelle::actions {

// General format, at most 15 significant digits: fixed notation from 0.0001 up to but not
// including 1E15 (after rounding), exponent notation otherwise ("1E-5", "2.5E15"); trailing
// zeros dropped; zero, negative zero included, is "0". Throws std::domain_error for a NaN or
// an infinity, which the command line would take as a word.
std::wstring generalNumberText(double value);

// "X,Y" in the general format; Z is never written.
std::wstring pointText(double x, double y);

// Fixed notation with exactly six decimals ("%.6f"). Throws std::domain_error when not finite.
std::wstring fixedSixText(double value);

}  // namespace orbelle::actions
