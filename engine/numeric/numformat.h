#pragma once
// Number formatting shared by every label, status text, results cell and report
// line: the precision follows the magnitude, and one trailing zero digit is
// trimmed (two for 0.01..0.1) so that values read naturally.
#include <cstddef>
#include <string>

namespace kivra {

// Writes prefix followed by the number into buffer (at most size bytes,
// always terminated). Returns buffer.
char* FormatValue(char* buffer, std::size_t size, const char* prefix, double value);

// The same, as a string; the buffer form exists for callers that build fixed texts.
std::string FormatValue(const std::string& prefix, double value);

// A number the program computed rather than one a person typed: the fewest
// digits that read back as it are more than anyone types (a fitted double
// needs 15 to 17). A box shows such a number as FormatValue writes it, with
// its value kept whole behind the text.
bool IsComputedNumber(double value);

} // namespace kivra
