// The data file in its current form: loading entry and dispatch over every form,
// the readers of one-part and multi-part files, and the writer.
#include <algorithm>
#include <bit>
#include <filesystem>
#include <utility>
#include <vector>

#include "engine/files/datafile_text.h"
#include "engine/files/file_choices.h"
#include "engine/files/file_io.h"
#include "platform/core/messages.h"

namespace kivra {
namespace {

constexpr std::size_t npos = std::string::npos;

using FileText = TSensTabCore::FileText;
using SlotArrays = std::array<OwnedArray<double>, MaxInj>;

// From pos, the start of the first line that begins with "Time"; npos when none.
std::size_t FindHeader(const FileText& f, std::size_t pos) {
    while (pos < f.Size()) {
        const std::string_view line = f.LineAt(pos);
        if (line.substr(0, 4) == "Time") return pos;
        pos += line.size() + 1;
    }
    return npos;
}

// The header holds `curves` groups of `width` TAB-separated cells, and exactly the
// first cell of each group begins with "T" (its time column).
bool HeaderMatches(std::string_view header, long long curves, int width) {
    long long k = 0;
    std::size_t b = 0;
    for (;;) {
        const std::size_t e = header.find('\t', b);
        const std::string_view cell = header.substr(b, e == npos ? npos : e - b);
        const bool timeCell = !cell.empty() && cell[0] == 'T';
        if (timeCell != (k % width == 0)) return false;
        ++k;
        if (e == npos) break;
        b = e + 1;
    }
    return k == curves * width;
}

// The "Flow" row's values, one per curve, each a positive number.
bool ReadFlows(TSensTabCore& page, std::string_view rest) {
    const char* p = rest.data();
    const char* end = p + rest.size();
    for (int i = 0; i < page.NumCurves; ++i) {
        double v = 0;
        p = ScanNumber(p, end, v);
        if (!p || !(v > 0)) return false;
        page.Flow[i] = v;
    }
    return IsBlankText(p, end);
}

struct SlotRow {
    const char* Key;
    SlotArrays TSensTabCore::*Slots;
    const char* Error;
};

const SlotRow SlotRows[] = {
    {"Conc", &TSensTabCore::InjConc, "Error in concs"},
    {"Star", &TSensTabCore::InjStart, "Error in start time"},
    {"Stop", &TSensTabCore::InjStop, "Error in stop time"},
    {"RInd", &TSensTabCore::RefIndex, "Error in ref ind"},
};

// The rows from pos up to the header: slot rows and flows in any order, anything
// else skipped. Leaves f at the first data row.
bool ReadSlotRows(TSensTabCore& page, FileText& f, std::size_t pos, std::size_t header) {
    f.Seek(pos);
    while (f.Tell() < header) {
        const std::size_t start = f.Tell();
        const std::string_view key = f.Line().substr(0, 4);
        if (key == "Flow") {
            if (!ReadFlows(page, f.Line().substr(4))) {
                ShowMessage("Error in flow", "File Read Error");
                return false;
            }
        }
        for (const SlotRow& row : SlotRows) {
            if (key != row.Key) continue;
            f.Seek(start + 4);
            if (!page.GetDataLine(f, page.NumCurves, page.*row.Slots)) {
                ShowMessage(row.Error, "File Read Error");
                return false;
            }
        }
        f.Seek(start);
        f.NextLine();
    }
    f.NextLine();  // the header
    return true;
}

// Both readers of the current form: width cells per curve in the header and the
// rows, of which cell `keep` becomes the page's data.
bool LoadCurrentForm(TSensTabCore& page, FileText& f, int width, int keep) {
    if (!f.NextLine()) return UnreadableFormat();
    const std::size_t pos = f.Tell();
    const std::size_t header = FindHeader(f, pos);
    if (header == npos) return UnreadableFormat();
    f.Seek(header);
    const std::string_view line = f.Line();
    if (line.find(',') != npos) f.WarnCommas();
    if (!f.LineEnded()) return UnreadableFormat();
    long long curves = 0;
    if (width == 2) {
        const auto tabs = std::count(line.begin(), line.end(), '\t');
        if (tabs % 2 == 0) return UnreadableFormat();
        curves = (tabs + 1) / 2;
    } else {
        for (std::size_t k = 0; k + 1 < line.size(); ++k)
            if (line[k] == '\t' && line[k + 1] == 'T') ++curves;
        ++curves;
    }
    if (!HeaderMatches(line, curves, width)) return UnreadableFormat();
    f.NextLine();
    const auto points = static_cast<long long>(f.CountLineEnds());
    if (!MakeReadSet(page, curves, points, f.Size())) return false;
    if (!ReadSlotRows(page, f, pos, header)) return false;
    return ReadDataRows(page, f, points, width, keep, true);
}

// Chooses the reader from the first line, at most 19 characters of it as the form
// was always recognised.
bool ReadAnyForm(TSensTabCore& page, FileText& f) {
    std::string_view head = f.LineAt(0);
    const bool ended = head.size() < f.Size();
    head = head.substr(0, 19);
    auto at = [&](std::size_t k) -> char {
        if (k < head.size()) return head[k];
        return k == head.size() && ended && k < 19 ? '\n' : '\0';
    };
    f.Seek(0);
    if (at(0) == 'V') {
        if (at(8) == '3' && at(6) != '.') return page.LoadV3Sens(f);
        if (at(5) == '3' && at(7) == '2') return page.LoadV32Sens(f);
        if (at(5) == '3' && (at(7) == '3' || at(7) == '4')) {
            const int mask = at(8) - '0';
            if (mask >= 1 && mask <= 7 && std::popcount(static_cast<unsigned>(mask)) >= 2)
                return page.LoadMultiSens(f, mask);
            return page.LoadV32Sens(f);
        }
        ShowMessage("Wrong Version", "File Load Error");
        return false;
    }
    for (std::size_t k = 0; k + 1 < 19; ++k)
        if (at(k) == 'F' && (at(k + 1) == 'c' || at(k + 1) == 'C')) return page.LoadBiaSens(f);
    return page.LoadOldSens(f);
}

bool AnyPoint(const TSensTabCore& page) {
    for (int i = 0; i < page.NumCurves; ++i)
        if (page.PointCount[i] > 0) return true;
    return false;
}

std::string BaseName(const std::string& fileName) {
    return std::filesystem::path(fileName).filename().string();
}

} // namespace

bool TSensTabCore::LoadSens(const std::string& fileName) {
    std::string bytes;
    if (!LoadFileText(fileName, bytes)) return false;
    FileText f(std::move(bytes));
    f.EndLastLine();

    // The file is read into a set of its own, so that a failure anywhere leaves
    // this page's data as they were.
    TSensTabCore fresh;
    fresh.Tag = Tag;
    if (!ReadAnyForm(fresh, f)) return false;
    if (!AnyPoint(fresh)) return PoorlyFormatted();

    TakeDataSet(fresh);
    Loaded = true;
    Modelled = false;
    CaptionText = BaseName(fileName);
    FileNameString = CaptionText;
    SetNumLabels(NumCurves, NumPoints);
    CheckData();
    UpdateInjPics();
    DataLoaded();
    return true;
}

void TSensTabCore::TakeDataSet(TSensTabCore& from) {
    ClearSens();
    ClearDisplay();
    std::swap(Data, from.Data);
    std::swap(Sim, from.Sim);
    std::swap(Time, from.Time);
    std::swap(DataBackup, from.DataBackup);
    std::swap(PointFlags, from.PointFlags);
    std::swap(Excluded, from.Excluded);
    std::swap(PointCount, from.PointCount);
    std::swap(RefIndex, from.RefIndex);
    std::swap(FitRefIndex, from.FitRefIndex);
    std::swap(InjStop, from.InjStop);
    std::swap(InjStart, from.InjStart);
    std::swap(InjConc, from.InjConc);
    std::swap(ConcIsFraction, from.ConcIsFraction);
    std::swap(FracNum, from.FracNum);
    std::swap(FracDen, from.FracDen);
    std::swap(SpecConc, from.SpecConc);
    std::swap(Flow, from.Flow);
    std::swap(StockConc, from.StockConc);
    std::swap(FitStockLocal, from.FitStockLocal);
    std::swap(AllocCurves, from.AllocCurves);
    std::swap(NumCurves, from.NumCurves);
    std::swap(NumPoints, from.NumPoints);
    DataArraysChanged();
}

bool TSensTabCore::LoadV32Sens(FileText& f) { return LoadCurrentForm(*this, f, 2, 1); }

bool TSensTabCore::LoadMultiSens(FileText& f, int mask) {
    if (mask < 1 || mask > 7) return UnreadableFormat();
    const int preset = (mask & PartData) ? PartData : PartSim;
    const int part = CurrentFileChoices().ChooseLoadPart(mask, preset);
    if ((part != PartData && part != PartSim && part != PartRes) || !(mask & part)) return false;
    const int width = 1 + std::popcount(static_cast<unsigned>(mask));
    const int keep = 1 + std::popcount(static_cast<unsigned>(mask & (part - 1)));
    return LoadCurrentForm(*this, f, width, keep);
}

bool TSensTabCore::GetDataLine(FileText& f, int n, SlotArrays& slots) {
    const std::string_view line = f.Line();
    const char* p = line.data();
    const char* end = p + line.size();
    // The slot number is the first digit 1..7 of the keyword's cell.
    while (p < end && *p != '\t' && !(*p >= '1' && *p <= '7')) ++p;
    if (p == end || *p == '\t') return false;
    const int j = *p - '1';
    while (p < end && *p != '\t') ++p;
    if (p == end || j == MaxInj) return true;  // no values, or a slot the page does not have
    if (n < 0 || static_cast<std::size_t>(n) > slots[j].size()) return false;
    ++p;
    for (int i = 0; i < n; ++i) {
        const char* cellEnd = std::find(p, end, '\t');
        double v = 0;
        if (!ScanNumber(p, cellEnd, v)) return false;
        slots[j][i] = v;
        if (cellEnd == end) return true;  // a row that ends early: the later curves keep their values
        p = cellEnd + 1;
    }
    return IsBlankText(p, end);
}

bool TSensTabCore::WriteData(const std::string& fileName, int mask) {
    if (mask < 1 || mask > 7) return false;
    std::vector<int> curves;
    for (int i = 0; i < NumCurves && i < AllocCurves; ++i)
        if (!Excluded[i]) curves.push_back(i);
    if (curves.empty()) {
        ShowMessage("No included curves to save", "File Error");
        return false;
    }

    // The old file stays until the new one is complete beside it.
    ReplacingFile out;
    if (!out.Open(fileName)) return false;
    std::string buf;
    buf.reserve(1 << 20);
    auto flush = [&] {
        out.Write(buf);
        buf.clear();
    };
    auto cellNumber = [&](double v) {
        buf += '\t';
        AppendNumber(buf, v);
    };
    auto cellTime = [&](double t) {
        buf += '\t';
        AppendTime(buf, t);
    };

    buf += "Vers 3.4";
    buf += static_cast<char>('0' + mask);
    if (mask & PartData) buf += " Data";
    if (mask & PartSim) buf += " Simulation";
    if (mask & PartRes) buf += " Residual";
    buf += '\n';
    for (int j = 0; j < MaxInj; ++j) {
        if (!InjUsed(j)) continue;
        const std::string n = std::to_string(j + 1);
        buf += "Conc" + n;
        for (int i : curves) cellNumber(ConcIsFraction[j][i] ? InjConc[j][i] * StockConc[j] : InjConc[j][i]);
        buf += "\nStart" + n;
        for (int i : curves) cellTime(InjStart[j][i]);
        buf += "\nStop" + n;
        for (int i : curves) cellTime(InjStop[j][i]);
        buf += "\nRInd" + n;
        for (int i : curves) cellNumber(RefIndex[j][i]);
        buf += '\n';
    }
    buf += "Flow";
    for (int i : curves) cellNumber(Flow[i]);
    buf += '\n';
    bool first = true;
    for (int i : curves) {
        const std::string n = std::to_string(i + 1);
        if (!first) buf += '\t';
        first = false;
        buf += "Time" + n;
        if (mask & PartData) buf += "\tData" + n;
        if (mask & PartSim) buf += "\tSimulation" + n;
        if (mask & PartRes) buf += "\tResidual" + n;
    }
    buf += '\n';

    // Every point of every included curve gets its row, whatever NumPoints says.
    const int rowLength = static_cast<int>(Data.numCols());
    int rows = NumPoints;
    for (int i : curves) rows = std::max(rows, PointCount[i]);
    rows = std::min(rows, rowLength);
    for (int k = 0; k < rows; ++k) {
        first = true;
        for (int i : curves) {
            if (!first) buf += '\t';
            first = false;
            if (k < PointCount[i]) {
                AppendTime(buf, Time[i][k]);
                if (mask & PartData) cellNumber(Data[i][k]);
                if (mask & PartSim) cellNumber(Sim[i][k]);
                if (mask & PartRes) cellNumber(Data[i][k] - Sim[i][k]);
            } else {
                for (int b = PartData; b <= PartRes; b <<= 1)
                    if (mask & b) buf += '\t';
            }
        }
        buf += '\n';
        if (buf.size() >= (1u << 20)) flush();
    }
    flush();
    return out.Commit();
}

} // namespace kivra
