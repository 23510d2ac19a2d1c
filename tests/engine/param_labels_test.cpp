#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "engine/fit/fit_params.h"
#include "engine/fit/fit_stats.h"
#include "engine/fit/param_labels.h"
#include "engine/numeric/vectors.h"
#include "tests/support/sim_models.h"

using namespace kivra;

namespace {

// Per-set arrays the record points into, three curves a set.
struct SetArrays {
    double Start[MaxInj][3] = {};
    double Stop[MaxInj][3] = {};
    double RefIndex[MaxInj][3] = {};
    bool FitRI[MaxInj][3] = {};
    bool Excluded[3] = {};

    void Attach(TModelData& m, int set) {
        m.NumCurves[set] = 3;
        m.Excluded[set] = Excluded;
        for (int j = 0; j < MaxInj; ++j) {
            m.InjStart[set][j] = Start[j];
            m.InjStop[set][j] = Stop[j];
            m.RefIndex[set][j] = RefIndex[j];
            m.FitRefIndex[set][j] = FitRI[j];
        }
    }
    void Use(int j, double start, double stop) {
        for (int i = 0; i < 3; ++i) Start[j][i] = start, Stop[j][i] = stop;
    }
};

std::vector<std::string> Joined(const ParamLabelList& l) {
    std::vector<std::string> out;
    for (int k = 0; k < l.Count(); ++k) out.push_back(l.Type[k] + "|" + l.Scope[k]);
    return out;
}

} // namespace

// Every kind of parameter in the parameter vector's order, with the set and
// slot prefixes only where they tell parameters apart.
TEST(ParamLabels, FollowTheParameterVectorWithItsPrefixes) {
    TModelData m = test::EmptyModel();
    m.NumSpecies = 3;
    m.SpecName[0] = "A";
    m.SpecName[1] = "B";
    m.SpecName[2] = "AB";
    m.FitConc[0][1] = true;       // global B
    m.InitConc[0][1] = 7;
    m.FitRFactor[2] = true;
    m.RFactor[2] = 3;
    test::AddReaction(m, 0, 1, 2, 1e5, 1e-3);
    test::AddReaction(m, -1, 1, 2, 1, 2);
    m.FitKfwd[0] = m.FitKrev[0] = true;
    m.MassTransport[1] = true;
    m.FitKrev[1] = true;
    m.SpecLocal[0] = true;        // local A, fitted on set 2 only
    m.FitConc[1][0] = true;
    m.InitConc[1][0] = 5;
    m.NumSets = 2;
    SetArrays s1, s2;
    s1.Attach(m, 0);
    s2.Attach(m, 1);
    s1.Use(0, 10, 20);            // set 1 uses one slot: no "inj" prefix
    s1.FitRI[0][0] = s1.FitRI[0][2] = true;
    s1.Excluded[1] = true;
    s1.FitRI[0][1] = true;        // excluded: no parameter
    m.StartFitMode[0][0] = 1;
    m.FitStockLocal[0][0] = true;
    s2.Use(0, 10, 20);            // set 2 uses two slots
    s2.Use(2, 30, 40);
    s2.FitRI[2][2] = true;
    m.StopFitMode[1][2] = 2;
    m.FitStockLocal[1][2] = true;
    m.StockGlobal[1] = m.FitStockGlobal[1] = true;
    m.FitStockLocal[1][1] = true; // shared slot: the set's own flag does not count
    m.StockConc[0][1] = 9;

    const ParamLabelList l = GetParamLabels(m);
    const std::vector<std::string> expected = {
        "Conc|B", "Rfac|AB", "kfwd|A + B = AB", "krev|A + B = AB", "krev(xf)|B = AB",
        "Ref Ind|set1 curve1", "Ref Ind|set1 curve3", "Start|set1 all", "Stock|set1 inj1",
        "Conc|A (2)", "Ref Ind|set2 inj3 curve3", "Stop|set2 inj3 curve1", "Stop|set2 inj3 curve2",
        "Stop|set2 inj3 curve3", "Stock|set2 inj3", "Stock|inj2"};
    EXPECT_EQ(Joined(l), expected);
    ASSERT_EQ(l.Count(), CountFitParams(m));
    EXPECT_EQ(l.Values[0], 7);
    EXPECT_EQ(l.Values[9], 5);
    EXPECT_EQ(l.Values[7], 10);
    EXPECT_EQ(l.Values[15], 9);
}

// The labels walk what the parameter vector walks, so a fit flag beyond the
// counted lines or an unnamed species cannot shift or overrun them.
TEST(ParamLabels, NamelessAndUncountedParametersStillGetALabel) {
    TModelData m = test::EmptyModel();
    m.NumSpecies = 1;
    m.FitRFactor[4] = true;       // beyond NumSpecies, no name
    m.ReactA[6] = 9;
    m.ReactB[6] = -1;
    m.Product[6] = -1;
    m.FitKfwd[6] = true;          // beyond NumReactions
    const ParamLabelList l = GetParamLabels(m);
    EXPECT_EQ(Joined(l), (std::vector<std::string>{"Rfac|?", "kfwd|? = ?"}));
    EXPECT_EQ(l.Values.size(), 2u);
}

TEST(FitStats, ErrorsAndCorrelationsAsTheGridShowsThem) {
    Matrix1 c(1, 3, 1, 3);
    double** cov = c.get();
    for (int k = 1; k <= 3; ++k)
        for (int j = 1; j <= 3; ++j) cov[k][j] = 0;
    cov[1][1] = 4;
    cov[2][2] = 1;
    cov[3][3] = -1;
    cov[2][1] = cov[1][2] = 0.953 * 2;
    cov[3][1] = 1;
    EXPECT_EQ(StdErrorText(cov, 1, 0.5), "1.00");
    EXPECT_EQ(StdErrorText(cov, 3, 0.5), "?????");
    EXPECT_EQ(CorrelationText(cov, 1, 2), "0.953");
    EXPECT_EQ(CorrelationText(cov, 1, 3), "????");  // negative product
    cov[3][3] = 0;
    EXPECT_EQ(CorrelationText(cov, 1, 3), "????");  // zero product: no division by 0
    EXPECT_EQ(StdErrorText(cov, 3, 0.5), "0.00");
    cov[1][2] = -1e-9;
    EXPECT_EQ(CorrelationText(cov, 1, 2), "0.000");

    struct Case { double chisq; int points, n; double sd; };
    for (const Case& k : {Case{8, 10, 2, 1}, Case{0, 10, 2, 0}, Case{-1, 10, 2, 0}, Case{8, 2, 2, 0}})
        EXPECT_DOUBLE_EQ(ResidualStdDev(k.chisq, k.points, k.n), k.sd) << k.chisq << " " << k.points;
}
