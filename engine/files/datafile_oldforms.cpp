// Readers of the older data file forms: the headerless table, the version-3
// form and the instrument export with flow-cell column headers.
#include <algorithm>
#include <vector>

#include "engine/files/datafile_text.h"

namespace kivra {
namespace {

using FileText = TSensTabCore::FileText;

// Separators of a header line: TABs and commas (the comma warned about once).
long long CountSeparators(FileText& f, std::string_view line) {
    const auto commas = std::count(line.begin(), line.end(), ',');
    if (commas > 0) f.WarnCommas();
    return std::count(line.begin(), line.end(), '\t') + commas;
}

// Reads exactly `count` numbers from text into values; nothing but blanks may follow.
bool NumbersOnLine(std::string_view text, double* values, long long count) {
    const char* p = text.data();
    const char* end = p + text.size();
    for (long long k = 0; k < count; ++k) {
        p = ScanNumber(p, end, values[k]);
        if (!p) return false;
    }
    return IsBlankText(p, end);
}

} // namespace

bool TSensTabCore::LoadOldSens(FileText& f) {
    const std::string_view first = f.Line();
    const long long n = CountSeparators(f, first);
    if (!f.LineEnded()) return UnreadableFormat();
    const bool letters = std::any_of(first.begin(), first.end(), [](char c) {
        const char lower = static_cast<char>(c | 0x20);  // ASCII letters only, whatever the locale
        return lower >= 'a' && lower <= 'z' && lower != 'e';
    });
    if (letters) {
        f.Seek(0);
        return LoadBiaSens(f);
    }

    // Every line after the first is a point of every curve; blank lines at the end
    // of the file are not points.
    f.NextLine();
    const std::size_t body = f.Tell();
    long long points = 0, counted = 0;
    while (!f.AtEnd()) {
        ++counted;
        if (!IsBlankText(f.Line())) points = counted;
        f.NextLine();
    }
    if (!MakeReadSet(*this, n, points, f.Size())) return false;

    std::vector<double> row(static_cast<std::size_t>(n) + 1);
    f.Seek(0);
    if (!NumbersOnLine(f.Line(), row.data(), n + 1)) return UnreadableFormat();
    for (int i = 0; i < NumCurves; ++i) {
        PointCount[i] = NumPoints;
        InjStart[0][i] = 0;
        InjStop[0][i] = row[0];
        InjConc[0][i] = row[static_cast<std::size_t>(i) + 1];
    }
    f.Seek(body);
    for (int k = 0; k < NumPoints; ++k) {
        if (!NumbersOnLine(f.Line(), row.data(), n + 1)) return UnreadableFormat();
        for (int i = 0; i < NumCurves; ++i) {
            Time[i][k] = row[0];
            Data[i][k] = row[static_cast<std::size_t>(i) + 1];
        }
        f.NextLine();
    }
    return true;
}

bool TSensTabCore::LoadV3Sens(FileText& f) {
    double start = 0, stop = 0;
    if (!f.NextLine()) return UnreadableFormat();
    for (double* v : {&start, &stop}) {
        const std::string_view line = f.Line();
        if (!f.LineEnded() || !ScanNumber(line.data(), line.data() + line.size(), *v))
            return UnreadableFormat();
        f.NextLine();
    }
    // Line 4: its first character is not looked at; separators and the line end
    // come two per curve.
    const std::string_view header = f.Line();
    if (!f.LineEnded()) return UnreadableFormat();
    const long long count = CountSeparators(f, header.substr(std::min<std::size_t>(1, header.size()))) + 1;
    if (count % 2 != 0) return UnreadableFormat();
    const long long n = count / 2;
    f.NextLine();
    const auto points = static_cast<long long>(f.CountLineEnds());
    if (!MakeReadSet(*this, n, points, f.Size())) return false;

    // Line 5: a pair per curve, the second its concentration. The data rows begin
    // right after the last pair, so the first row read takes the end of line 5.
    const std::string_view pairs = f.Line();
    const char* p = pairs.data();
    const char* end = p + pairs.size();
    for (int i = 0; i < NumCurves; ++i) {
        double unused = 0;
        p = ScanNumber(p, end, unused);
        if (p) p = ScanNumber(p, end, InjConc[0][i]);
        if (!p) return UnreadableFormat();
        PointCount[i] = 0;
        InjStart[0][i] = start;
        InjStop[0][i] = stop;
        RefIndex[0][i] = 0;
        FitRefIndex[0][i] = false;
    }
    f.Seek(f.Tell() + static_cast<std::size_t>(p - pairs.data()));
    return ReadDataRows(*this, f, points, 2, 1, true);
}

bool TSensTabCore::LoadBiaSens(FileText& f) {
    const long long count = CountSeparators(f, f.Line()) + 1;
    if (!f.LineEnded() || count % 2 != 0) return UnreadableFormat();
    const long long n = count / 2;
    f.NextLine();
    const auto points = static_cast<long long>(f.CountLineEnds());
    if (!MakeReadSet(*this, n, points, f.Size())) return false;
    return ReadDataRows(*this, f, points, 2, 1, false);
}

} // namespace kivra
