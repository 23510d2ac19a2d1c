// A data page's set block in a model file: writer and reader of every version.
#include <algorithm>
#include <new>
#include <utility>
#include <vector>

#include "engine/files/datafile_text.h"
#include "engine/files/model_text.h"
#include "engine/model/model_sync.h"
#include "platform/core/messages.h"

namespace kivra {
namespace {

struct SlotBlock {
    int StartMode = 0, StopMode = 0;
    double Stock = 0;
    bool FitStock = false;
    std::vector<double> Start, Stop, Conc, RefIndex;
    std::vector<char> FitRefIndex, Fraction;
};

struct CurveBlock {
    bool Excluded = false;
    std::vector<double> Time, Data, Sim;
    std::vector<int> Flags;
};

struct SpeciesRecord {
    double InitConc = 0;
    int Inj = -1;
    bool Fit = false, Response = false;
};

// A set block as read, before anything of the page changes.
struct SetBlock {
    bool Loaded = false, Modelled = false;
    std::string Caption;
    int Slots = 3;
    int Curves = 0, Points = 0;
    int RowLength = 0;  // what the page's rows must hold: the points and every curve's count
    double Chisq = 0;
    std::vector<double> Flow;
    bool StockGlobal[MaxInj] = {}, FitStockGlobal[MaxInj] = {};
    SlotBlock Slot[MaxInj];
    std::vector<SpeciesRecord> Species;
    std::vector<CurveBlock> Curve;
};

// The data file's name without a folder, as the file's writer put one there.
// Versions before 3.5 come from Windows and may hold a whole path, drive and
// all; 3.5 holds the page's caption, the bare name, in which a backslash is
// part of the name (a Linux file may be called run\1.txt). A "/" separates
// folders everywhere.
std::string WithoutFolder(const std::string& name, int version) {
    const std::size_t cut = name.find_last_of(version < 35 ? "/\\:" : "/");
    return cut == std::string::npos ? name : name.substr(cut + 1);
}

// A data set out of all proportion to the file that claims it is refused before
// anything is allocated for it (a file spends at least a few bytes on a point).
void CheckSize(ModelReader& r, long long curves, long long points, std::size_t fileSize) {
    if (curves * points > 8LL * static_cast<long long>(fileSize) + 100000)
        r.Fail(std::to_string(curves) + " curves of " + std::to_string(points) + " points are more than the file holds");
}

SpeciesRecord ReadSpeciesRecord(ModelReader& r, int version) {
    SpeciesRecord s;
    r.Counted();  // the name, which the model part holds
    s.InitConc = version < 35 ? LeadingNumber(r.Counted()) : r.Double();
    r.Int();  // the local flag, which the model part holds
    s.Inj = r.IntIn(0, MaxInj, "The feeding slot") - 1;
    s.Fit = r.Flag();
    s.Response = r.Flag();
    return s;
}

SetBlock ParseSet(ModelReader& r, int version, int numSpecies, std::size_t fileSize) {
    SetBlock b;
    b.Loaded = r.Int() == 1;
    b.Modelled = r.Int() == 1;
    if (b.Loaded) b.Caption = WithoutFolder(r.WholeLine(), version);
    if (version == 35) b.Slots = r.IntIn(0, MaxInj, "The slot count");
    double start = 0, stop = 0;
    if (version == 30) {
        start = r.Double();
        stop = r.Double();
        r.Double();
    }
    b.Curves = r.IntIn(0, MaxCurves, "The curve count");
    b.Points = r.IntIn(0, MaxPointsPerCurve, "The point count");
    if (version == 32) r.Double();
    b.Chisq = r.Double();
    if (b.Loaded && b.Curves == 0) r.Fail("a set with data has no curves");
    CheckSize(r, b.Curves, std::max(b.Points, 2), fileSize);
    const auto n = static_cast<std::size_t>(b.Curves);

    if (version >= 34) {
        for (std::size_t i = 0; i < n; ++i) b.Flow.push_back(r.Double());
        if (version == 34) {
            const bool shared = r.Flag(), fitted = r.Flag();
            std::fill(std::begin(b.StockGlobal), std::end(b.StockGlobal), shared);
            std::fill(std::begin(b.FitStockGlobal), std::end(b.FitStockGlobal), fitted);
        } else {
            for (int j = 0; j < MaxInj; ++j) {
                b.StockGlobal[j] = r.Flag();
                b.FitStockGlobal[j] = r.Flag();
            }
        }
    }
    if (version == 30) {
        for (int j = 0; j < b.Slots; ++j) {
            b.Slot[j].Start.assign(n, start);
            b.Slot[j].Stop.assign(n, stop);
        }
        b.Slot[0].Conc.assign(n, 0.0);
    } else {
        for (int j = 0; j < b.Slots; ++j) {
            SlotBlock& s = b.Slot[j];
            if (version >= 33) {
                s.StartMode = r.IntIn(0, 2, "The start fit mode");
                s.StopMode = r.IntIn(0, 2, "The stop fit mode");
            }
            if (version >= 34) {
                s.Stock = r.Double();
                s.FitStock = r.Flag();
            }
            for (std::size_t i = 0; i < n; ++i) {
                s.Start.push_back(r.Double());
                s.Stop.push_back(r.Double());
                s.Conc.push_back(r.Double());
                s.RefIndex.push_back(r.Double());
                s.FitRefIndex.push_back(r.Flag());
                s.Fraction.push_back(version >= 34 && r.Flag());
            }
        }
    }

    // The current writer always writes the model's species count; older files are
    // read up to the first point line. A block without curves has no point line
    // to stop at, so it takes the count too.
    if (version == 35 || b.Curves == 0) {
        for (int s = 0; s < numSpecies; ++s) b.Species.push_back(ReadSpeciesRecord(r, version));
    } else {
        for (int s = 0; s < MaxSpecies; ++s) {
            std::string_view lines[3];
            if (!r.PeekThreeLines(lines) || std::count(lines[2].begin(), lines[2].end(), '\t') > 1) break;
            b.Species.push_back(ReadSpeciesRecord(r, version));
        }
    }

    int longest = 0;
    for (std::size_t i = 0; i < n; ++i) {
        CurveBlock c;
        int count = 0;
        if (version == 30) {
            count = r.IntIn(1, MaxPointsPerCurve, "The point count of a curve") - 1;
            r.Double();
            b.Slot[0].Conc[i] = r.Double();
            r.Double();
            c.Excluded = r.Double() == 1;
        } else {
            count = r.IntIn(0, MaxPointsPerCurve, "The point count of a curve");
            c.Excluded = r.Int() == 1;
        }
        for (int k = 0; k < count; ++k) {
            c.Time.push_back(r.Double());
            c.Data.push_back(r.Double());
            c.Sim.push_back(r.Double());
            c.Flags.push_back(r.Int());
        }
        longest = std::max(longest, count);
        b.Curve.push_back(std::move(c));
    }
    // A curve may hold more points than the block's point count (an excluded curve
    // after editing); the rows are made long enough for every curve.
    b.RowLength = std::max({b.Points, longest, 2});
    CheckSize(r, b.Curves, b.RowLength, fileSize);
    return b;
}

template <class T, class U>
void CopyInto(OwnedArray<T>& to, const std::vector<U>& from) {
    for (std::size_t i = 0; i < from.size() && i < to.size(); ++i) to[i] = static_cast<T>(from[i]);
}

} // namespace

void TSensTabCore::WriteSet(std::string& out, const TModelData& model) const {
    const int t = std::clamp(Tag, 0, MaxSets - 1);
    const int curves = std::clamp(NumCurves, 0, AllocCurves);
    const auto rowLength = static_cast<int>(Data.numCols());
    // Every number keeps the digits that read back as the same double: fitted
    // and edited values come back exactly, and a simulation of them gives the same sums.
    auto number = [&out](double v, char after) {
        AppendExact(out, v);
        out += after;
    };
    auto integer = [&out](long long v, char after) {
        AppendInt(out, v);
        out += after;
    };

    const bool loaded = Loaded && curves > 0;
    integer(loaded, '\n');
    integer(Modelled, '\n');
    if (loaded) AppendLine(out, CaptionText);
    integer(MaxInj, '\n');
    integer(curves, '\n');
    integer(NumPoints, '\n');
    number(Chisq, '\n');
    for (int i = 0; i < curves; ++i) number(Flow[i], '\n');
    for (int j = 0; j < MaxInj; ++j) {
        integer(StockGlobal[j], '\t');
        integer(FitStockGlobal[j], '\n');
    }
    for (int j = 0; j < MaxInj; ++j) {
        integer(StartFitMode[j], '\t');
        integer(StopFitMode[j], '\n');
        number(StockConc[j], '\t');
        integer(FitStockLocal[j], '\n');
        for (int i = 0; i < curves; ++i) {
            number(InjStart[j][i], '\t');
            number(InjStop[j][i], '\t');
            number(InjConc[j][i], '\t');
            number(RefIndex[j][i], '\t');
            integer(FitRefIndex[j][i], '\t');
            integer(ConcIsFraction[j][i], '\n');
        }
    }
    const int species = std::clamp(model.NumSpecies, 0, MaxSpecies);
    for (int s = 0; s < species; ++s) {
        AppendCounted(out, model.SpecName[s]);
        number(model.InitConc[t][s], '\n');
        integer(model.SpecLocal[s], ' ');
        integer(model.AnalyteInj[t][s] + 1, '\n');
        integer(model.FitConc[t][s], ' ');
        integer(model.Response[t][s], '\n');
    }
    for (int i = 0; i < curves; ++i) {
        const int count = std::clamp(PointCount[i], 0, rowLength);
        integer(count, ' ');
        integer(Excluded[i], '\n');
        for (int k = 0; k < count; ++k) {
            number(Time[i][k], '\t');
            number(Data[i][k], '\t');
            number(Sim[i][k], '\t');
            integer(PointFlags[i][k], '\n');
        }
    }
}

bool TSensTabCore::ReadSet(FileText& f, int version, TModelData& model) {
    SetBlock b;
    try {
        ModelReader r(f);
        b = ParseSet(r, version, std::clamp(model.NumSpecies, 0, MaxSpecies), f.Size());
    } catch (const ModelFileError& e) {
        ShowModelFileError(f, e);
        return false;
    } catch (const std::bad_alloc&) {
        ShowMessage("File too large", "File Read Error");
        return false;
    }

    ClearSens();
    ClearDisplay();
    if (b.Curves > 0 && !NewSens(b.Curves, b.RowLength)) return false;
    NumCurves = b.Curves;
    NumPoints = b.Points;
    Chisq = b.Chisq;
    Loaded = b.Loaded;
    Modelled = b.Modelled;
    for (int j = 0; j < MaxInj; ++j) {
        const SlotBlock& s = b.Slot[j];
        StockGlobal[j] = b.StockGlobal[j];
        FitStockGlobal[j] = b.FitStockGlobal[j];
        StartFitMode[j] = s.StartMode;
        StopFitMode[j] = s.StopMode;
        StockConc[j] = s.Stock;
        FitStockLocal[j] = s.FitStock;
        CopyInto(InjStart[j], s.Start);
        CopyInto(InjStop[j], s.Stop);
        CopyInto(InjConc[j], s.Conc);
        CopyInto(RefIndex[j], s.RefIndex);
        CopyInto(FitRefIndex[j], s.FitRefIndex);
        CopyInto(ConcIsFraction[j], s.Fraction);
    }
    CopyInto(Flow, b.Flow);
    for (int i = 0; i < NumCurves; ++i) {
        const CurveBlock& c = b.Curve[static_cast<std::size_t>(i)];
        Excluded[i] = c.Excluded;
        PointCount[i] = static_cast<int>(c.Time.size());
        std::copy(c.Time.begin(), c.Time.end(), Time[i]);
        std::copy(c.Data.begin(), c.Data.end(), Data[i]);
        std::copy(c.Sim.begin(), c.Sim.end(), Sim[i]);
        std::copy(c.Flags.begin(), c.Flags.end(), PointFlags[i]);
    }
    if (Loaded) {
        CaptionText = b.Caption;
        FileNameString = b.Caption;
    }
    SetNumLabels(NumCurves, NumPoints);

    const int t = std::clamp(Tag, 0, MaxSets - 1);
    model.NumCurves[t] = NumCurves;
    for (int j = 0; j < b.Slots; ++j) {
        model.StartFitMode[t][j] = StartFitMode[j];
        model.StopFitMode[t][j] = StopFitMode[j];
    }
    if (Loaded) model.DataFile[t] = CaptionText;
    for (int s = 0; s < MaxSpecies; ++s) {
        if (!model.SpecLocal[s]) continue;
        model.AnalyteInj[t][s] = -1;
        model.InitConc[t][s] = 0;
        model.FitConc[t][s] = false;
        model.Response[t][s] = false;
    }
    for (std::size_t s = 0; s < b.Species.size(); ++s) {
        const SpeciesRecord& r = b.Species[s];
        model.InitConc[t][s] = r.InitConc;
        model.AnalyteInj[t][s] = r.Inj;
        model.FitConc[t][s] = r.Fit;
        model.Response[t][s] = r.Response;
    }
    UpdateInjPics();
    SetBlockRead(model);
    return true;
}

void TSensTabCore::TakeReadSet(TSensTabCore& from, const TModelData& model) {
    TakeDataSet(from);
    Chisq = from.Chisq;
    Loaded = from.Loaded;
    Modelled = from.Modelled;
    for (int j = 0; j < MaxInj; ++j) {
        StockGlobal[j] = from.StockGlobal[j];
        FitStockGlobal[j] = from.FitStockGlobal[j];
        StartFitMode[j] = from.StartFitMode[j];
        StopFitMode[j] = from.StopFitMode[j];
    }
    if (Loaded) {
        CaptionText = from.CaptionText;
        FileNameString = from.FileNameString;
    }
    SetNumLabels(NumCurves, NumPoints);
    UpdateInjPics();
    SetBlockRead(model);
}

} // namespace kivra
