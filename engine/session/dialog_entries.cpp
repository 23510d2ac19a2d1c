#include "engine/session/dialog_entries.h"

#include <cctype>
#include <charconv>

#include "engine/model/model_sync.h"
#include "platform/core/messages.h"

namespace kivra {
namespace {

bool IsBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// Reads [sign] digits from p; null when there are no digits or the number is
// out of the range of an int.
const char* ParseInt(const char* p, const char* end, int& value) {
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
    if (p == end || !std::isdigit(static_cast<unsigned char>(*p))) return nullptr;
    long long v = 0;
    const auto r = std::from_chars(p, end, v);
    if (r.ec != std::errc()) return nullptr;
    if (negative) v = -v;
    if (v < -2147483647LL - 1 || v > 2147483647LL) return nullptr;
    value = static_cast<int>(v);
    return r.ptr;
}

constexpr const char* NewSetCaption = "New Data Set";
constexpr const char* SmoothCaption = "Smooth Error";

} // namespace

bool ReadTypedDecimal(const std::string& text, double& value) { return StrictNumber(text, value); }

bool ReadTypedInteger(const std::string& text, int& value) {
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end && IsBlank(*p)) ++p;
    while (end > p && IsBlank(end[-1])) --end;
    int v = 0;
    if (ParseInt(p, end, v) != end) return false;
    value = v;
    return true;
}

bool ScanTypedInteger(const std::string& text, int& value) {
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end && IsBlank(*p)) ++p;
    return ParseInt(p, end, value) != nullptr;
}

bool CheckNewSetEntries(const std::string& curves, const std::string& totalTime,
                        const std::string& interval, NewSetBox& focus) {
    bool ok = true;
    focus = NewSetBox::None;
    int n = 0;
    if (!ReadTypedInteger(curves, n)) n = 0;
    if (n < 1) {
        ShowMessage("Number of curves should be greater than 0", NewSetCaption);
        focus = NewSetBox::Curves;
        ok = false;
    }
    double dt = 0;
    if (!ReadTypedDecimal(interval, dt)) dt = 0;
    if (dt < 0) {
        ShowMessage("Sample interval should not be negative", NewSetCaption);
        focus = NewSetBox::Interval;
        ok = false;
    }
    double total = 0;
    if (!ReadTypedDecimal(totalTime, total)) total = 0;
    if (total < dt) {
        ShowMessage("Total time should be greater than interval", NewSetCaption);
        focus = NewSetBox::TotalTime;
        ok = false;
    }
    return ok;
}

bool CheckSmoothEntries(const std::string& windowText, bool order0, bool order2, bool order4,
                        int& windowSize, int& order) {
    ScanTypedInteger(windowText, windowSize);
    if (windowSize < 2) {
        ShowMessage("Enter window size > 1", SmoothCaption);
        return false;
    }
    order = order0 ? 0 : order2 ? 2 : order4 ? 4 : 6;
    if (windowSize <= order) {
        ShowMessage("Window size must be greater than the Order", SmoothCaption);
        return false;
    }
    return true;
}

} // namespace kivra
