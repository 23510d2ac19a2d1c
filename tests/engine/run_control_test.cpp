#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "engine/fit/fit_engine.h"
#include "engine/model/model_sync.h"
#include "engine/numeric/numformat.h"
#include "engine/numeric/randoms.h"
#include "engine/session/dialog_entries.h"
#include "engine/session/mainform_core.h"
#include "tests/support/fit_fixture.h"
#include "tests/support/scripted_messages.h"

namespace kivra {
namespace {

// The window's half with its panels, page control, status line and dialogs
// answered by the test.
class RunForm : public TMainFormCore {
public:
    std::vector<ReactionLine> Reactions;
    std::vector<SpeciesLine> Species;
    std::string Status, Ssq;
    std::vector<std::string> Shown;  // pages shown, in order: "model", "plot", "data 0" ...
    PageKind Tab = PageKind::Model;
    int DataTab = -1;
    int Messages = 0, ResultsShown = 0, PanelsSet = 0, Beeps = 0;
    std::vector<double> ResultA;
    std::function<void()> OnMessages;  // runs whenever pending messages are let through
    std::vector<TNewSetAnswer> NewSets;
    std::vector<std::string> Noises;

    using TMainFormCore::ActiveTab;

    bool ReadPanels(TModelData& model) override {
        if (!ApplyReactionLines(model, Reactions)) return false;
        ApplyModelSpeciesLines(model, Species);
        return true;
    }
    void ProcessMessages() override {
        ++Messages;
        if (OnMessages) OnMessages();
    }
    void SetStatusText(const std::string& text) override { Status = text; }
    void SetSsqText(const std::string& text) override { Ssq = text; }
    void ShowFitResults(TModelData&, int n, double**, double* a, double) override {
        ++ResultsShown;
        ResultA.assign(a + 1, a + n + 1);
    }
    void PanelsSetFitResults(const TModelData&) override { ++PanelsSet; }
    void ShowModelPage() override { Shown.push_back("model"); }
    void ShowPlotPage() override { Shown.push_back("plot"); }
    void ShowDataPage(int i) override { Shown.push_back("data " + std::to_string(i)); }
    void Beep() override { ++Beeps; }
    PageKind ActiveTab() const override { return Tab; }
    int ActiveDataPage() const override { return DataTab; }
    bool AskNewSet(TNewSetAnswer& answer) override {
        if (NewSets.empty()) return false;
        answer = NewSets.front();
        NewSets.erase(NewSets.begin());
        return true;
    }
    bool AskNoise(std::string& text) override {
        if (Noises.empty()) return false;
        text = Noises.front();
        Noises.erase(Noises.begin());
        return true;
    }
};

// A loaded 1:1 page with noisy data, and the panels holding start values 3
// times off. Each curve's injection starts a little later than the one before.
struct OneToOneForm {
    explicit OneToOneForm(int points = 81, double interval = 7.5) {
        ResetRandom(-17);
        Setup.Points = points;
        Setup.Interval = interval;
        Page = Form.AddPage();
        test::MakeOneToOnePage(*Page, Setup);
        for (int i = 0; i < Page->NumCurves; ++i) {
            Page->InjStart[0][i] += 0.25 * i;
            for (int k = 0; k < Page->PointCount[i]; ++k) Page->Data[i][k] += 0.5 * GaussRandom(&RandomSeed());
        }
        test::OneToOneLines(Setup, 3 * Setup.Ka, Setup.Kd / 3, 1, Setup.Rmax, Form.Reactions, Form.Species);
    }
    // Ask the fit to stop when pending messages are let through for the given time.
    void StopAt(int messages) {
        Form.OnMessages = [this, messages] {
            if (Form.Messages == messages) Form.RunFit();
        };
    }
    std::vector<double> Starts() const { return {&Page->InjStart[0][0], &Page->InjStart[0][0] + Page->NumCurves}; }

    test::OneToOneSetup Setup;
    RunForm Form;
    TSensTabCore* Page = nullptr;
};

TEST(RunFit, ConvergesAndShowsTheResults) {
    test::ScriptedMessages msgs;
    OneToOneForm x;
    x.Form.RunFit();
    EXPECT_EQ(msgs.Count(), 0u);
    ASSERT_EQ(x.Form.ResultsShown, 1);
    // The R factor of C, then kfwd and krev.
    ASSERT_EQ(x.Form.ResultA.size(), 3u);
    EXPECT_NEAR(x.Form.ResultA[1] / x.Setup.Ka, 1, 0.05);
    EXPECT_NEAR(x.Form.ResultA[2] / x.Setup.Kd, 1, 0.05);
    EXPECT_EQ(x.Form.Model.Kfwd[0], x.Form.ResultA[1]);
    EXPECT_EQ(x.Page->Kfwd[0], x.Form.ResultA[1]);
    EXPECT_EQ(x.Form.PanelsSet, 1);
    EXPECT_EQ(x.Form.Beeps, 1);
    EXPECT_FALSE(x.Form.Busy());
    EXPECT_FALSE(x.Form.FitStopped);
    EXPECT_EQ(x.Form.RunState, 7);
    EXPECT_EQ(x.Form.Status, "Done");
    EXPECT_EQ(x.Form.Ssq, FormatValue("Ssq: ", x.Form.Model.TotalChisq));
    EXPECT_EQ(x.Page->FitParams, 0);
}

// Answering No to the question after a stop, and a stop before the first
// step, put back every value as it was, each curve's injection time
// included, and simulate the pages anew.
TEST(RunFit, DiscardingAStoppedFitRestoresEveryValueExactly) {
    for (const bool beforeFirstStep : {false, true}) {
        SCOPED_TRACE(beforeFirstStep);
        test::ScriptedMessages msgs;
        OneToOneForm x;
        x.Page->StartFitMode[0] = 1;
        x.Form.RunSimulation();
        const std::vector<double> starts = x.Starts();
        const double chisq = x.Form.Model.TotalChisq;
        const std::string ssq = x.Form.Ssq;
        const std::vector<double> sim(x.Page->Sim[5], x.Page->Sim[5] + x.Setup.Points);
        const double kfwd = x.Form.Model.Kfwd[0];

        x.StopAt(beforeFirstStep ? 1 : 3);
        if (!beforeFirstStep) msgs.Answer(MsgResult::No);
        x.Form.RunFit();

        ASSERT_EQ(msgs.Count(), beforeFirstStep ? 0u : 1u);
        if (!beforeFirstStep) {
            EXPECT_EQ(msgs.Last().Text, "Update model with current values?");
            EXPECT_EQ(msgs.Last().Caption, "Fit Stopped");
            EXPECT_EQ(msgs.Last().Buttons, MsgButtons::YesNo);
        }
        EXPECT_EQ(x.Starts(), starts);
        EXPECT_EQ(x.Form.Model.Kfwd[0], kfwd);
        EXPECT_EQ(x.Page->Kfwd[0], kfwd);
        EXPECT_EQ(x.Form.Model.TotalChisq, chisq);
        EXPECT_EQ(x.Page->Chisq, chisq);
        EXPECT_EQ(x.Form.Ssq, ssq);
        EXPECT_EQ(std::vector<double>(x.Page->Sim[5], x.Page->Sim[5] + x.Setup.Points), sim);
        EXPECT_EQ(x.Form.ResultsShown, 0);
        EXPECT_EQ(x.Form.PanelsSet, 0);
        EXPECT_EQ(x.Form.Status, "Done");
        EXPECT_FALSE(x.Form.Busy());
        EXPECT_EQ(x.Page->FitParams, 0);
    }
}

TEST(RunFit, KeepingAStoppedFitTakesTheCurrentValues) {
    test::ScriptedMessages msgs;
    OneToOneForm x;
    x.StopAt(3);
    msgs.Answer(MsgResult::Yes);
    x.Form.RunFit();
    ASSERT_EQ(msgs.Count(), 1u);
    EXPECT_TRUE(x.Form.FitStopped);
    ASSERT_EQ(x.Form.ResultsShown, 1);
    EXPECT_NE(x.Form.ResultA[1], 3 * x.Setup.Ka);
    EXPECT_EQ(x.Form.Model.Kfwd[0], x.Form.ResultA[1]);
    EXPECT_EQ(x.Form.PanelsSet, 1);
    EXPECT_EQ(x.Form.Status, "Done");
    EXPECT_EQ(x.Form.RunState, 7);
}

TEST(RunFit, RefusesBeforeAnythingIsAllocated) {
    struct Case {
        const char* name;
        std::function<void(OneToOneForm&)> spoil;
        std::string message;
        std::vector<std::string> shown;
    };
    const std::vector<Case> cases = {
        {"no page", [](OneToOneForm& x) { x.Form.DeleteAllPages(); }, "No data to fit", {}},
        {"not loaded", [](OneToOneForm& x) { x.Page->Loaded = false; }, "No data loaded", {"data 0"}},
        {"nothing floated",
         [](OneToOneForm& x) {
             x.Form.Reactions[0].FitKfwd = x.Form.Reactions[0].FitKrev = false;
             x.Form.Species[2].FitRFactor = false;
         },
         "Float at least one parameter", {}},
        // Two curves of two points: two differences for three parameters.
        {"too few points", [](OneToOneForm&) {}, "Too few data points for 3 parameters", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::ScriptedMessages msgs;
        OneToOneForm x(2, 300);
        for (int i = 2; i < x.Page->NumCurves; ++i) x.Page->Excluded[i] = true;
        c.spoil(x);
        x.Form.RunFit();
        ASSERT_EQ(msgs.Count(), 1u);
        EXPECT_EQ(msgs.Last().Text, c.message);
        EXPECT_EQ(msgs.Last().Caption, "Run Fit Error");
        EXPECT_EQ(x.Form.Shown, c.shown);
        EXPECT_FALSE(x.Form.Busy());
        EXPECT_EQ(x.Form.RunState, 7);
        if (x.Form.PageCount() > 0) {
            EXPECT_EQ(x.Page->FitParams, 0);
        }
    }
}

// While a fit or a Monte Carlo run is going only the stop acts.
TEST(RunControl, OnlyStopActsDuringARun) {
    test::ScriptedMessages msgs;
    OneToOneForm x;
    x.Form.RunSimulation();
    x.Form.Tab = PageKind::Data;
    x.Form.DataTab = 0;
    const std::vector<double> sim(x.Page->Sim[2], x.Page->Sim[2] + x.Setup.Points);
    for (const bool monte : {false, true}) {
        SCOPED_TRACE(monte);
        (monte ? x.Form.MonteRunning : x.Form.FitRunning) = true;
        x.Form.Noises = {"1"};
        x.Form.Status.clear();
        x.Form.RunSimulation();
        x.Form.RunSimulationSet(0);
        x.Form.RunAddNoise();
        x.Form.RunSmooth();
        EXPECT_EQ(x.Form.Noises.size(), 1u);
        EXPECT_EQ(x.Form.Status, "");
        EXPECT_EQ(std::vector<double>(x.Page->Sim[2], x.Page->Sim[2] + x.Setup.Points), sim);
        // Run Fit during a fit, or during a cycle's fit, asks it to stop ...
        x.Form.FitRunning = true;
        x.Form.RunFit();
        EXPECT_FALSE(x.Form.FitRunning);
        EXPECT_TRUE(x.Form.FitStopped);
        // ... and between Monte Carlo cycles it starts nothing.
        if (monte) {
            x.Form.RunFit();
            EXPECT_FALSE(x.Form.FitRunning);
            EXPECT_EQ(x.Form.Messages, 0);
        }
        x.Form.MonteRunning = false;
    }
    EXPECT_EQ(msgs.Count(), 0u);
}

TEST(RunSimulation, WithoutAPageAsksForANewSet) {
    struct Case {
        RunForm::TNewSetAnswer answer;
        std::vector<std::string> messages;
        int curves;
    };
    const std::vector<Case> cases = {
        {{"2", "100", "abc"}, {"Conversion error"}, 0},
        {{"2", "1e999", "10"}, {"Conversion error"}, 0},
        // CreateSet refuses and says so; nothing else is said.
        {{"2", "100", "0"}, {"Bad choice of values"}, 0},
        {{"2", "600", "7.5"}, {}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer.Interval);
        test::ScriptedMessages msgs;
        OneToOneForm x;
        x.Form.DeleteAllPages();
        x.Form.NewSets = {c.answer};
        x.Form.RunSimulation();
        ASSERT_EQ(x.Form.PageCount(), 1);
        EXPECT_EQ(x.Form.Page(0).NumCurves, c.curves);
        std::vector<std::string> texts;
        for (const auto& m : msgs.All()) texts.push_back(m.Text);
        EXPECT_EQ(texts, c.messages);
        if (c.curves > 0) {
            EXPECT_EQ(x.Form.Shown, (std::vector<std::string>{"data 0", "plot"}));
            EXPECT_TRUE(x.Form.Page(0).GetModelled());
            EXPECT_EQ(x.Form.Ssq, FormatValue("Ssq: ", 0));
            EXPECT_EQ(x.Form.Status, "Done");
        }
    }
}

TEST(RunSimulation, AFailingPageStopsTheRunAndIsShown) {
    test::ScriptedMessages msgs;
    OneToOneForm x;
    TSensTabCore* second = x.Form.AddPage();
    test::MakeOneToOnePage(*second, x.Setup);
    x.Form.AddPage();  // no data: -1
    x.Form.RunSimulation();
    ASSERT_EQ(msgs.Count(), 1u);
    EXPECT_EQ(msgs.Last().Caption, "Simulation Error: Set 3");
    EXPECT_EQ(x.Form.Shown, (std::vector<std::string>{"data 2"}));
    EXPECT_EQ(x.Form.Model.TotalChisq, x.Page->Chisq + second->Chisq);
    EXPECT_EQ(x.Form.Ssq, FormatValue("Ssq: ", x.Form.Model.TotalChisq));
    // A model that cannot be simulated shows the model page.
    msgs.Clear();
    x.Form.Shown.clear();
    x.Form.Reactions.clear();
    x.Form.RunSimulation();
    EXPECT_EQ(x.Form.Shown, (std::vector<std::string>{"model"}));
    EXPECT_EQ(x.Form.Model.TotalChisq, 0);
    EXPECT_EQ(x.Form.RunState, 7);
}

TEST(RunFit, NoEffectNamesTheParameterOrShowsTheText) {
    struct Case {
        int k, n;
        std::string shown;
    };
    const std::vector<Case> cases = {
        {2, 3, "Parameter has no effect on fit\nProblem: kfwd of A + B = C"},
        {4, 3, "Parameter 4  has no effect on fit"},
        {12, 3, "Parameter 12 has no effect on fit"},
    };
    for (const Case& c : cases) {
        test::ScriptedMessages msgs;
        OneToOneForm x;
        ASSERT_TRUE(x.Form.GetModel(false));
        std::string text = "Parameter " + std::to_string(c.k);
        text += c.k < 10 ? "  has no effect on fit" : " has no effect on fit";
        x.Form.ReportNoEffect(text.c_str(), c.n);
        ASSERT_EQ(msgs.Count(), 1u);
        EXPECT_EQ(msgs.Last().Text, c.shown);
        EXPECT_EQ(msgs.Last().Caption, "Fit Error");
    }
}

TEST(RunAddNoise, TakesTheTypedLevelAndCountsOtherTextAsZero) {
    test::ScriptedMessages msgs;
    OneToOneForm x;
    x.Form.RunSimulation();
    const double before = x.Page->Sim[1][50];
    x.Form.Noises = {"0.5"};
    x.Form.RunAddNoise();  // not on a data page: not even asked
    EXPECT_EQ(x.Form.Noises.size(), 1u);
    x.Form.DataTab = 0;
    for (const char* text : {"nan", "1e400", "abc"}) {
        x.Form.Noises = {text};
        x.Form.RunAddNoise();
        EXPECT_EQ(x.Page->Sim[1][50], before) << text;
    }
    x.Form.Noises = {"0.5"};
    x.Form.RunAddNoise();
    EXPECT_NE(x.Page->Sim[1][50], before);
}

TEST(DialogEntries, TypedNumbersRefuseWhatIsNotAFiniteNumberInRange) {
    struct Case {
        const char* text;
        bool decimalOk;
        double decimal;
        bool integerOk;
        int integer;
        bool scanOk;
        int scanned;
    };
    const Case cases[] = {
        {"21", true, 21, true, 21, true, 21},
        {" -3 ", true, -3, true, -3, true, -3},
        {"21.9", true, 21.9, false, 0, true, 21},
        {"2.5e1", true, 25, false, 0, true, 2},
        {"inf", false, 0, false, 0, false, 0},
        {"nan", false, 0, false, 0, false, 0},
        {"1e999", false, 0, false, 0, true, 1},
        {"99999999999", true, 99999999999.0, false, 0, false, 0},
        {"abc", false, 0, false, 0, false, 0},
        {"", false, 0, false, 0, false, 0},
        {"0x10", false, 0, false, 0, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        double d = -7;
        int i = -7, s = -7;
        EXPECT_EQ(ReadTypedDecimal(c.text, d), c.decimalOk);
        EXPECT_EQ(ReadTypedInteger(c.text, i), c.integerOk);
        EXPECT_EQ(ScanTypedInteger(c.text, s), c.scanOk);
        EXPECT_EQ(d, c.decimalOk ? c.decimal : -7);
        EXPECT_EQ(i, c.integerOk ? c.integer : -7);
        EXPECT_EQ(s, c.scanOk ? c.scanned : -7);
    }
}

TEST(DialogEntries, NewSetShowsEveryFailingCheckAndFocusesTheLast) {
    struct Case {
        const char *curves, *total, *interval;
        int messages;
        NewSetBox focus;
    };
    const Case cases[] = {
        {"0", "-5", "-1", 3, NewSetBox::TotalTime},
        {"abc", "100", "10", 1, NewSetBox::Curves},
        {"3", "100", "-1", 1, NewSetBox::Interval},
        {"3", "10", "10", 0, NewSetBox::None},
        {"3", "5", "0", 0, NewSetBox::None},
        {"3", "9", "10", 1, NewSetBox::TotalTime},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.curves) + " " + c.total + " " + c.interval);
        test::ScriptedMessages msgs;
        NewSetBox focus = NewSetBox::Curves;
        EXPECT_EQ(CheckNewSetEntries(c.curves, c.total, c.interval, focus), c.messages == 0);
        EXPECT_EQ(static_cast<int>(msgs.Count()), c.messages);
        EXPECT_EQ(focus, c.focus);
        for (const auto& m : msgs.All()) EXPECT_EQ(m.Caption, "New Data Set");
    }
    test::ScriptedMessages msgs;
    NewSetBox focus;
    CheckNewSetEntries("0", "-5", "-1", focus);
    ASSERT_EQ(msgs.Count(), 3u);
    EXPECT_EQ(msgs.All()[0].Text, "Number of curves should be greater than 0");
    EXPECT_EQ(msgs.All()[2].Text, "Total time should be greater than interval");
}

TEST(DialogEntries, SmoothingWindowMustExceedOneAndTheOrder) {
    struct Case {
        const char* text;
        int before;
        bool o0, o2, o4;
        bool ok;
        int window, order;
        const char* message;
    };
    const Case cases[] = {
        {"1", 0, false, false, false, false, 1, 0, "Enter window size > 1"},
        {"abc", 0, false, false, false, false, 0, 0, "Enter window size > 1"},
        {"abc", 9, true, false, false, true, 9, 0, ""},
        {"6", 0, false, false, false, false, 6, 6, "Window size must be greater than the Order"},
        {"7", 0, false, false, false, true, 7, 6, ""},
        {"21.9", 0, false, true, true, true, 21, 2, ""},
        {"4", 0, false, false, true, false, 4, 4, "Window size must be greater than the Order"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        test::ScriptedMessages msgs;
        int window = c.before, order = 0;
        EXPECT_EQ(CheckSmoothEntries(c.text, c.o0, c.o2, c.o4, window, order), c.ok);
        EXPECT_EQ(window, c.window);
        EXPECT_EQ(order, c.order);
        if (c.ok) {
            EXPECT_EQ(msgs.Count(), 0u);
        } else {
            ASSERT_EQ(msgs.Count(), 1u);
            EXPECT_EQ(msgs.Last().Text, c.message);
            EXPECT_EQ(msgs.Last().Caption, "Smooth Error");
        }
    }
}

} // namespace
} // namespace kivra
