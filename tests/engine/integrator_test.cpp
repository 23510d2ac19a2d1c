#include <cmath>
#include <gtest/gtest.h>

#include "engine/dataset/senstab_core.h"
#include "engine/simulation/integrator.h"
#include "engine/numeric/vectors.h"
#include "tests/support/scripted_messages.h"
#include "tests/support/sim_models.h"

using namespace kivra;

namespace {

// A page holding only a model, with its work arrays made.
class ModelPage : public test::SchemePage {
public:
    explicit ModelPage(int species) : SchemePage(species) { EXPECT_TRUE(Allocate(species)); }
};

} // namespace

TEST(RateEquations, DimerisationCountsTwoMonomersAndItsJacobianMatches) {
    ModelPage p(3);
    p.Add(0, 0, 1, 2.0, 0.5);  // A + A = C
    p.Add(-1, 2, 1, 0, 0);     // product line without a reactant contributes nothing
    p.Add(0, -1, -1, 9, 9);    // a line without a product contributes nothing
    const double y[4] = {0, 3.0, 4.0, 7.0};
    double dydt[4];
    p.derivs(y, dydt);
    const double v = 2.0 * 3 * 3 - 0.5 * 4;
    EXPECT_DOUBLE_EQ(dydt[1], -2 * v);
    EXPECT_DOUBLE_EQ(dydt[2], v);
    EXPECT_DOUBLE_EQ(dydt[3], 0);  // species in no reaction

    Matrix1 J(1, 3, 1, 3);
    Vector1 dfdx(1, 3);
    p.jacobn(0, y, dfdx.get(), J.get(), 3);
    EXPECT_DOUBLE_EQ(J[1][1], -4 * 2.0 * 3);
    EXPECT_DOUBLE_EQ(J[1][2], 2 * 0.5);
    EXPECT_DOUBLE_EQ(J[2][1], 2 * 2.0 * 3);
    EXPECT_DOUBLE_EQ(J[2][2], -0.5);
    for (int j = 1; j <= 3; ++j) EXPECT_EQ(J[3][j], 0);
    for (int i = 1; i <= 3; ++i) EXPECT_EQ(dfdx[i], 0);
}

TEST(RateEquations, JacobianAgreesWithDifferencesOfTheRates) {
    ModelPage p(4);
    p.Add(0, 1, 2, 3e5, 2e-3);
    p.Add(2, -1, 3, 0.04, 0.01);
    p.Add(-1, 3, 1, 0.2, 0.3);  // B = C form
    p.MassTransport[0] = true;
    p.FlowFactor = 1.7;
    double y[5] = {0, 2e-7, 80, 15, 4};
    Matrix1 J(1, 4, 1, 4);
    Vector1 dfdx(1, 4);
    p.jacobn(0, y, dfdx.get(), J.get(), 4);
    for (int j = 1; j <= 4; ++j) {
        const double h = 1e-6 * std::max(std::fabs(y[j]), 1e-6);
        double up[5], down[5];
        y[j] += h;
        p.derivs(y, up);
        y[j] -= 2 * h;
        p.derivs(y, down);
        y[j] += h;
        for (int i = 1; i <= 4; ++i)
            EXPECT_NEAR(J[i][j], (up[i] - down[i]) / (2 * h), 1e-6 * (1 + std::fabs(J[i][j])))
                << i << "," << j;
    }
}

TEST(RateEquations, LinksResolveOneLevelAndFlowScalesOnlyTransportReactions) {
    ModelPage p(4);
    p.Add(0, -1, 1, 2.0, 3.0);
    p.Add(1, -1, 2, 0, 0);
    p.Add(2, -1, 3, 0, 0);
    p.KfwdLink[1] = -1;  // kfwd of reaction 2 = krev of reaction 1
    p.KrevLink[1] = 1;   // krev of reaction 2 = kfwd of reaction 1
    p.Kfwd[1] = 11;      // a stored value behind a link is never read by the link itself
    p.KfwdLink[2] = 2;   // kfwd of reaction 3 = the stored kfwd of reaction 2, not its link
    p.MassTransport[2] = true;
    p.FlowFactor = 0.5;
    double kf, kr;
    p.ResolveRates(1, kf, kr);
    EXPECT_EQ(kf, 3.0);
    EXPECT_EQ(kr, 2.0);
    const double y[5] = {0, 0, 1, 1, 0};
    double dydt[5];
    p.derivs(y, dydt);
    // Reaction 2: v = 3*1 - 2*1 = 1; reaction 3: v = 0.5 * 11 * 1.
    EXPECT_DOUBLE_EQ(dydt[3], 1.0 - 5.5);
    EXPECT_DOUBLE_EQ(dydt[4], 5.5);
}

TEST(Integrator, FedSpeciesStayExactlyConstantAndEdgeCallsBehave) {
    ModelPage p(3);
    p.Add(0, 1, 2, 1e6, 1e-2);
    p.AnalyteInj[0] = 2;
    double y[4] = {0, 3.3e-7, 50, 0};
    ASSERT_EQ(p.odeint(y, 3, 0, 200, 1e-8, 1, 0), nullptr);
    EXPECT_EQ(y[1], 3.3e-7);
    EXPECT_GT(y[3], 1);
    // The Jacobian row of a held species is zero.
    Matrix1 J(1, 3, 1, 3);
    Vector1 dfdx(1, 3);
    p.jacobn(0, y, dfdx.get(), J.get(), 3);
    for (int j = 1; j <= 3; ++j) EXPECT_EQ(J[1][j], 0);

    const double before = y[3];
    EXPECT_STREQ(p.odeint(y, 3, 5, 5, 1e-8, 1, 0), "Error in Simulation \nZero time step");
    EXPECT_EQ(p.odeint(y, 3, 5, 6, 1e-8, 1e-11, 0), nullptr);  // too small a first step: nothing done
    EXPECT_EQ(y[3], before);
    EXPECT_STREQ(p.odeint(y, 4, 0, 1, 1e-8, 1, 0), "Memory Allocation Error");  // more than was made
}

TEST(Integrator, StiffDecayOfTenSpeciesKeepsTheTolerance) {
    // A chain of ten first-order steps with rates from 1e-3 to 1e5 per second.
    ModelPage p(10);
    for (int s = 0; s < 9; ++s) p.Add(s, -1, s + 1, std::pow(10.0, s - 3), 0);
    double y[11] = {};
    y[1] = 100;
    const long long steps = StepCounts.Steps;
    double t = 0;
    for (int k = 1; k <= 20; ++k) {
        ASSERT_EQ(p.odeint(y, 10, t, k * 10.0, 1e-8, 10, 0), nullptr);
        t = k * 10.0;
    }
    EXPECT_NEAR(y[1], 100 * std::exp(-1e-3 * 200), 1e-6 * 100);
    double total = 0;
    for (int i = 1; i <= 10; ++i) total += y[i];
    EXPECT_NEAR(total, 100, 1e-6);
    // Stiff components do not force explicit-size steps.
    EXPECT_LT(StepCounts.Steps - steps, 2000);
}

TEST(Integrator, NumbersThatAreNotNumbersFailInsteadOfSucceeding) {
    ModelPage p(2);
    p.Add(0, -1, 1, NAN, 0);
    double y[3] = {0, 1, 0};
    const char* err = p.odeint(y, 2, 0, 10, 1e-8, 1, 0);
    ASSERT_NE(err, nullptr);
    EXPECT_EQ(y[1], 1);  // left as it was
}

TEST(Integrator, WorkArraysFollowTheirOwnSizeAndFailWithTheRunMessage) {
    test::ScriptedMessages msgs;
    test::SchemePage p(2);
    EXPECT_FALSE(p.Allocate(0));
    EXPECT_EQ(msgs.Last().Text, "Memory Allocation Error");
    EXPECT_EQ(msgs.Last().Caption, "Run Simulation Error");
    EXPECT_FALSE(p.Work);
    ASSERT_TRUE(p.Allocate(2));
    ASSERT_TRUE(p.Work);
    EXPECT_EQ(p.Work->Size, 2);
    p.Deallocate();
    EXPECT_FALSE(p.Work);
    double y[3] = {0, 1, 0};
    EXPECT_STREQ(p.odeint(y, 2, 0, 1, 1e-8, 1, 0), "Memory Allocation Error");
}
