// The bench data page holds the exact closed-form response of its scheme, so
// reading it with the data-file reader and simulating it through the model
// record must reproduce it to the file's six digits.
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

#include "engine/model/model_sync.h"
#include "engine/dataset/senstab_core.h"
#include "tests/support/scripted_messages.h"

using namespace kivra;

TEST(BenchDataSimulation, ReadingAndSimulatingReproducesTheClosedForm) {
    const char* shared = std::getenv("KIVRA_SHARED");
    if (!shared) GTEST_SKIP() << "KIVRA_SHARED not set";
    const std::string file = std::string(shared) + "/bench-data/sim10x1000.txt";
    if (!std::filesystem::exists(file)) GTEST_SKIP() << file << " is not there";

    test::ScriptedMessages msgs;
    TSensTabCore page;
    ASSERT_TRUE(page.LoadSens(file));
    ASSERT_EQ(page.NumCurves, 10);
    ASSERT_EQ(page.NumPoints, 1000);

    // A + B = C as typed: A fed by injection 1, B the surface at 100 RU, C seen.
    TModelData model;
    BeginModelSync(model, 1);
    ReactionLine r;
    r.ReactA = 0;
    r.ReactB = 1;
    r.Product = 2;
    r.KfwdText = "1e5";
    r.KrevText = "1e-3";
    ASSERT_TRUE(ApplyReactionLines(model, {r}));
    std::vector<SpeciesLine> species(3);
    species[0].Name = "A";
    species[0].Inj = 0;
    species[1].Name = "B";
    species[1].InitConcText = "100";
    species[2].Name = "C";
    species[2].Response = true;
    species[2].RFactorText = "1";
    ApplyModelSpeciesLines(model, species);
    page.SetModel(model);

    const double ssq = page.RunModel();
    // Six significant digits of values up to 100 RU: at most 5e-4 per point.
    EXPECT_GE(ssq, 0.0);
    EXPECT_LT(ssq, 10000 * 5e-4 * 5e-4);
    EXPECT_TRUE(page.GetModelled());
    EXPECT_EQ(model.NumDataPoints, 10 * 999);
    EXPECT_EQ(msgs.Count(), 0u);
    // The curve at the highest concentration comes close to its plateau.
    EXPECT_NEAR(page.Sim[9][400], page.Data[9][400], 5e-4);
    EXPECT_GT(page.Sim[9][400], 90.0);
}
