#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "engine/fit/fit_engine.h"
#include "engine/model/model_sync.h"
#include "engine/numeric/numformat.h"
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
    int Messages = 0, ResultsShown = 0, PanelsSet = 0;
    std::function<void()> OnMessages;  // runs whenever pending messages are let through
    std::vector<TNewSetAnswer> NewSets;
    std::vector<std::string> Noises;

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
    void ShowFitResults(TModelData&, int, double**, double*, double) override { ++ResultsShown; }
    void PanelsSetFitResults(const TModelData&) override { ++PanelsSet; }
    void ShowModelPage() override { Shown.push_back("model"); }
    void ShowPlotPage() override { Shown.push_back("plot"); }
    void ShowDataPage(int i) override { Shown.push_back("data " + std::to_string(i)); }
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
        Setup.Points = points;
        Setup.Interval = interval;
        Page = Form.AddPage();
        test::MakeOneToOnePage(*Page, Setup);
        test::StaggerAndNoise(*Page, 0.25, 0.5);
        test::OneToOneLines(Setup, 3 * Setup.Ka, Setup.Kd / 3, 1, Setup.Rmax, Form.Reactions, Form.Species);
    }
    std::vector<double> Starts() const { return {&Page->InjStart[0][0], &Page->InjStart[0][0] + Page->NumCurves}; }

    test::OneToOneSetup Setup;
    RunForm Form;
    TSensTabCore* Page = nullptr;
};

// A stop before the first step puts back every value as it was, each
// curve's injection time included (mapping the pages for the fit made the
// times of a slot fitted "for all curves" equal), and simulates anew. The
// window's test does the same for a stopped fit that is not kept.
TEST(RunFit, AStopBeforeTheFirstStepRestoresEveryValueExactly) {
    test::ScriptedMessages msgs;
    OneToOneForm x;
    x.Page->StartFitMode[0] = 1;
    x.Form.RunSimulation();
    const std::vector<double> starts = x.Starts();
    const double chisq = x.Form.Model.TotalChisq;
    const std::string ssq = x.Form.Ssq;
    const std::vector<double> sim(x.Page->Sim[5], x.Page->Sim[5] + x.Setup.Points);
    const double kfwd = x.Form.Model.Kfwd[0];
    x.Form.OnMessages = [&x] {
        if (x.Form.Messages == 1) x.Form.RunFit();
    };
    x.Form.RunFit();
    EXPECT_EQ(msgs.Count(), 0u);
    EXPECT_EQ(x.Starts(), starts);
    EXPECT_EQ(x.Form.Model.Kfwd[0], kfwd);
    EXPECT_EQ(x.Page->Kfwd[0], kfwd);
    EXPECT_EQ(x.Page->Chisq, chisq);
    EXPECT_EQ(x.Form.Ssq, ssq);
    EXPECT_EQ(std::vector<double>(x.Page->Sim[5], x.Page->Sim[5] + x.Setup.Points), sim);
    EXPECT_EQ(x.Form.ResultsShown + x.Form.PanelsSet, 0);
    EXPECT_EQ(x.Form.Status, "Done");
    EXPECT_FALSE(x.Form.Busy());
    EXPECT_EQ(x.Page->FitParams, 0);
}

// A model that cannot be read still leaves the record pointing at the pages
// as they are: after a page got new arrays, or the page before it went, a
// click on the model list reads no freed memory (which the sanitizer build
// would report).
TEST(ModelSync, AFailedReadStillPublishesThePagesArrays) {
    const struct {
        const char* name;
        bool deleteFirst;  // else the first page gets a new set of 3 curves
    } cases[] = {{"new data", false}, {"page deleted", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::ScriptedMessages msgs;
        OneToOneForm x;
        TSensTabCore& second = *x.Form.AddPage();
        ASSERT_TRUE(test::MakeSet(second, 2, 20, 1.0));
        ASSERT_TRUE(x.Form.GetModel(true));
        x.Form.Reactions[0].KfwdText = "1e5x";
        if (c.deleteFirst) x.Form.DeletePage(0);
        else ASSERT_TRUE(test::MakeSet(*x.Page, 3, 20, 1.0));
        EXPECT_FALSE(x.Form.GetModel(true));
        ASSERT_EQ(msgs.Count(), 1u);
        x.Form.ToggleModelLine(0);
        TSensTabCore& first = x.Form.Page(0);
        EXPECT_EQ(x.Form.Model.NumCurves[0], c.deleteFirst ? 2 : 3);
        EXPECT_EQ(x.Form.Model.Excluded[0], first.Excluded.data());
        EXPECT_EQ(x.Form.Model.InjStart[0][0], first.InjStart[0].data());
    }
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
        {"no reaction", [](OneToOneForm& x) { x.Form.Reactions.clear(); }, "Need at least one reaction", {}},
        {"no species", [](OneToOneForm& x) { x.Form.Species.clear(); }, "Need at least one reactant", {}},
        // Two curves of two points: two differences for three parameters.
        {"too few points", [](OneToOneForm&) {}, "Not enough data points for the number of parameters", {}},
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
        std::vector<std::string> shown;
    };
    const std::vector<Case> cases = {
        {{"2", "100", "abc"}, {"Conversion error"}, 0, {"data 0"}},
        {{"2", "1e999", "10"}, {"Conversion error"}, 0, {"data 0"}},
        // CreateSet refuses and says so; the run goes on and fails on the empty page.
        {{"2", "100", "0"}, {"Bad choice of values", "Please load data set or select New to create a new one"}, 0,
         {"data 0", "data 0"}},
        {{"2", "600", "7.5"}, {}, 2, {"data 0", "plot"}},
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
        EXPECT_EQ(x.Form.Shown, c.shown);
        EXPECT_EQ(x.Form.Page(0).GetModelled(), c.curves > 0);
        // Past the dialog's conversion the run ends as every run does.
        const bool ran = c.shown.size() > 1;
        EXPECT_EQ(x.Form.Ssq, ran ? FormatValue("Ssq: ", 0) : "");
        EXPECT_EQ(x.Form.Status, ran ? "Done" : "");
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
