#include "engine/dataset/inj_edit.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>

#include "engine/dataset/senstab_core.h"
#include "engine/model/model_sync.h"
#include "engine/numeric/numformat.h"
#include "platform/core/messages.h"

namespace kivra {
namespace {

// A row's number, or the fallback when the text is not one (or not finite).
double Number(const std::string& text, double fallback) {
    double v = 0;
    return StrictNumber(text, v) ? v : fallback;
}

// Fixed notation without the locale.
std::string Fixed(double v, int digits) {
    char buf[400];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, digits);
    return r.ec == std::errc() ? std::string(buf, r.ptr) : std::string("0");
}

const char* const ExcludedText = "The curve you have selected is excluded";
const char* const ExcludedCaption = "Can't edit excluded curve";
const char* const SubtractNote = "\n(Times of other injections won't be changed and may need adjustment)";

} // namespace

TInjEditCore::TInjEditCore(double** time, double** data, int numCurves, int* pointCount,
                           int** pointFlags, bool* excluded, double* injStart, double* injStop,
                           double* refIndex, bool* fitRefIndex, double* injConc, int* startFitMode,
                           int* stopFitMode, double* offset, double* flow, double* stockConc,
                           bool* fitStock, bool* stockGlobal, double* fracNum, double* fracDen,
                           bool* concIsFraction, int inj)
    : Time(time), Data(data), NumCurves(std::max(0, numCurves)), PointCount(pointCount),
      PointFlags(pointFlags), Excluded(excluded), InjStart(injStart), InjStop(injStop),
      RefIndex(refIndex), FitRefIndex(fitRefIndex), InjConc(injConc), StartFitMode(startFitMode),
      StopFitMode(stopFitMode), Offset(offset), Flow(flow), StockConc(stockConc),
      FitStock(fitStock), StockGlobal(stockGlobal), FracNum(fracNum), FracDen(fracDen),
      ConcIsFraction(concIsFraction), Inj(inj) {
    RowCount = std::min(NumCurves, MaxInjRows);
    StockText = StockFilled = FormatValue("", *StockConc);
    FillRows();
}

TInjEditCore::TInjEditCore(TSensTabCore& page, TInjHandOff& h, int inj)
    : TInjEditCore(page.Time.rows(), page.Data.rows(), page.NumCurves, page.PointCount.data(),
                   page.PointFlags.rows(), h.Excluded.data(), h.Start.data(), h.Stop.data(),
                   h.Step.data(), h.FitRI.data(), h.Conc.data(), &h.StartMode, &h.StopMode,
                   h.Offset.data(), h.Flow.data(), &h.Stock, &h.Fit, &h.Shared, h.FracNum.data(),
                   h.FracDen.data(), h.IsFraction.data(), inj) {}

// ---- rows ---------------------------------------------------------------------------

void TInjEditCore::FillRows() {
    Rows.assign(static_cast<std::size_t>(RowCount), TInjRow{});
    Filled.assign(static_cast<std::size_t>(RowCount), Fill{});
    for (int r = 0; r < RowCount; ++r) {
        const int i = RowCurve(r);
        TInjRow row;
        if (ConcIsFraction[i]) {
            if (FracDen[i] == 1.0)
                row.Conc = FracNum[i] == 1.0 ? "=1" : "=" + Fixed(FracNum[i], 4);
            else
                row.Conc = "=" + Fixed(FracNum[i], 0) + "/" + Fixed(FracDen[i], 0);
        } else {
            row.Conc = FormatValue("", InjConc[i]);
        }
        row.Start = FormatValue("", InjStart[i]);
        row.Stop = FormatValue("", InjStop[i]);
        row.RI = FormatValue("", RefIndex[i]);
        row.Flow = FormatValue("", Flow[i]);
        row.FitRI = FitRefIndex[i];
        row.Exc = Excluded[i];
        row.Enabled = !Excluded[i];
        const auto at = static_cast<std::size_t>(r);
        Rows[at] = row;
        Filled[at] = Fill{row, InjStart[i], InjStop[i], RefIndex[i]};
    }
    RowsFilled();
}

double TInjEditCore::StartOf(int row) const {
    const auto r = static_cast<std::size_t>(row);
    return Rows[r].Start != Filled[r].Text.Start ? Number(Rows[r].Start, 0) : Filled[r].Start;
}

double TInjEditCore::StopOf(int row) const {
    const auto r = static_cast<std::size_t>(row);
    return Rows[r].Stop != Filled[r].Text.Stop ? Number(Rows[r].Stop, 0) : Filled[r].Stop;
}

double TInjEditCore::StepOf(int row) const {
    const auto r = static_cast<std::size_t>(row);
    return Rows[r].RI != Filled[r].Text.RI ? Number(Rows[r].RI, 0) : Filled[r].RI;
}

bool TInjEditCore::ParseConc(int row, int i, TypedConc& out) {
    const std::string& text = Rows[static_cast<std::size_t>(row)].Conc;
    const bool fraction = !text.empty() && text[0] == '=';
    double num = 0, den = 1.0, conc = 0;
    if (fraction) {
        const std::string rest = text.substr(1);
        const auto slash = rest.find('/');
        if (slash != std::string::npos) {
            num = Number(rest.substr(0, slash), 0);
            den = Number(rest.substr(slash + 1), 1.0);
            if (den == 0) den = 1.0;
            conc = num / den;
        } else {
            conc = num = Number(rest, 0);
        }
        // A quotient beyond the doubles reads as a number that does not read.
        if (!std::isfinite(conc)) conc = num = 0, den = 1.0;
    } else {
        conc = num = Number(text, 0);
    }
    // A negative numerator would also read as "no fraction typed" on the page.
    if (conc < 0 || num < 0 || den < 0) {
        ShowMessage("Negative concentrations are not allowed (curve " + std::to_string(i + 1) + ")",
                    "Concentration error");
        ConcRefused(row);
        return false;
    }
    out = TypedConc{true, fraction, conc, num, den};
    return true;
}

bool TInjEditCore::ParseRows(TypedConcs& typed) {
    for (int r = 0; r < RowCount; ++r) {
        const auto at = static_cast<std::size_t>(r);
        typed[at] = TypedConc{};
        if (Rows[at].Exc || Rows[at].Conc == Filled[at].Text.Conc) continue;
        if (!ParseConc(r, RowCurve(r), typed[at])) return false;
    }
    return true;
}

void TInjEditCore::StoreRows(const TypedConcs& typed) {
    for (int r = 0; r < RowCount; ++r) {
        const int i = RowCurve(r);
        const auto at = static_cast<std::size_t>(r);
        const TInjRow& now = Rows[at];
        Excluded[i] = now.Exc;
        if (Excluded[i]) continue;
        if (const TypedConc& c = typed[at]; c.Typed) {
            ConcIsFraction[i] = c.Fraction;
            InjConc[i] = c.Conc;
            FracNum[i] = c.Num;
            FracDen[i] = c.Den;
        }
        InjStart[i] = StartOf(r);
        InjStop[i] = StopOf(r);
        RefIndex[i] = StepOf(r);
        if (now.Flow != Filled[at].Text.Flow) Flow[i] = Number(now.Flow, 1.0);
        FitRefIndex[i] = now.FitRI;
    }
}

bool TInjEditCore::ReadRows() {
    TypedConcs typed;
    if (!ParseRows(typed)) return false;
    StoreRows(typed);
    return true;
}

int TInjEditCore::RowOf(int curve) const {
    return curve >= FirstRow && curve < FirstRow + RowCount ? curve - FirstRow : -1;
}

bool TInjEditCore::CanScroll(int delta) const {
    if (delta > 0) return FirstRow + RowCount < NumCurves;
    return delta < 0 && FirstRow > 0;
}

bool TInjEditCore::ScrollRows(int delta) {
    if (!CanScroll(delta) || !ReadRows()) return false;
    FirstRow += delta > 0 ? 1 : -1;
    FillRows();
    return true;
}

bool TInjEditCore::CurveChange(int oldCurve, int& curve) {
    if (ExcludedCurve(curve) || curve >= NumCurves) {
        curve = oldCurve >= 0 && oldCurve < NumCurves && !Excluded[oldCurve] ? oldCurve : -1;
        return false;
    }
    if (curve < 0) return true;
    if (!ReadRows()) {
        curve = oldCurve;
        return false;
    }
    if (curve < FirstRow)
        FirstRow = curve;
    else if (curve >= FirstRow + RowCount)
        FirstRow = curve - RowCount + 1;
    FillRows();
    return true;
}

int TInjEditCore::NextCurve(int curve) const {
    for (int step = 1; step < NumCurves; ++step) {
        const int j = (curve + step) % NumCurves;
        if (!Excluded[j]) return j;
    }
    return -1;
}

void TInjEditCore::ExcludeRow(int row, bool excluded) {
    if (row < 0 || row >= RowCount) return;
    Rows[static_cast<std::size_t>(row)].Exc = excluded;
    Excluded[RowCurve(row)] = excluded;
}

// ---- time lines and steps --------------------------------------------------------------

double TInjEditCore::LineValue(int curve, bool stop) const {
    const int r = RowOf(curve);
    if (r < 0) return stop ? InjStop[curve] : InjStart[curve];
    return stop ? StopOf(r) : StartOf(r);
}

int TInjEditCore::LineMoved(int curve, bool stop, double t) {
    (stop ? InjStop : InjStart)[curve] = t;
    const int r = RowOf(curve);
    if (r < 0) return r;
    const auto at = static_cast<std::size_t>(r);
    const std::string text = FormatValue("", t);
    if (stop) {
        Rows[at].Stop = Filled[at].Text.Stop = text;
        Filled[at].Stop = t;
    } else {
        Rows[at].Start = Filled[at].Text.Start = text;
        Filled[at].Start = t;
    }
    return r;
}

void TInjEditCore::RIEdited(int row) {
    if (row >= 0 && row < RowCount) RefIndex[RowCurve(row)] = StepOf(row);
}

// ---- buttons ---------------------------------------------------------------------------

void TInjEditCore::SetAll(int curve) {
    if (curve < 0 || curve >= NumCurves || !ReadRows()) return;
    for (int i = 0; i < NumCurves; ++i) {
        if (Excluded[i]) continue;
        InjStart[i] = InjStart[curve];
        InjStop[i] = InjStop[curve];
    }
    FillRows();
}

bool TInjEditCore::RefuseExcluded(int curve) const {
    if (!ExcludedCurve(curve)) return false;
    ShowMessage(ExcludedText, ExcludedCaption);
    return true;
}

void TInjEditCore::SubtractStart(int i) {
    const double s = InjStart[i];
    for (int k = 0; k < PointCount[i]; ++k) Time[i][k] -= s;
    InjStop[i] -= s;
    InjStart[i] = 0;
}

void TInjEditCore::SubtractTimes(int curve) {
    if (curve >= 0) {
        if (RefuseExcluded(curve)) return;
        const std::string text = "Subtract start time from all times in curve " + std::to_string(curve + 1) +
                                 "?" + SubtractNote;
        if (ShowMessage(text, "Confirm Single Subtract", MsgButtons::OkCancel) != MsgResult::Ok) return;
        if (!ReadRows()) return;
        SubtractStart(curve);
    } else {
        const std::string text = std::string("Subtract start times from all times in all curves?") + SubtractNote;
        if (ShowMessage(text, "Confirm Multiple Subtract", MsgButtons::OkCancel) != MsgResult::Ok) return;
        if (!ReadRows()) return;
        for (int i = 0; i < NumCurves; ++i)
            if (!Excluded[i]) SubtractStart(i);
    }
    FillRows();
}

void TInjEditCore::SubtractStep(int i) {
    for (int k = 0; k < PointCount[i]; ++k) {
        const double t = Time[i][k];
        if (InjStart[i] <= t && t <= InjStop[i]) Data[i][k] -= RefIndex[i];
    }
    RefIndex[i] = 0;
}

void TInjEditCore::SubtractSteps(int curve) {
    if (curve >= 0) {
        const std::string text = "Subtract refractive index jump from data in curve " + std::to_string(curve + 1) + "?";
        if (ShowMessage(text, "Confirm Single Subtract", MsgButtons::OkCancel) != MsgResult::Ok) return;
        if (!ReadRows()) return;
        SubtractStep(curve);
    } else {
        if (ShowMessage("Subtract refractive index jumps from data in all curves?", "Confirm Multiple Subtract",
                        MsgButtons::OkCancel) != MsgResult::Ok)
            return;
        if (!ReadRows()) return;
        for (int i = 0; i < NumCurves; ++i)
            if (!Excluded[i]) SubtractStep(i);
    }
    FillRows();
}

void TInjEditCore::FitAllNone() {
    if (!ReadRows()) return;
    int fitted = 0;
    for (int i = 0; i < NumCurves; ++i)
        if (FitRefIndex[i]) ++fitted;
    const bool all = fitted <= NumCurves / 2;
    for (int i = 0; i < NumCurves; ++i) FitRefIndex[i] = all;
    FillRows();
}

bool TInjEditCore::ReadStock(double& s) const {
    if (StockText == StockFilled) {
        s = *StockConc;
        return true;
    }
    double v = 0;
    if (!StrictNumber(StockText, v) || v < 0) return false;
    s = v;
    return true;
}

void TInjEditCore::ConvertConcs(bool toFraction) {
    double s = 0;
    if (!ReadStock(s) || s == 0) {
        ShowMessage("Invalid stock concentration", "Convert Error");
        return;
    }
    if (!ReadRows()) return;
    *StockConc = s;
    StockText = StockFilled = FormatValue("", s);
    for (int i = 0; i < NumCurves; ++i) {
        if (ConcIsFraction[i] == toFraction) continue;
        InjConc[i] = toFraction ? InjConc[i] / s : s * FracNum[i] / FracDen[i];
        ConcIsFraction[i] = toFraction;
        FracNum[i] = InjConc[i];
        FracDen[i] = 1.0;
    }
    FillRows();
}

bool TInjEditCore::Confirm(int startMode, int stopMode, bool fitStock, bool stockGlobal) {
    // Every check comes before the rows are stored: the dialog stays open on a
    // refusal, and its boxes must still mean what they meant.
    TypedConcs typed;
    if (!ParseRows(typed)) return false;
    double s = 0;
    if (!ReadStock(s)) {
        ShowMessage("Invalid stock concentration", "Convert Error");
        return false;
    }
    // The page drops the marked points on OK; a curve must keep a line to draw and fit.
    for (int i = 0; i < NumCurves; ++i) {
        int kept = 0, marked = 0;
        for (int k = 0; k < PointCount[i]; ++k) {
            if (PointFlags[i][k] & PointDeleted)
                ++marked;
            else
                ++kept;
        }
        if (marked > 0 && kept < 2) {
            ShowMessage("Curve " + std::to_string(i + 1) + " would keep fewer than 2 points", "Edit Data Error");
            return false;
        }
    }
    StoreRows(typed);
    *StartFitMode = startMode;
    *StopFitMode = stopMode;
    *FitStock = fitStock;
    *StockGlobal = stockGlobal;
    *StockConc = s;
    return true;
}

// ---- data editing ------------------------------------------------------------------------

int TInjEditCore::KeepCount(bool keepOneIn, const std::string& text) {
    double v = 0;
    if (!keepOneIn || !StrictNumber(text, v) || v != std::trunc(v) || std::fabs(v) > INT_MAX) return 0;
    return static_cast<int>(v);
}

double TInjEditCore::ShownValue(int i, int k) const {
    const double t = Time[i][k];
    return InjStart[i] <= t && t <= InjStop[i] ? Data[i][k] - RefIndex[i] : Data[i][k];
}

bool TInjEditCore::Inside(int i, int k, double x1, double y1, double x2, double y2) const {
    const double t = Time[i][k];
    if (!(x1 <= t && t <= x2)) return false;
    const double y = ShownValue(i, k);
    return y1 <= y && y <= y2;
}

template <class F>
void TInjEditCore::ForAffected(int curve, F f) const {
    if (curve >= 0 && curve < NumCurves) {
        f(curve);
        return;
    }
    for (int i = 0; i < NumCurves; ++i)
        if (!Excluded[i]) f(i);
}

void TInjEditCore::MarkRegion(int curve, const TSelection& sel, int keep, bool undelete) {
    if (!sel.Present() || RefuseExcluded(curve)) return;
    const double x1 = std::min(sel.X1, sel.X2), x2 = std::max(sel.X1, sel.X2);
    const double y1 = std::min(sel.Y1, sel.Y2), y2 = std::max(sel.Y1, sel.Y2);
    ForAffected(curve, [&](int i) {
        int counter = 1;
        for (int k = 0; k < PointCount[i]; ++k) {
            if (!Inside(i, k, x1, y1, x2, y2)) continue;
            if (counter == keep) {
                counter = 1;
                continue;
            }
            if (undelete)
                PointFlags[i][k] &= ~PointDeleted;
            else
                PointFlags[i][k] |= PointDeleted;
            ++counter;
        }
    });
}

// A later zeroing measures the level on the shifted values, so the shifts add up
// and Offset stays the whole shift from the values the dialog was opened with.
void TInjEditCore::Shift(int curve, double level) {
    ForAffected(curve, [&](int i) {
        for (int k = 0; k < PointCount[i]; ++k) Data[i][k] -= level;
        Offset[i] += level;
    });
}

void TInjEditCore::Unzero(int curve) {
    ForAffected(curve, [&](int i) {
        for (int k = 0; k < PointCount[i]; ++k) Data[i][k] += Offset[i];
        Offset[i] = 0;
    });
}

void TInjEditCore::ZeroPoints(int curve, const TSelection& sel) {
    if (RefuseExcluded(curve)) return;
    if (!sel.Present()) {
        Unzero(curve);
        return;
    }
    const double x1 = std::min(sel.X1, sel.X2), x2 = std::max(sel.X1, sel.X2);
    const double y1 = std::min(sel.Y1, sel.Y2), y2 = std::max(sel.Y1, sel.Y2);
    double sum = 0;
    long long n = 0;
    ForAffected(curve, [&](int i) {
        for (int k = 0; k < PointCount[i]; ++k) {
            if ((PointFlags[i][k] & PointDeleted) || !Inside(i, k, x1, y1, x2, y2)) continue;
            sum += ShownValue(i, k);
            ++n;
        }
    });
    Shift(curve, n > 0 ? sum / static_cast<double>(n) : 0.0);
}

void TInjEditCore::ZeroCursor(int curve, const TSelection& sel) {
    if (RefuseExcluded(curve)) return;
    if (!sel.Present())
        Unzero(curve);
    else
        Shift(curve, sel.Y2);
}

} // namespace kivra
