#include "engine/fit/fit_stats.h"

#include <charconv>
#include <cmath>

#include "engine/numeric/numformat.h"

namespace kivra {

double ResidualStdDev(double chisq, int numDataPoints, int n) {
    if (!(chisq >= 0) || numDataPoints <= n) return 0;
    return std::sqrt(chisq / (numDataPoints - n));
}

bool ParamStdError(double** covar, int k, double residualSD, double& error) {
    const double v = covar[k][k];
    if (!(v >= 0)) return false;
    error = std::sqrt(v) * residualSD;
    return true;
}

bool ParamCorrelation(double** covar, int k, int j, double& r) {
    const double product = covar[k][k] * covar[j][j];
    if (!(product > 0)) return false;
    r = covar[k][j] / std::sqrt(product);
    return std::isfinite(r);
}

std::string StdErrorText(double** covar, int k, double residualSD) {
    double e = 0;
    return ParamStdError(covar, k, residualSD, e) ? FormatValue("", e) : "?????";
}

std::string CorrelationText(double** covar, int k, int j) {
    double r = 0;
    if (!ParamCorrelation(covar, k, j, r)) return "????";
    char buf[64];
    auto end = std::to_chars(buf, buf + sizeof buf, r, std::chars_format::fixed, 3).ptr;
    std::string s(buf, end);
    if (s == "-0.000") s = "0.000";
    return s;
}

} // namespace kivra
