#pragma once
// The main window's data and commands without the window: the model, the data
// pages in set order, the run flags and the state of the fit, Monte Carlo and
// file commands. TMainForm adds the menus, panels, plots and pages on top and
// answers the hooks below; tests drive this half without Qt.
#include <cstdint>
#include <ctime>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "engine/dataset/senstab_core.h"
#include "engine/fit/param_labels.h"
#include "engine/model/model_data.h"
#include "engine/model/results_view.h"
#include "engine/session/frame_rules.h"
#include "engine/plot/histogram_core.h"
#include "engine/session/model_list.h"
#include "engine/session/monte_records.h"

namespace kivra {

class TFitSnapshot;
class TWindowFitProgress;

class TMainFormCore {
public:
    // The window's common file dialogs (see AskFileName); ReportSave names the
    // PDF file a report goes to when no printer of the system takes it.
    enum class FileDialog { ModelOpen, ModelSave, DataOpen, DataSave, MonteSave, ReportSave };

    TMainFormCore();
    virtual ~TMainFormCore();
    TMainFormCore(const TMainFormCore&) = delete;
    TMainFormCore& operator=(const TMainFormCore&) = delete;

    // ---- model and pages -------------------------------------------------------
    TModelData Model;
    // The data pages in set order; a page's Tag is its position. At most MaxSets.
    std::vector<std::unique_ptr<TSensTabCore>> Pages;
    int PageCount() const { return static_cast<int>(Pages.size()); }
    TSensTabCore& Page(int i) { return *Pages[static_cast<std::size_t>(i)]; }
    // Raw pointers in set order, for the fit and the files.
    std::vector<TSensTabCore*> PagePointers() const;
    // The page is still in the list (a command that kept it across a dialog asks).
    bool HasPage(const TSensTabCore* page) const;

    // Appends a page made by MakePage; null when MaxSets pages exist.
    TSensTabCore* AddPage();
    // Removes page i and renumbers the Tags of the pages behind it. The
    // maximised plot follows its page: it is no longer maximised when its
    // page goes, and moves up when an earlier page goes.
    void DeletePage(int i);
    // Removes every page.
    void DeleteAllPages();
    // A data page marks a slot's stock concentration as shared by all sets
    // or not; when shared, every set's row takes the value and its fit flag.
    void SetInjLink(int inj, bool fit, double stock, bool shared);

    // Model synchronisation: zeroes the fit counts, sets NumSets, reads the
    // panels (ReadPanels) and hands the model to every page. False when a
    // panel could not be read (its message shown); the caller then stops, so
    // a half-read model is never simulated, fitted, saved or printed.
    bool GetModel(bool rebuildList);
    // After a run, which kept the panels from every edit: the model as they
    // gave it at its start, with the values it holds now, goes to the pages
    // and the list without the panels read (and their faults told) again.
    void GetModelAfterRun();

    // ---- commands in progress --------------------------------------------------------
    // A command that changes, replaces or frees pages, or keeps one across a
    // dialog or a message pass, runs inside a TCommandScope. Input that was
    // queued before its dialog opened is delivered inside that dialog's loop:
    // another such command arriving so is refused and does nothing.
    class TCommandScope {
    public:
        explicit TCommandScope(TMainFormCore& form) : form_(form), refused_(form.CommandRunning) {
            form_.CommandRunning = true;
        }
        ~TCommandScope() {
            if (!refused_) form_.CommandRunning = false;
        }
        TCommandScope(const TCommandScope&) = delete;
        TCommandScope& operator=(const TCommandScope&) = delete;
        bool Refused() const { return refused_; }

    private:
        TMainFormCore& form_;
        bool refused_;
    };
    bool CommandInProgress() const { return CommandRunning; }

    // ---- model list ----------------------------------------------------------------
    // The records and lines of the plot page's model list.
    TModelList ModelListState;
    // Only the four group heads, groups back to their first open state.
    void BuildModelHeads();
    // The lines built anew from Model; ModelListChanged shows them.
    void BuildModelList();
    // A click on line index: its group opens or closes and the list is built
    // anew, over the pages' arrays as they are now. A click beside the lines
    // does nothing.
    void ToggleModelLine(int index);

    // ---- run state ---------------------------------------------------------------
    bool FitRunning = false;
    bool MonteRunning = false;
    bool FitStopped = false;
    // A fit or Monte Carlo run is going: only Stop and viewing may act.
    bool Busy() const { return FitRunning || MonteRunning; }
    // Fill of the status line's gauge, 0..7: 7 idle, 0 while a command runs.
    int RunState = 7;
    // Index of the plot maximised on the plot page, -1 when all are shown.
    int CurrentCurve = -1;
    // Residual standard deviation of the results shown.
    double ResidualSD = 0;
    // The Monte Carlo page holds results not yet written to a file.
    bool MonteUnsaved = false;
    // The model was replaced (a model file opened, the model discarded) since
    // the last Monte Carlo run: its results describe another model, and the
    // report leaves them out until the next run.
    bool MonteModelReplaced = false;
    // The window is closing: a run still going ends without questions.
    bool Closing = false;
    // Labels and current values of the floated parameters, in vector order.
    ParamLabelList GetParamLabels(const TModelData& model) const { return kivra::GetParamLabels(model); }
    // The results page's texts; ResultsChanged shows them.
    TResultsView Results;
    bool Destroying = false;

    // ---- model file (engine/session/model_commands.cpp) ----------------------------
    // File Open on the model page: asks for a model file (AskFileName) and loads it. The model
    // part is read into a scratch record and the set blocks into scratch pages, so
    // that a refused or damaged file changes nothing. False when nothing was
    // chosen, a run is going, or the file was refused (after its message),
    // and when the model it loaded could not be read back from the panels.
    bool LoadModel();
    bool LoadModelFile(const std::string& fileName);
    // File Save on the model page: synchronises the model, asks for a name
    // (AskFileName, offering ModelFileName) and writes the whole file (version
    // 3.5) through a temporary file. False when the model could not be read,
    // nothing was chosen, a run is going, or the file could not be written
    // (after its message).
    bool SaveModel();
    bool SaveModelFile(const std::string& fileName);
    // SaveModel for a command that has just synchronised the model: the
    // panels are not read (and their faults not told) again.
    bool SaveSynchronisedModel();
    // The file the model was last saved to, or loaded from with the file's own
    // data sets; empty when none (a new model, or another file's model over the pages).
    std::string ModelFileName;
    // The model part, from the second line, into model. False after a message.
    bool ReadModel(TSensTabCore::FileText& f, int version, TModelData& model);
    // The results part into Results (ResultsChanged follows). A missing or damaged
    // part hides the results page; false then.
    bool ReadResults(TSensTabCore::FileText& f);

    // ---- unsaved work (engine/session/model_commands.cpp) ------------------------------
    // What a save would write now becomes the state the model counts as
    // saved: after a model file was read or written, and when the window
    // starts. False when the panels could not be read (after the message).
    bool MarkSaved();
    // What a save would write differs from what was last loaded or saved; a
    // model whose panels cannot be read (after the message) counts as changed.
    bool ModelChanged();
    // Before a command replaces a changed model: "Save current model?" with
    // Yes, No and Cancel. Yes saves to the model's file, or through the Save
    // dialog when it has none. True when the command may go on: nothing
    // changed, No, or saved.
    bool SaveChangedModel(const std::string& caption);
    // Before the window closes: the model as above, then unsaved Monte Carlo
    // results with the question a new run asks. True when it may close.
    bool CanClose();
    // Unsaved Monte Carlo results: "Save current monte carlo results?" (Yes,
    // No, Cancel). True when the command may go on: none unsaved, No, or saved.
    bool SaveUnsavedMonte();

private:
    // A Yes, No and Cancel question on saving first; true for No, and for Yes
    // once save succeeded.
    bool SaveFirst(const std::string& question, const std::string& caption, const std::function<bool()>& save);
    // The end of a load: the model list's groups as for a new model, then the
    // synchronisation, whose state counts as saved; false when it failed.
    bool ModelLoaded();
    // The model as synchronised last, into fileName; it becomes the model's file.
    bool WriteModel(const std::string& fileName);
    // What a save would write from the model as synchronised last is what was
    // last loaded or saved.
    bool MatchesSaved();
    bool CommandRunning = false;
    // The model file's text when last loaded or saved, as a hash.
    std::uint64_t SavedFingerprint = 0;

protected:
    // ---- hooks the window answers ------------------------------------------------
    // A new data page (a TSensTab in the window, placed on its page control).
    virtual std::unique_ptr<TSensTabCore> MakePage();
    // Called after the page list changed (added, removed, replaced).
    virtual void PagesChanged() {}
    // A page has left the list and is about to be deleted.
    virtual void PageRemoving(TSensTabCore& page) { (void)page; }
    // Reads the reaction and species panels into the model; false after a
    // message when a text is not a number.
    virtual bool ReadPanels(TModelData& model) { (void)model; return true; }
    // The model list's lines were built anew: show them.
    virtual void ModelListChanged() {}
    // Lets pending window messages run (between fit steps and cycles).
    virtual void ProcessMessages() {}
    // Status line panel 0 (hints and short texts) and panel 1 ("Ssq: ...").
    virtual void SetStatusText(const std::string& text) { (void)text; }
    virtual void SetSsqText(const std::string& text) { (void)text; }

    // The common file dialogs; false when the user cancels. fileName comes
    // back as chosen.
    virtual bool AskFileName(FileDialog which, std::string& fileName) {
        (void)which; (void)fileName;
        return false;
    }
    // The clock of the results' time stamp.
    virtual std::time_t CurrentTime() const { return std::time(nullptr); }

public:
    // Refreshes the "Ssq: " text, RunState (from lambda x while fitting, 7
    // otherwise) and the model list. The window adds the status line and the
    // plots.
    virtual void ShowModel(TModelData& model, bool fitting, double x);
    // The results page shows a fit (a and covariance 1-based, n parameters):
    // Results and ResidualSD are filled and ResultsChanged shows them. With no
    // more data points than parameters nothing changes.
    virtual void ShowFitResults(TModelData& model, int n, double** covariance, double* a,
                                double chisq);
    // File Save on the results page: the page as text into a file the user
    // chooses. True when the whole text was written.
    bool SaveResults();

protected:
    // The results page should show Results anew (and its tab follow Shown).
    virtual void ResultsChanged() {}
    // The panels show the model (a model file was read), or its fitted values.
    virtual void WritePanels(const TModelData& model) { (void)model; }
    virtual void PanelsSetFitResults(const TModelData& model) { (void)model; }
    // Page activation: the model page, the plot page, data page i.
    virtual void ShowModelPage() {}
    virtual void ShowPlotPage() {}
    virtual void ShowDataPage(int i) { (void)i; }
    // The desktop's default beep at the end of a run.
    virtual void Beep() {}

    // ==== run control: simulation, fit, noise, smoothing (engine/session/run_control.cpp)
public:
    // Every command below does nothing while Busy(): a run owns the data.
    // Simulates every page with the current model (Run Simulation); without
    // a page, first asks for a new data set on a new page.
    void RunSimulation();
    // Simulates one page (after its injections were edited); "Ssq:" loses its number.
    void RunSimulationSet(int set);
    // Starts a fit of every floated parameter over all pages, or asks the
    // running one to stop. While Monte Carlo runs it only ends the current
    // cycle's fit; it never starts a fit of its own then.
    void RunFit();
    // Noise onto the simulation of the active data page (Add Noise).
    void RunAddNoise();
    // Smooths the active data page when it holds data (Smooth...).
    void RunSmooth();

    // The common end of a fit: FitRunning cleared, keep[1..n] into the model
    // and the pages (with restore, instead, the values saved before the fit
    // put back exactly and the pages simulated again), the model shown,
    // status "Done" when ok, else "Fit stopped", every page's fit arrays freed.
    void FinishFit(int n, bool ok, const double* keep, const TFitSnapshot* restore = nullptr);
    // Gathers and writes back the parameter vector in the one parameter order.
    void GetFitParams(TModelData& model, double* a, int* ia);
    void PutFitParams(const double* a, TModelData& model, int n);
    // A "no effect" error text of a fit step, with the parameter's labels.
    void ReportNoEffect(const char* text, int n);

    // What a New Data Set dialog answered, as typed.
    struct TNewSetAnswer {
        std::string Curves, TotalTime, Interval;
    };

protected:
    friend class TWindowFitProgress;
    // The page control: what is shown, and the data page shown (-1 none).
    virtual PageKind ActiveTab() const { return PageKind::Model; }
    virtual int ActiveDataPage() const { return -1; }
    // The data page shown; null when none.
    TSensTabCore* ActivePage();
    // The status line shows RunState and its texts anew at once.
    virtual void RepaintStatus() {}
    // A run began or ended (Busy() changed): what edits data follows it.
    virtual void BusyChanged() {}
    // The dialogs: false when cancelled.
    virtual bool AskNewSet(TNewSetAnswer& answer) { (void)answer; return false; }
    virtual bool AskNoise(std::string& noiseText) { (void)noiseText; return false; }
    virtual bool AskSmooth(int& windowSize, int& order) { (void)windowSize; (void)order; return false; }

    // The checks before a fit or a Monte Carlo run, each ending the command
    // after its message: a page, the model read, data on every page, a
    // reaction and a species (these three messages captioned by the command's
    // own caption), a floated parameter, more data points than parameters.
    // n is the number of parameters (Model.NumFitParams).
    bool FitCanStart(const char* caption, int& n);

private:
    // Simulates every page in order until one fails; returns the sum of the
    // pages done, failed the index of the failing page (-1 none) and failSsq its result.
    double SimulatePages(int& failed, double& failSsq);
    // Shows the page that a failed simulation result points at.
    void ShowFailedSimulation(int page, double ssq);
    // After a run left simulations of values that are gone on the pages: each
    // page simulated with what the model and pages hold now, so that plots,
    // page sums and the total (TotalChisq) describe them; a failing page is shown.
    void ResimulatePages();
    // ==== end of run control

    // ==== Monte Carlo run (engine/session/monte_carlo.cpp) ==========================
public:
    // The settings, records and histograms of the last run. A new run replaces
    // them all together once it is set up; until then the old ones stand.
    // (MonteUnsaved is with the run state above.)
    int MonteNumCycles = 0;      // successful cycles asked for
    int MonteMaxIter = 0;        // iteration limit of one cycle
    double MonteVariation = 0;   // relative spread of the start values
    double MonteNoise = 0;       // RU of noise added to the data each cycle; 0 none
    int MonteNumParams = 0;
    int MonteCapacity = 0;       // records made: 3 x MonteNumCycles
    TMonteRecordArray MonteRecords;
    int MonteCycles = 0;         // cycles run, failed ones included
    int MonteSucceeded = 0;
    // One per floated parameter, in parameter order.
    std::vector<std::unique_ptr<THistogramCore>> Histograms;
    // The Monte Carlo page's boxes; ReadMonteBoxes refreshes them.
    TMonteBoxes MonteBoxes;

    // The page's Run/Stop button: starts a run, or asks the running one to stop.
    void RunMonteButtonClick();
    // File Save on the Monte Carlo page. False when nothing was saved
    // (cancelled, or the file could not be opened or written).
    bool SaveMonteResults();
    // The results file; clears MonteUnsaved when the stream took it all.
    bool WriteMonteResults(std::ostream& out);

protected:
    // The window copies its boxes' texts into MonteBoxes.
    virtual void ReadMonteBoxes() {}
    virtual void SetMonteButtonCaption(const std::string& caption) { (void)caption; }
    virtual void FocusMonteBox(TMonteBox box) { (void)box; }
    // A histogram for the Monte Carlo page (a THistogram on its panel in the
    // window), and the list of them changed (the window lays them out).
    virtual std::unique_ptr<THistogramCore> MakeHistogram(int capacity, const std::string& title);
    virtual void HistogramsChanged() {}

private:
    friend class MonteRun;
    friend class MonteFitProgress;
    // ==== end of Monte Carlo run =====================================================
};

} // namespace kivra
