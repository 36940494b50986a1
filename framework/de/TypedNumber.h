#pragma once

namespace zt::de {

// Reads a number as a user types it for a parameter: an optional sign, digits with an
// optional decimal part, an optional "K" for thousands ("2.5K" is 2500), then optionally
// one of units (case ignored, spaces allowed around it); or "-Inf" for minus infinity.
// Spaces around the whole text are ignored. False for anything else: "nan", "inf",
// hexadecimal, exponents, a unit that is not among units, or trailing characters
// ("12abc"). units is a null-terminated list of texts (empty texts are skipped).
bool ParseTypedNumber(const char* text, const char* const* units, double& value);

}  // namespace zt::de
