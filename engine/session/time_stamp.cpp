#include "engine/session/time_stamp.h"

namespace kivra {

std::string TimeStampText(std::time_t t) {
    std::tm parts{};
    localtime_r(&t, &parts);
    char buf[64];
    std::strftime(buf, sizeof buf, "%H:%M:%S  %Y-%m-%d", &parts);
    return buf;
}

} // namespace kivra
