#pragma once
// The injection dialog without its window. It edits one injection slot of a
// data page for all curves at once (concentrations, times, refractive-index
// steps, flows, the slot's stock concentration) and the page's points
// (deletion marks, thinning, zero shifts). The rows show at most eight curves
// as texts; everything else lives in the arrays the page hands over, which the
// dialog borrows and never owns. TInjDlg adds the window on top.
#include <array>
#include <string>
#include <vector>

#include "engine/model/model_data.h"
#include "engine/numeric/owned_array.h"

namespace kivra {

class TSensTabCore;

constexpr int MaxInjRows = 8;

// The texts and boxes of one row as the user sees them.
struct TInjRow {
    std::string Conc, Start, Stop, RI, Flow;
    bool FitRI = false;
    bool Exc = false;
    bool Enabled = true;  // an excluded curve's row: only its Exc box stays enabled
    friend bool operator==(const TInjRow&, const TInjRow&) = default;
};

// A selection rectangle in data units, corner 1 where the drag began.
struct TSelection {
    double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
    // A rectangle of zero width or height selects nothing.
    bool Present() const { return X1 != X2 && Y1 != Y2; }
};

// What the page hands the dialog: copies of one slot's per-curve values, the
// curves' exclusions, flows and zero shifts, the slot's single values, and the
// page's own times, values and point flags as they were, so that Cancel puts
// the page back exactly (adding shifts back would not be exact).
struct TInjHandOff {
    OwnedArray<double> Start, Stop, Step, Conc, Offset, Flow, FracNum, FracDen;
    OwnedArray<bool> FitRI, IsFraction, Excluded;
    int StartMode = 0, StopMode = 0;
    double Stock = 0;
    bool Fit = false, Shared = false;
    RowTable<double> TimeWas, DataWas;
    RowTable<int> FlagsWas;

    // Takes the copies of slot from page; false when memory runs out.
    bool Take(TSensTabCore& page, int slot);
    // Puts the page's times, values and flags back as they were taken.
    void Restore(TSensTabCore& page) const;
};

// The main window's part of an OK: marks slot inj's stock concentration as
// shared by all sets or not and, when shared, gives every set's row the value
// and the shared fit flag. Turning sharing off leaves the rows as they were.
void ApplyInjLink(TModelData& model, int inj, bool fit, double stock, bool shared);

class TInjEditCore {
public:
    // The arguments in the order the page passes them; inj is the slot 0..5, -1
    // for the data editor on all curves, -i - 2 for the data editor on curve i.
    TInjEditCore(double** time, double** data, int numCurves, int* pointCount, int** pointFlags,
                 bool* excluded, double* injStart, double* injStop, double* refIndex,
                 bool* fitRefIndex, double* injConc, int* startFitMode, int* stopFitMode,
                 double* offset, double* flow, double* stockConc, bool* fitStock,
                 bool* stockGlobal, double* fracNum, double* fracDen, bool* concIsFraction,
                 int inj);
    // The same over a page and the copies it handed over.
    TInjEditCore(TSensTabCore& page, TInjHandOff& h, int inj);
    virtual ~TInjEditCore() = default;
    TInjEditCore(const TInjEditCore&) = delete;
    TInjEditCore& operator=(const TInjEditCore&) = delete;

    // ---- rows -------------------------------------------------------------------
    // Arrays to rows: every row's texts are written anew.
    void FillRows();
    // Rows to arrays. Only texts changed since they were filled are read, so a
    // value nobody touched keeps every digit. False after a refused negative
    // concentration: no row is stored and the asking action must stop.
    bool ReadRows();
    // The row that shows curve i, -1 when it is out of view.
    int RowOf(int curve) const;
    int RowCurve(int row) const { return FirstRow + row; }
    // Scrolls the rows by one curve up (-1) or down (+1) after reading them.
    // False when the rows cannot move or reading them refused a value.
    bool ScrollRows(int delta);
    bool CanScroll(int delta) const;
    // The plot wants to show curve (-1 all). An excluded curve is refused:
    // curve becomes oldCurve when that one may be shown, else -1, and false is
    // returned. A single curve is scrolled into view after the rows are read;
    // when reading refuses, curve becomes oldCurve and false is returned.
    bool CurveChange(int oldCurve, int& curve);
    // The next curve after curve that is not excluded, -1 when there is none.
    int NextCurve(int curve) const;
    // The row's Exc box was clicked.
    void ExcludeRow(int row, bool excluded);

    // ---- time lines and refractive-index edits ---------------------------------------
    // Start (stop) time of curve as its row says: the typed value when the text
    // was changed, the filled value when not; the stored one when out of view.
    double LineValue(int curve, bool stop) const;
    // A track bar placed curve's line at t; its row (returned, -1 when out of
    // view) shows the new value as filled.
    int LineMoved(int curve, bool stop, double t);
    // The row's refractive-index text changed: its curve's step follows at once.
    void RIEdited(int row);

    // ---- buttons -------------------------------------------------------------------
    // Each reads the rows first and stops when that refuses a value. curve is
    // the one the plot shows, -1 for all.
    void SetAll(int curve);
    void SubtractTimes(int curve);
    void SubtractSteps(int curve);
    void FitAllNone();
    void ToConc() { ConvertConcs(false); }
    void ToFraction() { ConvertConcs(true); }
    // OK: false keeps the dialog open (a refused row, an unreadable or
    // negative stock concentration, a curve left with fewer than 2 points).
    bool Confirm(int startMode, int stopMode, bool fitStock, bool stockGlobal);

    // ---- data editing --------------------------------------------------------------
    // N of "Keep 1/N": the box's whole number when that item is chosen, else 0.
    static int KeepCount(bool keepOneIn, const std::string& text);
    // Marks (or unmarks) the points inside sel of the shown curve or of every
    // included curve, sparing every keep-th point of each curve.
    void MarkRegion(int curve, const TSelection& sel, int keep, bool undelete);
    // Shifts curves so that the mean of the marked-free points in sel (Zero
    // Points) or sel's second corner (Zero Cursor) becomes zero; without a
    // selection the shifts are taken back.
    void ZeroPoints(int curve, const TSelection& sel);
    void ZeroCursor(int curve, const TSelection& sel);

    // ---- state ---------------------------------------------------------------------
    double** Time;
    double** Data;
    int NumCurves;
    int* PointCount;
    int** PointFlags;
    bool* Excluded;
    double* InjStart;
    double* InjStop;
    double* RefIndex;
    bool* FitRefIndex;
    double* InjConc;
    int* StartFitMode;
    int* StopFitMode;
    double* Offset;
    double* Flow;
    double* StockConc;
    bool* FitStock;
    bool* StockGlobal;
    double* FracNum;
    double* FracDen;
    bool* ConcIsFraction;
    int Inj;

    int FirstRow = 0;
    int RowCount = 0;
    // The rows as shown and typed; the window writes the user's edits here.
    std::vector<TInjRow> Rows;
    // The stock concentration box as typed, and as filled; a conversion, which
    // stores the value, fills it anew.
    std::string StockText, StockFilled;

protected:
    // Rows hold new texts: the window shows them.
    virtual void RowsFilled() {}
    // A row's concentration was refused: its edit is to get the focus.
    virtual void ConcRefused(int row) { (void)row; }

private:
    // What each row was filled with: the texts, and the values behind the
    // texts that are read back as numbers.
    struct Fill {
        TInjRow Text;
        double Start = 0, Stop = 0, RI = 0;
    };
    std::vector<Fill> Filled;

    double StartOf(int row) const;
    double StopOf(int row) const;
    double StepOf(int row) const;
    // A row's concentration as typed, read but not stored yet.
    struct TypedConc {
        bool Typed = false;  // the text was changed since it was filled
        bool Fraction = false;
        double Conc = 0, Num = 0, Den = 1.0;
    };
    using TypedConcs = std::array<TypedConc, MaxInjRows>;
    // The changed concentration of row (curve's); false after the message
    // refusing a negative one.
    bool ParseConc(int row, int curve, TypedConc& out);
    // Reads every row's changed concentration, or stops at the first refused
    // one; nothing is stored either way.
    bool ParseRows(TypedConcs& typed);
    // Stores every row, with the concentrations ParseRows read.
    void StoreRows(const TypedConcs& typed);
    // The stock box's value: the stored one while untouched. False when the
    // text is not a number or negative.
    bool ReadStock(double& s) const;
    void ConvertConcs(bool toFraction);
    bool ExcludedCurve(int curve) const { return curve >= 0 && curve < NumCurves && Excluded[curve]; }
    // The excluded-curve message when curve is shown and excluded.
    bool RefuseExcluded(int curve) const;
    void SubtractStart(int i);
    void SubtractStep(int i);
    bool Inside(int i, int k, double x1, double y1, double x2, double y2) const;
    double ShownValue(int i, int k) const;
    // Every included curve, or the one shown.
    template <class F>
    void ForAffected(int curve, F f) const;
    void Shift(int curve, double level);
    void Unzero(int curve);
};

} // namespace kivra
