// Counts heap allocations during a simulation through the sanitizer's
// allocation hooks, so the check costs the sanitizers nothing. Without a
// sanitizer runtime the test is skipped.
#include <atomic>
#include <cstddef>
#include <gtest/gtest.h>

#include "engine/dataset/senstab_core.h"
#include "engine/numeric/parallel.h"
#include "tests/support/scripted_messages.h"
#include "tests/support/sim_models.h"

extern "C" int __sanitizer_install_malloc_and_free_hooks(
    void (*malloc_hook)(const volatile void*, std::size_t),
    void (*free_hook)(const volatile void*)) __attribute__((weak));

using namespace kivra;

namespace {

std::atomic<bool> counting{false};
std::atomic<long> allocations{0};

void OnMalloc(const volatile void*, std::size_t) {
    if (counting) ++allocations;
}
void OnFree(const volatile void*) {}

bool HooksInstalled() {
    static const bool installed = __sanitizer_install_malloc_and_free_hooks &&
                                  __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree) != 0;
    return installed;
}

long AllocationsOfARun(int curves, int points) {
    TSensTabCore page;
    EXPECT_TRUE(test::MakeSet(page, curves, points, 1.0));
    for (int i = 0; i < curves; ++i)
        test::Inject(page, 0, i, points / 10, points / 2 + 0.5, 1e-8 * (i + 1));
    TModelData m = test::EmptyModel();
    m.NumSpecies = 4;
    m.AnalyteInj[0][0] = 0;
    m.InitConc[0][1] = 100;
    test::Respond(m, 2, 1);
    test::Respond(m, 3, 1);
    test::AddReaction(m, 0, 1, 2, 1e5, 1e-3);
    test::AddReaction(m, 2, -1, 3, 1e-2, 1e-3);
    page.SetModel(m);
    allocations = 0;
    counting = true;
    const double chisq = page.RunModel();
    counting = false;
    EXPECT_GE(chisq, 0.0);
    return allocations;
}

} // namespace

TEST(SimulationAllocations, GrowWithNeitherCurvesNorPointsNorSteps) {
    if (!HooksInstalled()) GTEST_SKIP() << "no sanitizer allocation hooks in this build";
    test::ScriptedMessages msgs;
    // In one thread: the thread runtime keeps pools of its own.
    SetWorkerThreads(1);
    const long small = AllocationsOfARun(1, 10);
    const long large = AllocationsOfARun(10, 1000);
    SetWorkerThreads(0);
    EXPECT_GT(small, 0);  // the run's table of curve outcomes
    EXPECT_EQ(large, small);
}
