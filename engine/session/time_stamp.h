#pragma once
// The one date and time form of the program's texts (the results page's time
// label and the printed report's stamp): "14:05:09  2024-05-10", local time,
// no time zone, the same whatever the desktop's locale.
#include <ctime>
#include <string>

namespace kivra {

std::string TimeStampText(std::time_t t);

} // namespace kivra
