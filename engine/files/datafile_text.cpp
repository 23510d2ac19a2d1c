#include "engine/files/datafile_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/core/messages.h"

namespace kivra {
namespace {

constexpr std::size_t CellLimit = 79;  // a cell of this many characters is refused

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

struct Cell {
    const char* b;
    const char* e;
    char sep;  // the separator after the cell; 0 at the end of the line
};

void SplitCells(std::string_view line, std::vector<Cell>& cells) {
    cells.clear();
    const char* p = line.data();
    const char* end = p + line.size();
    const char* b = p;
    for (; p < end; ++p) {
        if (*p == '\t' || *p == ',') {
            cells.push_back({b, p, *p});
            b = p + 1;
        }
    }
    cells.push_back({b, end, 0});
}

// The whole cell is one finite number, blanks around it aside.
bool CellNumber(const Cell& c, double& v) {
    const char* p = ScanNumber(c.b, c.e, v);
    return p && IsBlankText(p, c.e);
}

} // namespace

const char* ScanNumber(const char* p, const char* end, double& value) {
    while (p < end && IsBlank(*p)) ++p;
    if (p < end && *p == '+') {
        ++p;
        if (p < end && (*p == '-' || *p == '+')) return nullptr;
    }
    double v = 0;
    const auto r = std::from_chars(p, end, v, std::chars_format::general);
    if (r.ec != std::errc() || !std::isfinite(v)) return nullptr;
    value = v;
    return r.ptr;
}

bool IsBlankText(const char* b, const char* e) {
    for (; b < e; ++b)
        if (!IsBlank(*b)) return false;
    return true;
}

void AppendNumber(std::string& out, double value) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 6);
    out.append(buf, r.ptr);
}

void AppendExact(std::string& out, double value) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, r.ptr);
}

TSensTabCore::FileText::FileText(std::string text) : text_(std::move(text)) {
    std::size_t from = 0;
    if (text_.compare(0, 3, "\xEF\xBB\xBF") == 0) from = 3;
    // Compact in place: drop the BOM and the CR of every CR LF.
    std::size_t to = 0;
    for (std::size_t i = from; i < text_.size(); ++i) {
        if (text_[i] == '\r' && i + 1 < text_.size() && text_[i + 1] == '\n') continue;
        text_[to++] = text_[i];
    }
    text_.resize(to);
}

std::string_view TSensTabCore::FileText::LineAt(std::size_t pos) const {
    if (pos >= text_.size()) return {};
    const std::size_t e = text_.find('\n', pos);
    return std::string_view(text_).substr(pos, e == std::string::npos ? std::string::npos : e - pos);
}

bool TSensTabCore::FileText::LineEnded() const {
    const std::size_t e = pos_ < text_.size() ? text_.find('\n', pos_) : std::string::npos;
    return e != std::string::npos && e != addedEnd_;
}

void TSensTabCore::FileText::EndLastLine() {
    if (text_.empty() || text_.back() == '\n') return;
    const std::size_t last = text_.rfind('\n') + 1;  // npos + 1 is 0: the text is one line
    if (IsBlankText(std::string_view(text_).substr(last))) return;
    addedEnd_ = text_.size();
    text_ += '\n';
}

bool TSensTabCore::FileText::NextLine() {
    const std::size_t e = pos_ < text_.size() ? text_.find('\n', pos_) : std::string::npos;
    if (e == std::string::npos) {
        pos_ = text_.size();
        return false;
    }
    pos_ = e + 1;
    return true;
}

std::size_t TSensTabCore::FileText::CountLineEnds() const {
    if (pos_ >= text_.size()) return 0;
    return static_cast<std::size_t>(std::count(text_.begin() + static_cast<std::ptrdiff_t>(pos_),
                                               text_.end(), '\n'));
}

void TSensTabCore::FileText::WarnCommas() {
    if (warned_) return;
    warned_ = true;
    ShowMessage("File has commas in it and\nprobably won't be read correctly.\nPlease use tab delimited format",
                "Warning");
}

bool UnreadableFormat() {
    ShowMessage("Unreadable format", "File Read Error");
    return false;
}

bool PoorlyFormatted() {
    ShowMessage("Poorly formated file", "Load Error");
    return false;
}

bool SaneDataSize(long long curves, long long points, std::size_t fileSize) {
    if (curves < 1 || points < 2 || curves > MaxCurves || points > MaxPointsPerCurve)
        return PoorlyFormatted();
    // A real file spends at least a separator on every cell; blank lines and short
    // curves get generous room, a header of thousands of columns over millions of
    // empty lines does not.
    const long long cells = curves * points;
    if (cells > 8LL * static_cast<long long>(fileSize) + 100000) return PoorlyFormatted();
    return true;
}

bool MakeReadSet(TSensTabCore& page, long long curves, long long points, std::size_t fileSize) {
    if (!SaneDataSize(curves, points, fileSize)) return false;
    if (!page.NewSens(static_cast<int>(curves), static_cast<int>(points))) return false;
    page.NumCurves = static_cast<int>(curves);
    page.NumPoints = static_cast<int>(points);
    return true;
}

bool ReadDataRows(TSensTabCore& page, TSensTabCore::FileText& f, long long rows, int width,
                  int keep, bool toSim) {
    std::vector<Cell> cells;
    const bool pairs = width == 2;
    const std::size_t need = static_cast<std::size_t>(page.NumCurves) * static_cast<std::size_t>(width);
    const int rowLength = static_cast<int>(page.Data.numCols());
    for (long long r = 0; r < rows; ++r) {
        const std::string_view line = f.Line();
        f.NextLine();
        if (IsBlankText(line)) continue;
        SplitCells(line, cells);
        for (std::size_t c = need; c < cells.size(); ++c)
            if (!IsBlankText(cells[c].b, cells[c].e)) return UnreadableFormat();
        for (int i = 0; i < page.NumCurves; ++i) {
            // A line that ends early is how some files mark curves that have
            // ended: the later curves get nothing from it.
            const std::size_t first = static_cast<std::size_t>(i) * static_cast<std::size_t>(width);
            if (first >= cells.size()) break;
            const std::size_t present = std::min(cells.size() - first, static_cast<std::size_t>(width));
            const Cell* g = &cells[first];
            if (pairs) {
                if (static_cast<std::size_t>(g[present - 1].e - g[0].b) >= CellLimit) return UnreadableFormat();
            } else {
                for (std::size_t c = 0; c < present; ++c)
                    if (static_cast<std::size_t>(g[c].e - g[c].b) >= CellLimit) return UnreadableFormat();
            }
            double t = 0, v = 0;
            if (!CellNumber(g[0], t)) continue;
            if (pairs && g[0].sep == ',') continue;
            if (static_cast<std::size_t>(keep) >= present || !CellNumber(g[keep], v)) continue;
            int& k = page.PointCount[i];
            if (k >= rowLength) return UnreadableFormat();  // more rows than the set was made for
            page.Time[i][k] = t;
            page.Data[i][k] = v;
            if (toSim) page.Sim[i][k] = v;
            ++k;
        }
    }
    return true;
}

} // namespace kivra
