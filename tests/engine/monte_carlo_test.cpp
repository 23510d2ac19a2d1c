#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <sstream>

#include "engine/model/model_sync.h"
#include "engine/numeric/numformat.h"
#include "engine/session/mainform_core.h"
#include "tests/support/fit_fixture.h"
#include "tests/support/scripted_messages.h"

namespace kivra {
namespace {

// The main window's half with one 1:1 page and its panels' lines; the
// window's message processing is a script.
class MonteForm : public TMainFormCore {
public:
    explicit MonteForm(int points = 61, long seed = -7, double noise = 0.5) {
        ResetRandom(seed);
        Setup.Points = points;
        Setup.Interval = 600.0 / (points - 1);
        TSensTabCore& page = *AddPage();
        test::MakeOneToOnePage(page, Setup);
        // Measured data have noise; a fit of exact data ends on the fit limit.
        for (int i = 0; i < page.NumCurves; ++i)
            for (int k = 0; k < points; ++k) {
                if (noise > 0) page.Data[i][k] += noise * GaussRandom(&RandomSeed());
                Measured.push_back(page.Data[i][k]);
            }
        MonteBoxes = {"2", "50", "10", "", false};
    }
    // The data unchanged by the page's noise, row by row.
    bool DataAsMeasured() const {
        const TSensTabCore& page = *Pages[0];
        std::size_t m = 0;
        for (int i = 0; i < page.NumCurves; ++i)
            for (int k = 0; k < Setup.Points; ++k)
                if (page.Data[i][k] != Measured[m++]) return false;
        return true;
    }
    test::OneToOneSetup Setup;
    std::vector<double> Measured;
    double Rmax = 100;
    // Called with the count of message passes so far.
    std::function<void(int)> OnMessages;
    int MessagePasses = 0;
    std::string Status, Ssq, Caption = "Run";
    TMonteBox Focused = TMonteBox::Variation;
    bool FileAnswer = false;
    std::string FileName;
    // Per successful cycle, the standard errors the fit gave.
    std::vector<std::vector<double>> Errors;

    void ShowFitResults(TModelData& model, int n, double** covar, double* a, double chisq) override {
        TMainFormCore::ShowFitResults(model, n, covar, a, chisq);
        std::vector<double> e;
        for (int k = 1; k <= n; ++k)
            e.push_back(std::sqrt(chisq / (model.NumDataPoints - n) * covar[k][k]));
        Errors.push_back(e);
    }

    // The memory for a histogram cannot be had.
    bool NoMemory = false;

protected:
    std::unique_ptr<THistogramCore> MakeHistogram(int capacity, const std::string& title) override {
        return NoMemory ? nullptr : TMainFormCore::MakeHistogram(capacity, title);
    }
    bool ReadPanels(TModelData& m) override {
        BeginModelSync(m, m.NumSets);
        test::ApplyOneToOneLines(m, Setup, Setup.Ka, Setup.Kd, 1, Rmax);
        return true;
    }
    void ProcessMessages() override {
        if (OnMessages) OnMessages(++MessagePasses);
    }
    void SetStatusText(const std::string& text) override { Status = text; }
    void SetSsqText(const std::string& text) override { Ssq = text; }
    void SetMonteButtonCaption(const std::string& c) override { Caption = c; }
    void FocusMonteBox(TMonteBox box) override { Focused = box; }
    bool AskFileName(FileDialog which, std::string& name) override {
        EXPECT_EQ(which, FileDialog::MonteSave);
        name = FileName;
        return FileAnswer;
    }
};

TEST(MonteCarlo, SpreadOfResultsMatchesTheirStandardErrors) {
    test::ScriptedMessages msgs;
    // Exact data: each cycle's noise is all the noise there is.
    MonteForm form(101, -5, 0);
    form.MonteBoxes = {"30", "100", "5", "0.5", true};
    form.RunMonteButtonClick();
    ASSERT_EQ(form.MonteSucceeded, 30);
    EXPECT_EQ(form.MonteCycles, 30);
    ASSERT_EQ(form.Histograms.size(), 3u);
    EXPECT_EQ(form.Histograms[0]->Title, "1. Rfac: C");
    EXPECT_EQ(form.Histograms[1]->Title, "2. kfwd: A + B = C");
    EXPECT_EQ(form.Histograms[2]->Title, "3. krev: A + B = C");
    EXPECT_EQ(form.Histograms[1]->SetValue, form.Setup.Ka);
    ASSERT_EQ(form.Errors.size(), 30u);
    for (int k = 0; k < 3; ++k) {
        double error = 0;
        for (const auto& e : form.Errors) error += e[static_cast<std::size_t>(k)] / 30;
        // Beyond 20 results the histogram's spread is that of the results.
        const THistogramCore& h = *form.Histograms[static_cast<std::size_t>(k)];
        EXPECT_EQ(h.Count, 30);
        EXPECT_NEAR(h.StdDev / error, 1.0, 0.3) << "parameter " << k + 1;
        EXPECT_NEAR(h.Mean, h.SetValue, 3 * error) << "parameter " << k + 1;
    }
    // The data and the model are as before the run.
    EXPECT_TRUE(form.DataAsMeasured());
    EXPECT_EQ(form.Model.Kfwd[0], form.Setup.Ka);
    EXPECT_EQ(form.Model.Krev[0], form.Setup.Kd);
    EXPECT_EQ(form.Pages[0]->FitParams, 0);
    EXPECT_TRUE(form.MonteUnsaved);
    EXPECT_FALSE(form.MonteRunning);
    EXPECT_EQ(form.Caption, "Run");
    EXPECT_EQ(form.Status, "Done");
    EXPECT_EQ(form.RunState, 7);
    EXPECT_EQ(msgs.Count(), 0u);
}

// How a run ends: the successes asked for, three times as many cycles, Stop,
// and Run Fit, which ends only the cycle's fit. A step that fails on the last
// iteration allowed still ends its cycle on the iteration limit; the next
// cycle's first step then fails too, which ends the run.
TEST(MonteCarlo, StoppingRules) {
    enum class Press { None, Stop, RunFit, SpoilModel };
    struct Case {
        const char* name;
        const char* maxIter;
        int pressAt;  // message pass at which to act
        Press press;
        int cycles, succeeded;
        const char* firstMessage;
        const char* shown;  // message shown, or empty
    };
    const Case cases[] = {
        {"successes", "50", 0, Press::None, 2, 2, "", ""},
        {"cycle limit", "1", 0, Press::None, 6, 0, "Iteration limit exceeded", ""},
        {"stop", "50", 3, Press::Stop, 1, 0, "Analysis stopped", ""},
        {"run fit", "50", 3, Press::RunFit, 3, 2, "Fit stopped", ""},
        {"step fails last", "1", 2, Press::SpoilModel, 1, 0, "Iteration limit exceeded",
         "Need at least one reaction"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::ScriptedMessages msgs;
        MonteForm form;
        form.MonteBoxes.MaxIter = c.maxIter;
        form.OnMessages = [&](int pass) {
            if (pass != c.pressAt) return;
            if (c.press == Press::RunFit) form.FitRunning = false;
            else if (c.press == Press::Stop) form.RunMonteButtonClick();
            else if (c.press == Press::SpoilModel) form.Pages[0]->NumReactions = 0;
        };
        form.RunMonteButtonClick();
        EXPECT_EQ(form.MonteCycles, c.cycles);
        EXPECT_EQ(form.MonteSucceeded, c.succeeded);
        EXPECT_EQ(form.MonteRecords[0].Message, c.firstMessage);
        EXPECT_EQ(form.MonteRecords[0].Succeeded, c.succeeded > 0 && !c.pressAt);
        for (const auto& h : form.Histograms) EXPECT_EQ(h->Count, c.succeeded);
        EXPECT_EQ(form.MonteCapacity, 6);
        EXPECT_TRUE(form.MonteUnsaved);
        EXPECT_FALSE(form.FitRunning || form.MonteRunning);
        EXPECT_EQ(form.Caption, "Run");
        ASSERT_EQ(msgs.Count(), *c.shown ? 1u : 0u);
        if (*c.shown) {
            EXPECT_EQ(msgs.Last().Text, c.shown);
        }
    }
}

// What the run refuses, or a Stop during its set-up, before it replaces
// anything: the last run's results and settings and the pages stay as they were,
// each curve's own injection time included (mapping the pages for the fit makes
// the times of a slot fitted "for all curves" equal).
TEST(MonteCarlo, RefusalsLeaveEverythingAsItWas) {
    struct Case {
        const char* name;
        std::function<void(MonteForm&)> change;
        const char* text;
        const char* caption;
    };
    const Case cases[] = {
        {"no page", [](MonteForm& f) { f.DeleteAllPages(); }, "No data to fit", "Run MC Error"},
        {"no data", [](MonteForm& f) { f.Pages[0]->Loaded = false; }, "No data loaded", "Run Fit Error"},
        {"nothing floated",
         [](MonteForm& f) {
             f.Setup.FitKa = f.Setup.FitKd = f.Setup.FitRFactor = false;
             f.Pages[0]->StartFitMode[0] = 0;
         },
         "Float at least one parameter", "Run Fit Error"},
        {"too few points",
         [](MonteForm& f) {
             for (int i = 0; i < 6; ++i) f.Pages[0]->PointCount[i] = 1;
         },
         "Not enough data points for the number of parameters", "Run Fit Error"},
        {"cycles", [](MonteForm& f) { f.MonteBoxes.NumCycles = "x"; },
         "Number of cycles must be greater than 0", "Run Monte Error"},
        {"cycles overflow", [](MonteForm& f) { f.MonteBoxes.NumCycles = "715827883"; },
         "Number of cycles must not be greater than 715827882", "Run Monte Error"},
        {"iterations", [](MonteForm& f) { f.MonteBoxes.MaxIter = "-3"; },
         "Maximum number of iterations must be greater than 0", "Run Monte Error"},
        {"variation", [](MonteForm& f) { f.MonteBoxes.Variation = "inf"; },
         "Variation must be greater than 0", "Run Monte Error"},
        {"no memory", [](MonteForm& f) { f.NoMemory = true; }, "Memory Allocation Error", "Run MC Error"},
        {"stop during set-up",
         [](MonteForm& f) {
             f.MessagePasses = 0;
             f.OnMessages = [&f](int pass) {
                 if (pass == 1) f.RunMonteButtonClick();
             };
         },
         "", ""},
        {"negative set value",
         [](MonteForm& f) {
             f.Setup.FitRmax = true;
             f.Rmax = -1;
         },
         "Negative set value of 1. Conc: B\nIt must be 0 or more for a Monte Carlo run",
         "Run Monte Error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::ScriptedMessages msgs;
        MonteForm form;
        form.RunMonteButtonClick();
        ASSERT_EQ(form.MonteCycles, 2);
        const THistogramCore* first = form.Histograms[0].get();
        const double* start = form.MonteRecords[0].Start;
        form.MonteBoxes = {"5", "9", "20", "1", true};
        TSensTabCore& page = *form.Pages[0];
        for (int i = 0; i < 6; ++i) page.InjStart[0][i] = 100 + 0.5 * i;
        page.StartFitMode[0] = 1;
        c.change(form);
        msgs.Answer(MsgResult::No);
        form.RunMonteButtonClick();
        ASSERT_EQ(msgs.Count(), *c.text ? 2u : 1u);
        EXPECT_EQ(msgs.Last().Text, *c.text ? c.text : "Save current monte carlo results?");
        EXPECT_EQ(msgs.Last().Caption, *c.text ? c.caption : "Run Monte Carlo");
        EXPECT_EQ(form.Histograms[0].get(), first);
        EXPECT_EQ(form.MonteRecords[0].Start, start);
        EXPECT_EQ(form.MonteCycles, 2);
        EXPECT_EQ(form.MonteNumCycles, 2);
        EXPECT_EQ(form.MonteMaxIter, 50);
        EXPECT_EQ(form.MonteNoise, 0);
        EXPECT_TRUE(form.MonteUnsaved);
        EXPECT_FALSE(form.MonteRunning);
        EXPECT_EQ(form.Caption, "Run");
        for (const auto& p : form.Pages) {
            EXPECT_EQ(p->FitParams, 0);
            for (int i = 0; i < 6; ++i) EXPECT_EQ(p->InjStart[0][i], 100 + 0.5 * i);
        }
    }
}

// Unsaved results survive every way the save can fail, and the run then
// does not start.
TEST(MonteCarlo, UnsavedResultsAreNeverLostToAFailedSave) {
    struct Case {
        MsgResult answer;
        bool fileChosen;
        const char* file;
        const char* message;  // shown after the question, or empty
    };
    const Case cases[] = {
        {MsgResult::Cancel, false, "", ""},
        {MsgResult::Yes, false, "", ""},
        {MsgResult::Yes, true, "/nonexistent-folder/r.mnt", "Unable to open file"},
        {MsgResult::Yes, true, "/dev/full", "Unable to write file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        test::ScriptedMessages msgs;
        MonteForm form;
        form.RunMonteButtonClick();
        const THistogramCore* first = form.Histograms[0].get();
        form.FileAnswer = c.fileChosen;
        form.FileName = c.file;
        msgs.Answer(c.answer);
        form.RunMonteButtonClick();
        ASSERT_GE(msgs.Count(), 1u);
        EXPECT_EQ(msgs.All()[0].Text, "Save current monte carlo results?");
        EXPECT_EQ(msgs.All()[0].Caption, "Run Monte Carlo");
        EXPECT_EQ(msgs.All()[0].Buttons, MsgButtons::YesNoCancel);
        if (*c.message) {
            ASSERT_EQ(msgs.Count(), 2u);
            EXPECT_EQ(msgs.Last().Text, c.message);
            EXPECT_EQ(msgs.Last().Caption, "File Error");
            EXPECT_EQ(msgs.Last().Icon, MsgIcon::Exclamation);
        } else {
            EXPECT_EQ(msgs.Count(), 1u);
        }
        EXPECT_EQ(form.Histograms[0].get(), first);
        EXPECT_TRUE(form.MonteUnsaved);
    }
}

TEST(MonteCarlo, TheSetValuesComeBackWithTheirPerCurveTimes) {
    test::ScriptedMessages msgs;
    MonteForm form;
    TSensTabCore& page = *form.Pages[0];
    // One start time fitted for all curves, though each curve has its own.
    for (int i = 0; i < 6; ++i) page.InjStart[0][i] = 100 + 0.5 * i;
    page.StartFitMode[0] = 1;
    form.Setup.FitRFactor = false;
    form.MonteBoxes = {"2", "3", "10", "0.5", true};
    form.RunMonteButtonClick();
    ASSERT_EQ(form.MonteNumParams, 3);
    ASSERT_GT(form.MonteCycles, 0);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(page.InjStart[0][i], 100 + 0.5 * i);
    EXPECT_TRUE(form.DataAsMeasured());
    EXPECT_EQ(form.Model.Kfwd[0], form.Setup.Ka);
    EXPECT_EQ(form.Model.Krev[0], form.Setup.Kd);
}

// When the run ends (here by Stop, after a cycle that succeeded), the cycles'
// fits are no longer on show: the results page shows what it showed before,
// and the page's simulation, its sum and "Ssq:" are those of the set values
// and the measured data.
TEST(MonteCarlo, TheEndShowsTheSetValuesAgain) {
    test::ScriptedMessages msgs;
    MonteForm form;
    form.MonteBoxes = {"2", "50", "10", "0.5", true};
    form.Results.ChisqText = "Residual Ssq: 0.50";
    form.ResidualSD = 0.5;
    form.OnMessages = [&form](int) {
        if (form.Errors.size() == 1 && form.MonteRunning) form.RunMonteButtonClick();
    };
    form.RunMonteButtonClick();
    ASSERT_EQ(form.Errors.size(), 1u);
    EXPECT_FALSE(form.Results.Shown);
    EXPECT_EQ(form.Results.ChisqText, "Residual Ssq: 0.50");
    EXPECT_EQ(form.ResidualSD, 0.5);

    TSensTabCore& page = *form.Pages[0];
    const double chisq = page.Chisq;
    const std::vector<double> sim(page.Sim[5], page.Sim[5] + form.Setup.Points);
    EXPECT_EQ(form.Model.TotalChisq, chisq);
    EXPECT_EQ(form.Ssq, FormatValue("Ssq: ", chisq));
    ASSERT_TRUE(form.DataAsMeasured());
    ASSERT_EQ(page.RunModel(), chisq);
    EXPECT_EQ(std::vector<double>(page.Sim[5], page.Sim[5] + form.Setup.Points), sim);
    EXPECT_EQ(msgs.Count(), 0u);
}

// A fit that cannot even start ends the run the way a finished run ends.
TEST(MonteCarlo, AnErrorOnTheFirstStepEndsTheRun) {
    test::ScriptedMessages msgs;
    MonteForm form;
    form.Setup.FitRFactor = false;
    form.Setup.FitRmax = true;
    form.Rmax = 0;  // nothing binds: no parameter has an effect
    form.MonteBoxes.AddNoiseChecked = true;
    form.MonteBoxes.AddNoise = "1";
    form.RunMonteButtonClick();
    ASSERT_EQ(msgs.Count(), 1u);
    EXPECT_NE(msgs.Last().Text.find("has no effect on fit"), std::string::npos);
    EXPECT_EQ(msgs.Last().Caption, "Run MC Error");
    EXPECT_EQ(form.MonteCycles, 0);
    EXPECT_FALSE(form.MonteUnsaved);
    EXPECT_FALSE(form.MonteRunning || form.FitRunning);
    EXPECT_EQ(form.Caption, "Run");
    EXPECT_EQ(form.Status, "Done");
    EXPECT_EQ(form.Pages[0]->FitParams, 0);
    EXPECT_TRUE(form.DataAsMeasured());
    EXPECT_EQ(form.Model.InitConc[0][1], 0);
}

TEST(MonteCarlo, ResultsFileLayout) {
    MonteForm form;
    form.MonteCycles = 3;
    form.MonteSucceeded = 2;
    form.MonteVariation = 0.1;
    form.MonteMaxIter = 40;
    form.MonteNoise = 0.5;
    form.MonteNumParams = 2;
    form.MonteCapacity = 9;
    ASSERT_TRUE(form.MonteRecords.Make(9, 2));
    const char* titles[] = {"1. kfwd: A + B = C", "2. Rfac: C"};
    for (int k = 0; k < 2; ++k) {
        form.Histograms.push_back(std::make_unique<THistogramCore>(9, titles[k]));
        form.Histograms.back()->SetValue = k ? 1.0 : 1e5;
    }
    auto record = [&](int i, double s1, double s2, double r1, double r2, double chisq, const char* msg) {
        TMonteRecord& r = form.MonteRecords[i];
        r.Start[1] = s1;
        r.Start[2] = s2;
        r.Result[1] = r1;
        r.Result[2] = r2;
        r.Chisq = chisq;
        r.Message = msg;
        r.Succeeded = !*msg;
    };
    record(0, 110000, 0.95, 100123.4, 1.0012, 12.5, "");
    record(1, 93000, 1.05, 0, 0, 0, "Error Singular Matrix - 1 \n Check\tthis");
    record(2, 101000.25, 1.00001, 99876, 0.99, 12.25, "");
    record(3, 1, 1, 1, 1, 1, "");  // not run
    form.Histograms[0]->AddResult(100123.4, 80);
    form.Histograms[0]->AddResult(99876, 80);
    form.Histograms[1]->AddResult(1.0012, 0.002);
    form.Histograms[1]->AddResult(0.99, 0.002);
    form.MonteUnsaved = true;

    std::ostringstream out;
    ASSERT_TRUE(form.WriteMonteResults(out));
    EXPECT_EQ(out.str(),
              "Num cycles: 3\n"
              "Succeeded: 2\n"
              "Starting Var(%): 10\n"
              "Max Iterations: 40\n"
              "Noise: 0.5\n"
              "\n"
              "Set values:\n"
              "1. kfwd: A + B = C\t2. Rfac: C\t\n"
              "100000\t1\t\n"
              "\n"
              "Starting values:\t\tResults:\n"
              "1. kfwd: A + B = C\t2. Rfac: C\t\t1. kfwd: A + B = C\t2. Rfac: C\tChiSq\n"
              "110000\t0.95\t\t100123\t1.0012\t12.5\n"
              "101000\t1.00001\t\t99876\t0.99\t12.25\n"
              "93000\t1.05\t\tError Singular Matrix - 1   Check this\n"
              "\t\tAverage:\t99999.7\t0.9956\t\n"
              "\t\tStd Dev:\t80\t0.002\t\n");
    EXPECT_FALSE(form.MonteUnsaved);

    // Without noise, a second empty line takes the place of the noise value.
    form.MonteNoise = 0;
    std::ostringstream none;
    form.WriteMonteResults(none);
    EXPECT_NE(none.str().find("Max Iterations: 40\nNoise: none\n\n\nSet values:\n"), std::string::npos);
}

} // namespace
} // namespace kivra
