#pragma once
// Numbers typed into the small dialogs, and the checks those dialogs make
// before they close. Every typed number goes through these readers: a text
// that is not a finite number in range ("inf", "nan", 1e999, 99999999999)
// counts like any other text that does not convert.
#include <string>

namespace kivra {

// The whole text (blanks around it aside) as a decimal number.
bool ReadTypedDecimal(const std::string& text, double& value);
// The whole text as a whole number: optional sign and digits only.
bool ReadTypedInteger(const std::string& text, int& value);
// The whole number the text begins with, after blanks ("21.9" gives 21).
bool ScanTypedInteger(const std::string& text, int& value);

// The boxes of the New Data Set dialog.
enum class NewSetBox { None, Curves, TotalTime, Interval };

// The New Data Set dialog's OK: curves at least 1, an interval not below 0,
// a total time not below the interval; a box that does not convert counts
// as 0. Each failing check shows its message; focus is the box of the last
// failing one. True when every check passed.
bool CheckNewSetEntries(const std::string& curves, const std::string& totalTime,
                        const std::string& interval, NewSetBox& focus);

// The smoothing dialog's close: windowSize takes the number the window text
// begins with (it keeps its value when there is none) and must be at least
// 2; order is 0, 2 or 4 for the first of those ticked, else 6, and must be
// below windowSize. False after a message: the dialog stays open.
bool CheckSmoothEntries(const std::string& windowText, bool order0, bool order2, bool order4,
                        int& windowSize, int& order);

} // namespace kivra
