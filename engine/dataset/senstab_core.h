#pragma once
// One data page without its widgets: the data set (curves, injections, flags),
// the page's copy of the model and the operations on them. TSensTab adds the
// controls and plots on top; everything here runs and is tested without Qt.
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "engine/model/model_data.h"
#include "engine/numeric/owned_array.h"
#include "engine/numeric/vectors.h"
#include "engine/simulation/integrator.h"
#include "engine/simulation/page_model.h"

namespace kivra {

struct FitParam;  // engine/fit/fit_params.h

// Point flag bits.
constexpr int PointDeleted = 1;   // marked for removal in the injection dialog
constexpr int PointAfterGap = 8;  // first point after a removed stretch
constexpr int PointHidden = 16;   // never drawn

// Sizes a data set may have; larger requests are refused before anything is cleared.
constexpr int MaxPointsPerCurve = 10000000;
constexpr int MaxCurves = 100000;

struct TInjHandOff;

// The page's copy of the model (counts, species values, stocks, flow factor)
// comes from TPageModel, so that a worker can copy it whole.
class TSensTabCore : public TPageModel {
public:
    TSensTabCore();
    virtual ~TSensTabCore();
    TSensTabCore(const TSensTabCore&) = delete;
    TSensTabCore& operator=(const TSensTabCore&) = delete;

    // ---- data set -------------------------------------------------------------
    bool NewSens(int curves, int points);
    void ClearSens();
    void CreateSet(int curves, double totalTime, double interval);
    bool InjUsed(int j) const;
    bool CheckData() const;
    bool GetLoaded() const { return Loaded; }
    bool GetModelled() const { return Modelled; }
    bool IsLoaded() const { return Loaded; }
    bool IsModelled() const { return Modelled; }

    // Texts of the page's labels, kept here so that they are right without a window.
    std::string Caption() const { return CaptionText; }
    // The main window names pages without data after their place ("Set 2").
    void SetCaption(const std::string& text) { CaptionText = text; }
    std::string FileNameTextValue() const { return FileNameString; }
    std::string NumCurvesText() const { return NumCurvesString; }
    std::string NumPointsText() const { return NumPointsString; }
    // Per slot: the label's text and whether it is shown; the button shows "full" when used.
    std::string InjLabelText(int j) const { return InjLabelString[j]; }
    bool InjLabelVisible(int j) const { return InjLabelShown[j]; }

    // ---- linear algebra (engine/dataset/senstab_lu.cpp) ----------------------
    // LU decomposition in place by Crout's method with implicit partial pivoting;
    // 1-based. Returns null, or a fixed message text for a singular (all-zero) row.
    // Borrows the row scales of the page's integrator when they are large enough.
    const char* ludcmp(double** a, int n, int* indx, double* d);

    // ---- model application, rate equations, integrator, simulation ----------------
    // Copies the model into the page (the row of this set for local species) and
    // publishes the page's arrays, counts and sum of squares into the record.
    void SetModel(TModelData& model);
    // Only the publishing: the record's views of the page's curve and injection
    // arrays, its curve count and its slots' fit modes. A synchronisation that
    // stops early still does this, so that the record never points at arrays
    // the page has since replaced.
    void PublishArrays(TModelData& model);
    // Simulates every included curve into Sim. Returns the sum of squares against
    // Data (0 when nothing is loaded), -1 for missing data, bad input or an
    // integrator failure, -10 when the model cannot be simulated.
    double RunModel();
    // The first fault of the page's model or data that would make a simulation
    // meaningless or overrun its arrays; empty when there is none. modelFault is
    // set for a scheme naming species or slots that do not exist, and cleared
    // for a negative or non-finite rate, concentration, flow or time.
    std::string CheckSimInput(bool& modelFault) const;

    // Stiff integration of ystart[1..nvar] from t1 to t2 with the page's own
    // integrator (made by Allocate). Null, or a fixed error text.
    const char* odeint(double* ystart, int nvar, double t1, double t2, double eps, double h1,
                       double hmin);

    // The page's own integrator for n species, over the page's model; false
    // after "Memory Allocation Error". Runs of RunModel and CalcFit have their
    // own, one per worker, and need none of the page's.
    bool Allocate(int n);
    void Deallocate();
    std::unique_ptr<TIntegrator> Work;

    // Splitting each injection's total among the species it feeds.
    bool FindPolySeed();
    double EvaluatePoly(int inj, int curve, double x, bool& err);
    bool CalcSpecConc(int curve);
    // Total concentration injected by slot j into curve i.
    double SlotTotal(int j, int i) const;
    // Curve i's injections and split, as values a worker can own; StoreSplit
    // writes a split back into SpecConc.
    TCurveInj CurveInjections(int i) const;
    void StoreSplit(const TCurveInj& inj, int i);

    // The page's species panel stores this set's local species into the record
    // (and shows the rest); the core page has no panel.
    virtual void GetPanelSpecies(TModelData&) {}
    // A finished simulation reaches the plots through SimulationChanged.

    // Which slots feed a species: their times are events of the simulation.
    void FeedingSlots(bool feeds[MaxInj]) const;

    // ---- fit parameters on the page --------------------------------------------------
    // Maps the fit's parameter vector (ma entries, in the order of
    // ForEachFitParam) onto this page's values and makes the fit arrays.
    // False after "Memory Allocation Error" (also for a page without species).
    bool AllocateFit(TModelData& model, int ma);
    // Simulates the included curves with the values a, once as they are and
    // once per parameter of this page nudged by its step, and adds the page's
    // squared residuals, gradient and lower curvature triangle. The runs are
    // independent and spread over the worker threads; the sums are formed in
    // curve, point and parameter order, as by one thread, each point adding
    // the terms of only the parameters that bear on its curve (the others'
    // are exact zeros). A nudge that only the response reads takes the states
    // of the unnudged run, and one that a curve does not read at all gives it
    // the unnudged responses: both are what their own simulations would give,
    // bit for bit. Null, or an error text.
    const char* CalcFit(double* a, int ma, double** alpha, double* beta, double* chisq);
    // Writes accepted values into the page (a shared time to every included curve).
    void UpdateFit(const double* a, int ma);
    void DeallocateFit();
    // The fitted values are shown: the injection labels of slots whose times were
    // fitted; the widget adds the species panel.
    virtual void SetFitResults(TModelData& model);
    // Writes a[j] into the page value of parameter j (and a shared time into
    // every included curve of its slot).
    void SetFitValue(int j, double value);

    OwnedArray<int> FitKind;       // [0..ma]; entry 0 is the base run
    OwnedArray<double*> FitValue;  // [0..ma]; the page value of each parameter
    Vector1 FitDelta;              // [1..ma] finite-difference steps
    OwnedArray<int> FitInj;        // [0..ma] slot of kinds 4, 7, 8; -1 otherwise
    OwnedArray<FitParam> FitTarget;  // [0..ma] what each parameter of this page stands for
    Vector1 FitDeriv;              // [1..ma] derivative of the current point's response
    int FitParams = 0;             // ma of the arrays above, 0 = none
    // The text of the last fault CalcFit found in the model or data; the
    // returned pointer stays valid until the next CalcFit of this page.
    std::string FitFault;
    // Responses (doubles) CalcFit keeps at once: a round of curves is as
    // large as fits, a longer curve goes alone in blocks of points.
    std::size_t FitResponseBudget = std::size_t(1) << 22;
    // When set, every point of CalcFit adds the terms of every parameter, as a
    // point with a term that is not finite always does: the dense sums that
    // the usual ones are checked against.
    bool FitDenseSums = false;
    // Where the progress dots of CalcFit go; set by whoever drives the fit.
    class FitProgress* FitStatus = nullptr;

    // ---- data files ------------------------------------------------------------------
    // The text of a data file with a read position (engine/files/datafile_text.h).
    class FileText;
    // Reads a data file of any form. A file that cannot be read, or a cancelled
    // choice, leaves the page as it was. True when the data were read.
    bool LoadSens(const std::string& fileName);
    // Readers of the forms; each fills this page's arrays from the file's start
    // (LoadMultiSens asks which part to load).
    bool LoadV32Sens(FileText& f);
    bool LoadMultiSens(FileText& f, int mask);
    bool LoadOldSens(FileText& f);
    bool LoadV3Sens(FileText& f);
    bool LoadBiaSens(FileText& f);
    // One slot row ("Conc", "Start", "Stop", "RInd") from just after its keyword
    // into slots[slot][curve]; a row that ends early leaves the later curves as
    // they were. False when a value is extra or not a number.
    bool GetDataLine(FileText& f, int n, std::array<OwnedArray<double>, MaxInj>& slots);
    // Writes the included curves with the parts of mask (1 data, 2 simulation,
    // 4 residuals), replacing the file only once the new one is complete.
    // False after a message.
    bool WriteData(const std::string& fileName, int mask);
    // Takes over the data set of another page (a reader's scratch page): arrays,
    // counts, injections, flows and stocks. The other page is left without data.
    void TakeDataSet(TSensTabCore& from);

    // ---- model file: the page's set block (engine/files/model_set.cpp) ----------------
    // Appends the page's set block, with the model values of the row Tag.
    void WriteSet(std::string& out, const TModelData& model) const;
    // Reads one set block of a model file of the given version (30, 32..35) into
    // the page and into the model's row Tag. The block is read whole before
    // anything changes: a damaged one changes nothing and returns false after a
    // message.
    bool ReadSet(FileText& f, int version, TModelData& model);
    // Takes over everything a set block gave a scratch page: the data set, the
    // flags, fit modes, shared-stock flags and caption; then shows it.
    void TakeReadSet(TSensTabCore& from, const TModelData& model);
    // A set block was read into the page: its species panel shows the model, its
    // plots the data when Loaded and the simulation when Modelled.
    virtual void SetBlockRead(const TModelData& model) { (void)model; }

    // ---- smoothing and noise -----------------------------------------------------------
    // Savitzky-Golay coefficients of a window of nl points left and nr right, polynomial
    // order m, derivative order ld (0 smooths), into coef[1..np] in wrap-around order:
    // coef[1] is offset 0, coef[1 + j] offset -j, coef[np + 1 - j] offset +j.
    // Null, or a message text when the request cannot be met.
    const char* savgol(double* coef, int np, int nl, int nr, int ld, int m);
    // The slot (less one) of a symmetric window's coefficient vector for an offset.
    static int SavGolIndex(int offset) { return offset < 0 ? -offset : offset; }
    // Sim of every curve that is not excluded becomes the smoothed Data; an even window
    // acts as the next odd one, and the end points stand in for points beyond the ends.
    void Smooth(int window, int order);
    // Gaussian noise of standard deviation sd onto Sim, only where a simulation exists.
    void AddNoise(double sd);
    // Noise onto Data for one Monte Carlo cycle; RestoreData puts the measured values back.
    void RandomizeData(double sd);
    void RestoreData();
    // Sim holds new values (smoothed or noisy): the plots show the simulation again.
    virtual void SimulationChanged() {}
    // Above this the normal equations lose the polynomial: order 16 on 17 points,
    // which must give the points themselves back, is already off by 4e-4.
    static constexpr int MaxSmoothOrder = 12;
    // Points per curve that RandomizeData perturbed (0: none); empty while Data holds
    // the measured values, so RestoreData never copies a backup it did not take.
    OwnedArray<int> PerturbedPoints;

    // ---- hooks for the widget half --------------------------------------------
    // The page caption, file name and plots go back to their empty state.
    virtual void ClearDisplay();
    // Labels and slot buttons follow the injection data.
    virtual void UpdateInjPics();
    // The injection dialog for a slot (0..5), the data editor (-1) or the data
    // editor on curve i (-i - 2): hands it copies, shows it, and on OK takes
    // the values back and drops the marked points; on Cancel the page is put
    // back exactly as it was. Returns true when the user confirmed.
    virtual bool RunInjDlg(int inj);
    // Shows the dialog modally over the hand-off's copies; true on OK. The
    // page without a window has no dialog to show.
    virtual bool EditInjections(TInjHandOff& h, int inj) { (void)h; (void)inj; return false; }
    // The arrays were (re)allocated or freed: borrowers must attach again.
    virtual void DataArraysChanged() {}
    // A data file was loaded into the page: its data are to be shown.
    virtual void DataLoaded() {}
    // The label texts changed.
    virtual void LabelsChanged() {}

    // ---- what the page asks of the main window ------------------------------------
    // After an OK on a slot whose stock was or is shared by all sets: the main
    // window records the sharing and the shared value (ApplyInjLink).
    std::function<void(int inj, bool fit, double stock, bool shared)> OnInjLink;
    // After an OK on a page that holds a simulation: simulate set `set` again.
    std::function<void(int set)> OnResimulate;
    // A fit or Monte Carlo run is going: the data may not change under it, so
    // the dialog does not open.
    std::function<bool()> OnBusy;
    // Runs one of the page's own commands (its injection and data dialogs) as
    // a command of the main window: not at all while another is in progress.
    std::function<void(const std::function<void()>& command)> OnCommand;

    // ---- fields -----------------------------------------------------------------
    int Tag = 0;  // set index 0..5

    RowTable<double> Data;        // measured response (RU)
    RowTable<double> Sim;         // simulated response; also smoothing output and noise target
    RowTable<double> Time;        // seconds, strictly increasing within a curve
    RowTable<double> DataBackup;  // Data before the Monte Carlo noise
    RowTable<int> PointFlags;
    OwnedArray<bool> Excluded;
    int NumCurves = 0;
    int NumPoints = 0;
    int AllocCurves = 0;
    OwnedArray<int> PointCount;
    double Chisq = 0;
    bool Loaded = false;
    bool Modelled = false;
    bool StockGlobal[MaxInj] = {};
    bool FitStockGlobal[MaxInj] = {};

    // Injection slots, per slot j and curve i.
    std::array<OwnedArray<double>, MaxInj> RefIndex;
    std::array<OwnedArray<bool>, MaxInj> FitRefIndex;
    std::array<OwnedArray<double>, MaxInj> InjStop;
    std::array<OwnedArray<double>, MaxInj> InjStart;
    std::array<OwnedArray<double>, MaxInj> InjConc;
    std::array<OwnedArray<bool>, MaxInj> ConcIsFraction;
    std::array<OwnedArray<double>, MaxInj> FracNum;  // negative: no fraction typed
    std::array<OwnedArray<double>, MaxInj> FracDen;
    int StartFitMode[MaxInj] = {};  // 0 fixed, 1 one value for all curves, 2 one per curve
    int StopFitMode[MaxInj] = {};
    SpecConcTable SpecConc;         // [j][s][i]
    OwnedArray<double> Flow;        // per curve
    bool FitStockLocal[MaxInj] = {};

protected:
    void SetNumLabels(int curves, int points);
    // OK of the injection dialog: the copies go back into slot, marked points go.
    void TakeBackInjEdit(const TInjHandOff& h, int slot);

    std::string CaptionText;
    std::string FileNameString = "No Data";
    std::string NumCurvesString = "Num Curves:";
    std::string NumPointsString = "Points/Curve:";
    std::string InjLabelString[MaxInj];
    bool InjLabelShown[MaxInj] = {};
};

} // namespace kivra
