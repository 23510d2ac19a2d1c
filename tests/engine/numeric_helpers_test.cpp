#include <cmath>
#include <gtest/gtest.h>

#include "engine/numeric/numformat.h"
#include "engine/numeric/randoms.h"
#include "engine/numeric/vectors.h"

using namespace kivra;

TEST(Vectors, MatrixRowsAreContiguousAndInOrder) {
    double** m = AllocMatrix(1, 7, 1, 7);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m[2] - m[1], 7);
    EXPECT_EQ(m[7] - m[1], 42);
    for (int r = 1; r <= 7; ++r)
        for (int c = 1; c <= 7; ++c) m[r][c] = r * 10 + c;
    EXPECT_EQ(&m[1][7] + 1, &m[2][1]);  // the element after row 1's last is row 2's first
    EXPECT_EQ(m[7][7], 77);
    FreeMatrix(m, 1, 1);

    // Other lower bounds address the same way.
    double** z = AllocMatrix(0, 2, 0, 3);
    ASSERT_NE(z, nullptr);
    EXPECT_EQ(z[1] - z[0], 4);
    z[2][3] = 1;
    FreeMatrix(z, 0, 0);

    double* v = AllocVector(0, 9);
    ASSERT_NE(v, nullptr);
    v[0] = 1;
    v[9] = 2;
    FreeVector(v, 0);
    int* iv = AllocIntVector(1, 1);
    ASSERT_NE(iv, nullptr);
    iv[1] = 3;
    FreeIntVector(iv, 1);

    Matrix1 owned(1, 3, 1, 3);
    ASSERT_TRUE(owned);
    owned[3][3] = 9;
    Matrix1 moved = std::move(owned);
    EXPECT_FALSE(owned);
    EXPECT_EQ(moved[3][3], 9);
}

TEST(FormatValue, PrecisionFollowsMagnitudeAndTrimsOneZero) {
    EXPECT_EQ(FormatValue("Ssq: ", 0.0), "Ssq: 0.00");
    EXPECT_EQ(FormatValue("", 1.5), "1.50");
    EXPECT_EQ(FormatValue("", -1.5), "-1.50");
    EXPECT_EQ(FormatValue("", 0.05), "0.050");
    EXPECT_EQ(FormatValue("", 1.234), "1.234");
    EXPECT_EQ(FormatValue("", -1.234), "-1.234");
    EXPECT_EQ(FormatValue("", 0.00123), "1.23e-03");
    EXPECT_EQ(FormatValue("", 123456), "1.235e+05");
    EXPECT_EQ(FormatValue("", 9.9996), "10.00");     // carries into the next decade
    EXPECT_EQ(FormatValue("", 0.5), "0.500");        // "%.4f" trimmed once only
    EXPECT_EQ(FormatValue("", 0.25), "0.250");
    EXPECT_EQ(FormatValue("", 0.0123), "0.0123");
    EXPECT_EQ(FormatValue("", 42.0), "42.00");
    EXPECT_EQ(FormatValue("", 420.0), "420.0");
    EXPECT_EQ(FormatValue("", 4200.0), "4200");
    EXPECT_EQ(FormatValue("", 1e5), "1.00e+05");
    EXPECT_EQ(FormatValue("k = ", -2e-7), "k = -2.00e-07");
    EXPECT_EQ(FormatValue("", NAN), "nan");
    EXPECT_EQ(FormatValue("", INFINITY), "inf");
    EXPECT_EQ(FormatValue("", -INFINITY), "-inf");

    char small[6];
    FormatValue(small, sizeof small, "Ssq: ", 123.0);
    EXPECT_STREQ(small, "Ssq: ");  // truncated, never overrun
}

TEST(Randoms, UniformStaysInsideTheOpenIntervalAndReseedsReproducibly) {
    ResetRandom(-17);
    double first[5];
    for (double& x : first) x = UniformRandom(&RandomSeed());
    double lo = 1, hi = 0, sum = 0;
    const int n = 200000;
    for (int i = 0; i < n; ++i) {
        const double x = UniformRandom(&RandomSeed());
        lo = std::min(lo, x);
        hi = std::max(hi, x);
        sum += x;
    }
    EXPECT_GT(lo, 0.0);
    EXPECT_LT(hi, 1.0);
    EXPECT_NEAR(sum / n, 0.5, 4 * std::sqrt(1.0 / 12 / n));

    // A non-positive seed refills the table: the same sequence comes again.
    ResetRandom(-17);
    for (double x : first) EXPECT_EQ(UniformRandom(&RandomSeed()), x);

}

TEST(Randoms, GaussianPairsComeFromTwoUniformsAndHaveUnitSpread) {
    // Recompute the first pair by hand from the uniform stream.
    ResetRandom(-99);
    const double g1 = GaussRandom(&RandomSeed());
    const double g2 = GaussRandom(&RandomSeed());
    ResetRandom(-99);
    double x1, x2, r;
    do {
        x1 = 2 * UniformRandom(&RandomSeed()) - 1;
        x2 = 2 * UniformRandom(&RandomSeed()) - 1;
        r = x1 * x1 + x2 * x2;
    } while (r >= 1 || r == 0);
    const double fac = std::sqrt(-2 * std::log(r) / r);
    EXPECT_DOUBLE_EQ(g1, x2 * fac);
    EXPECT_DOUBLE_EQ(g2, x1 * fac);

    ResetRandom(-5);
    const int n = 200000;
    double sum = 0, sum2 = 0;
    for (int i = 0; i < n; ++i) {
        const double g = GaussRandom(&RandomSeed());
        sum += g;
        sum2 += g * g;
    }
    const double mean = sum / n;
    const double sd = std::sqrt(sum2 / n - mean * mean);
    EXPECT_NEAR(mean, 0.0, 5 / std::sqrt(double(n)));
    EXPECT_NEAR(sd, 1.0, 5 / std::sqrt(2.0 * n));
}
