#include <cmath>
#include <gtest/gtest.h>

#include "engine/dataset/senstab_core.h"
#include "engine/numeric/lu.h"
#include "engine/numeric/vectors.h"

using namespace kivra;

TEST(LuSolve, SolvesAPivotingSystemAndReportsAZeroRow) {
    TSensTabCore page;
    // A system that needs row exchanges (zero leading element), solution (1, -2, 3).
    const double A[3][3] = {{0, 2, 1}, {4, 1, -1}, {2, -3, 5}};
    const double x[3] = {1, -2, 3};
    Matrix1 a(1, 3, 1, 3);
    Vector1 b(1, 3);
    for (int i = 0; i < 3; ++i) {
        b[i + 1] = 0;
        for (int j = 0; j < 3; ++j) {
            a[i + 1][j + 1] = A[i][j];
            b[i + 1] += A[i][j] * x[j];
        }
    }
    IntVector1 indx(1, 3);
    double d = 0;
    ASSERT_EQ(page.ludcmp(a.get(), 3, indx.get(), &d), nullptr);
    EXPECT_TRUE(d == 1 || d == -1);
    LUBackSubstitute(a.get(), 3, indx.get(), b.get());
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(b[i + 1], x[i], 1e-14);
    EXPECT_FALSE(page.Work);  // scales of its own, for the call only

    a[2][1] = a[2][2] = a[2][3] = 0;
    const char* err = page.ludcmp(a.get(), 3, indx.get(), &d);
    ASSERT_NE(err, nullptr);
    EXPECT_STREQ(err, "Error in Simulation (01) \n Please check initial conditions");
    EXPECT_FALSE(page.Work);
}
