#include <cmath>
#include <gtest/gtest.h>

#include "engine/model/model_sync.h"
#include "tests/support/scripted_messages.h"

using namespace kivra;

namespace {

ReactionLine Line(int a, int b, int p, const std::string& kf = "1", const std::string& kr = "0") {
    ReactionLine l;
    l.ReactA = a;
    l.ReactB = b;
    l.Product = p;
    l.KfwdText = kf;
    l.KrevText = kr;
    return l;
}

} // namespace

TEST(ModelSync, ReactionCountsFollowTheLastCompleteLine) {
    test::ScriptedMessages msgs;
    TModelData m;
    // A product without a reactant does not count; an incomplete line in the middle does not stop the count.
    ASSERT_TRUE(ApplyReactionLines(m, {Line(-1, -1, 2)}));
    EXPECT_EQ(m.NumReactions, 0);
    ASSERT_TRUE(ApplyReactionLines(m, {Line(0, 1, 2), Line(0, -1, -1), Line(-1, 2, 3)}));
    EXPECT_EQ(m.NumReactions, 3);
    EXPECT_EQ(m.NumReactionLines, 3);
    EXPECT_EQ(msgs.Count(), 0u);
}

TEST(ModelSync, RateLinksNegativeRatesAndBadTexts) {
    test::ScriptedMessages msgs;
    TModelData m;
    ReactionLine first = Line(0, 1, 2, "=r2", "5e-3");
    first.FitKfwd = true;
    first.FitKrev = true;
    ReactionLine second = Line(2, -1, 3, "=F1", "-4");
    ReactionLine third = Line(0, -1, 3, "=f9", "=rx");
    ASSERT_TRUE(ApplyReactionLines(m, {first, second, third}));
    EXPECT_EQ(m.KfwdLink[0], -2);
    EXPECT_EQ(m.Kfwd[0], 0);
    EXPECT_FALSE(m.FitKfwd[0]);
    EXPECT_EQ(m.Krev[0], 5e-3);
    EXPECT_TRUE(m.FitKrev[0]);
    EXPECT_EQ(m.KfwdLink[1], 1);  // "F" is not "r": a forward link
    EXPECT_EQ(m.Krev[1], 0);
    EXPECT_EQ(m.KfwdLink[2], 0);
    EXPECT_EQ(m.KrevLink[2], 0);
    ASSERT_EQ(msgs.Count(), 3u);
    EXPECT_EQ(msgs.All()[0].Text, "Negative rates are not allowed (reaction 2)");
    EXPECT_EQ(msgs.All()[0].Caption, "Model Error");
    EXPECT_EQ(msgs.All()[1].Text, "Invalid forward link in reaction 3");
    EXPECT_EQ(msgs.All()[2].Text, "Invalid reverse link in reaction 3");
    EXPECT_EQ(msgs.All()[2].Icon, MsgIcon::None);
    EXPECT_EQ(m.NumFitParams, 1);

    // A text that is not a number ends the synchronisation with a message naming it.
    msgs.Clear();
    EXPECT_FALSE(ApplyReactionLines(m, {Line(0, 1, 2, "1e5"), Line(0, 1, 2, "1", "abc")}));
    ASSERT_EQ(msgs.Count(), 1u);
    EXPECT_EQ(msgs.Last().Text, "'abc' is not a valid krev in reaction 2");
    EXPECT_EQ(msgs.Last().Caption, "Model Error");
    msgs.Clear();
    EXPECT_FALSE(ApplyReactionLines(m, {Line(0, 1, 2, "=f")}));  // no number: no link either
    EXPECT_FALSE(ApplyReactionLines(m, {Line(0, 1, 2, "inf")}));
    EXPECT_FALSE(ApplyReactionLines(m, {Line(0, 1, 2, "1e400")}));
    EXPECT_TRUE(ApplyReactionLines(m, {Line(0, 1, 2, " 2.5 ")}));
    EXPECT_EQ(m.Kfwd[0], 2.5);
}

TEST(ModelSync, FitFlagsOfLinesOutOfUseNeverSurvive) {
    test::ScriptedMessages msgs;
    TModelData m;
    std::vector<ReactionLine> four(4, Line(0, 1, 2));
    for (auto& l : four) l.FitKfwd = l.FitKrev = true;
    ASSERT_TRUE(ApplyReactionLines(m, four));
    EXPECT_EQ(m.NumFitParams, 8);
    BeginModelSync(m, 0);
    ASSERT_TRUE(ApplyReactionLines(m, {Line(0, 1, 2)}));
    EXPECT_EQ(m.NumFitParams, 0);
    for (int r = 1; r < MaxReactions; ++r) EXPECT_FALSE(m.FitKfwd[r] || m.FitKrev[r]) << r;

    std::vector<SpeciesLine> species(3);
    for (auto& s : species) {
        s.Name = "X";
        s.FitConc = s.FitRFactor = true;
        s.InitConcText = "1";
    }
    ApplyModelSpeciesLines(m, species);
    EXPECT_EQ(m.NumFitParams, 6);
    BeginModelSync(m, 0);
    species.resize(1);
    ApplyModelSpeciesLines(m, species);
    EXPECT_EQ(m.NumFitParams, 2);
    EXPECT_FALSE(m.FitConc[0][2]);
    EXPECT_FALSE(m.FitRFactor[2]);
}

TEST(ModelSync, SpeciesLinesFillRowZeroOrTheSetsRow) {
    test::ScriptedMessages msgs;
    TModelData m;
    std::vector<SpeciesLine> lines(4);
    lines[0].Name = "A";
    lines[0].Inj = 2;
    lines[0].FitConc = true;  // a fed species is never fitted
    lines[1].Name = "B";
    lines[1].InitConcText = "100 RU";
    lines[1].FitConc = true;
    lines[1].Response = true;
    lines[1].RFactorText = "1.5x";
    lines[2].Name = "";
    lines[3].Name = "L";
    lines[3].Local = true;
    lines[3].RFactorText = "";
    BeginModelSync(m, 2);
    ApplyModelSpeciesLines(m, lines);
    EXPECT_EQ(m.NumSpecies, 4);
    EXPECT_EQ(m.NumSpeciesLines, 4);
    EXPECT_EQ(m.AnalyteInj[0][0], 2);
    EXPECT_FALSE(m.FitConc[0][0]);
    EXPECT_EQ(m.AnalyteInj[0][1], -1);
    EXPECT_EQ(m.InitConc[0][1], 100);  // leading number of the text
    EXPECT_EQ(m.InitConcText[1], "100 RU");
    EXPECT_EQ(m.RFactor[1], 1.5);
    EXPECT_EQ(m.RFactor[3], 0);
    EXPECT_EQ(m.NumFitParams, 1);

    // The data page's panel writes only its local species, into its own row.
    std::vector<SpeciesLine> setLines(4);
    setLines[1].InitConcText = "999";
    setLines[3].InitConcText = "7.5e-9";
    setLines[3].FitConc = true;
    setLines[3].Response = true;
    ApplySetSpeciesLines(m, 1, setLines);
    EXPECT_EQ(m.InitConc[1][3], 7.5e-9);
    EXPECT_TRUE(m.Response[1][3]);
    EXPECT_EQ(m.InitConc[1][1], 0);  // not local: untouched
    EXPECT_EQ(m.NumFitParams, 2);

    // All names empty: no species.
    ApplyModelSpeciesLines(m, std::vector<SpeciesLine>(10));
    EXPECT_EQ(m.NumSpecies, 0);
}

TEST(ModelSync, NumbersAreReadWithoutTheLocale) {
    EXPECT_EQ(LeadingNumber(""), 0);
    EXPECT_EQ(LeadingNumber("abc"), 0);
    EXPECT_EQ(LeadingNumber("  -2.5e3xyz"), -2500);
    EXPECT_EQ(LeadingNumber("3e"), 3);
    EXPECT_EQ(LeadingNumber(".5"), 0.5);
    EXPECT_EQ(LeadingNumber("+4"), 4);
    EXPECT_EQ(LeadingNumber("1,5"), 1);  // a comma ends the number
    EXPECT_EQ(LeadingNumber("1e-400"), 0);
    EXPECT_TRUE(std::isinf(LeadingNumber("1e400")));
    double v = 0;
    EXPECT_FALSE(StrictNumber("", v));
    EXPECT_FALSE(StrictNumber("1.5.2", v));
    EXPECT_FALSE(StrictNumber("nan", v));
    EXPECT_TRUE(StrictNumber("1E-3", v));
    EXPECT_EQ(v, 1e-3);

    // Beyond the range of a double, the value decides, not the exponent's sign.
    const std::string zeros(400, '0');
    const struct {
        std::string text;
        bool valid;
        double value;
    } ranges[] = {
        {"1" + zeros + "e-5", false, 0},       // about 1e395
        {"-1" + zeros + "E-5", false, 0},
        {"0." + zeros + "1e5", true, 0},       // about 1e-396
        {"-0." + zeros + "1e+5", true, -0.0},
        {"1e400", false, 0},
        {"1e-400", true, 0},
        {"0e999999999999999999999", true, 0},
        {"1" + zeros + "e-395", true, 1e5},    // in range after all
        {"0." + zeros + "1e405", true, 1e4},
    };
    for (const auto& c : ranges) {
        v = 7;
        EXPECT_EQ(StrictNumber(c.text, v), c.valid) << c.text.size() << " characters: " << c.text.substr(0, 8);
        if (c.valid) {
            EXPECT_DOUBLE_EQ(v, c.value) << c.text.substr(0, 8);
        }
    }
    EXPECT_TRUE(std::isinf(LeadingNumber("1" + zeros + "e-5 M")));
    EXPECT_EQ(LeadingNumber("0." + zeros + "1e5 M"), 0);
}

TEST(ModelSync, ExactValuesStandBehindProgramWrittenTexts) {
    test::ScriptedMessages msgs;
    TModelData m;
    ReactionLine own = Line(0, 1, 2, "1.235e-07", "=f1");
    own.KfwdValue = 1.2345678e-7;
    own.KrevValue = 5.0;  // a link keeps no value
    ReactionLine edited = Line(0, 1, 2, "-2", "3");
    edited.KfwdValue = 7.0;  // a negative text is still refused
    ASSERT_TRUE(ApplyReactionLines(m, {own, edited}));
    EXPECT_EQ(m.Kfwd[0], 1.2345678e-7);
    EXPECT_EQ(m.Krev[0], 0);
    EXPECT_EQ(m.KrevLink[0], 1);
    EXPECT_EQ(m.Kfwd[1], 0);
    EXPECT_EQ(msgs.Count(), 1u);

    std::vector<SpeciesLine> lines(2);
    lines[0].InitConcText = "1.235e-07";
    lines[0].InitConcValue = 1.2345678e-7;
    lines[0].RFactorText = "0.9877";
    lines[0].RFactorValue = 0.98765;
    lines[1].Local = true;
    lines[1].InitConcText = "2";
    lines[1].InitConcValue = 2.0000001;
    ApplyModelSpeciesLines(m, lines);
    EXPECT_EQ(m.InitConc[0][0], 1.2345678e-7);
    EXPECT_EQ(m.InitConcText[0], "1.235e-07");
    EXPECT_EQ(m.RFactor[0], 0.98765);
    ApplySetSpeciesLines(m, 4, lines);
    EXPECT_EQ(m.InitConc[4][1], 2.0000001);
}
