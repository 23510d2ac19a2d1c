#include <cmath>
#include <gtest/gtest.h>

#include "engine/dataset/senstab_core.h"
#include "tests/support/scripted_messages.h"
#include "tests/support/sim_models.h"

using namespace kivra;

namespace {

class AnalytePage : public test::SchemePage {
public:
    AnalytePage(int species, int curves) : SchemePage(species) {
        EXPECT_TRUE(test::MakeSet(*this, curves, 2, 1.0));
    }
};

const char* const Caption = "Analyte heterogeneity error";

} // namespace

TEST(AnalyteSplit, MonomerAndDimerShareTheTotalByTheirEquilibrium) {
    test::ScriptedMessages msgs;
    AnalytePage p(3, 2);
    p.AnalyteInj[0] = 1;  // A
    p.AnalyteInj[1] = 1;  // C = A2
    p.Add(0, 0, 1, 2e6, 1.0);
    p.Add(0, 2, -1, 1, 1);  // no product: not part of the scheme
    p.InjConc[1][0] = 1e-6;
    p.InjConc[1][1] = 0.5;  // half of the stock
    p.ConcIsFraction[1][1] = true;
    p.StockConc[1] = 4e-6;
    ASSERT_TRUE(p.FindPolySeed());
    EXPECT_EQ(p.SeedSpecies[1], 0);
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(p.CalcSpecConc(i));
        const double total = i == 0 ? 1e-6 : 2e-6;
        const double a = p.SpecConc[1][0][i], c = p.SpecConc[1][1][i];
        EXPECT_NEAR(a + 2 * c, total, 1e-7 * total);
        EXPECT_NEAR(c, 2e6 * a * a, 1e-12 * total);
        EXPECT_EQ(p.SpecConc[1][2][i], 0);  // not an analyte of the slot
        // A slot with a single species needs no solve: it takes the whole total.
        EXPECT_EQ(p.SpecConc[0][2][i], 0);
    }
    EXPECT_EQ(msgs.Count(), 0u);
}

TEST(AnalyteSplit, ChainsSeedOnTheLightestSpeciesAndZeroTotalsGiveZero) {
    test::ScriptedMessages msgs;
    AnalytePage p(3, 1);
    for (int s = 0; s < 3; ++s) p.AnalyteInj[s] = 0;
    p.Add(-1, 2, 1, 3.0, 1.0);  // B = C form: species 2 turns into 1
    p.Add(0, 0, 2, 5e5, 1.0);   // 0 + 0 = 2
    ASSERT_TRUE(p.FindPolySeed());
    EXPECT_EQ(p.SeedSpecies[0], 0);
    p.InjConc[0][0] = 3e-6;
    ASSERT_TRUE(p.CalcSpecConc(0));
    const double a = p.SpecConc[0][0][0], d = p.SpecConc[0][2][0], e = p.SpecConc[0][1][0];
    EXPECT_NEAR(a + 2 * d + 2 * e, 3e-6, 1e-6 * 3e-6);
    EXPECT_NEAR(e, 3 * d, 1e-15);
    p.InjConc[0][0] = 0;
    ASSERT_TRUE(p.CalcSpecConc(0));
    for (int s = 0; s < 3; ++s) EXPECT_EQ(p.SpecConc[0][s][0], 0);
    EXPECT_EQ(msgs.Count(), 0u);
}

TEST(AnalyteSplit, SchemeFaultsAreReportedPerSlot) {
    test::ScriptedMessages msgs;
    {
        AnalytePage p(3, 1);
        p.AnalyteInj[1] = p.AnalyteInj[2] = 2;
        p.Add(0, 1, 2, 1, 1);  // species 0 is not an analyte: no scheme connects 1 and 2
        EXPECT_FALSE(p.FindPolySeed());
        EXPECT_EQ(msgs.Last().Text, "Please connect all species in injection 3");
        EXPECT_EQ(msgs.Last().Caption, Caption);
    }
    {
        AnalytePage p(2, 1);
        p.AnalyteInj[0] = p.AnalyteInj[1] = 0;
        p.Add(0, -1, 1, 1, 1);
        p.Add(0, 0, 1, 1, 1);  // says the product is a dimer as well: inconsistent
        EXPECT_FALSE(p.FindPolySeed());
        EXPECT_EQ(msgs.Last().Text, "Reaction scheme error for injection 1");
    }
    {
        AnalytePage p(2, 1);
        p.AnalyteInj[0] = p.AnalyteInj[1] = 0;
        p.Add(0, -1, 1, 1, 0);
        p.InjConc[0][0] = 1;
        ASSERT_TRUE(p.FindPolySeed());
        EXPECT_FALSE(p.CalcSpecConc(0));
        EXPECT_EQ(msgs.Last().Text, "Zero rate in reaction 1");
        EXPECT_EQ(msgs.Last().Caption, Caption);
    }
    {
        // Seeded on A at 0, C follows as 0 and B cannot be had from A + B = C.
        AnalytePage p(3, 1);
        for (int s = 0; s < 3; ++s) p.AnalyteInj[s] = 0;
        p.Add(0, -1, 2, 1, 1);  // A = C
        p.Add(0, 1, 2, 1, 1);   // A + B = C
        p.SeedSpecies[0] = 0;
        bool err = false;
        EXPECT_EQ(p.EvaluatePoly(0, 0, 0.0, err), 0.0);
        EXPECT_TRUE(err);
        EXPECT_EQ(msgs.Last().Text, "Zero reactant conc in reaction 2");
    }
}
