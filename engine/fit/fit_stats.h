#pragma once
// Standard errors and correlations of fitted parameters from the covariance of
// the last Levenberg-Marquardt step, scaled by the residual standard
// deviation. The results page, the printed report and the Monte Carlo run all
// use these, so a parameter's error reads the same everywhere.
#include <string>

namespace kivra {

// sqrt(chisq / (points - n)); 0 for a negative chi-square or when there are no
// more points than parameters.
double ResidualStdDev(double chisq, int numDataPoints, int n);

// Standard error of parameter k (covariance 1-based): sqrt(covar[k][k]) x sd.
// False when the variance is negative or not a number (no covariance).
bool ParamStdError(double** covar, int k, double residualSD, double& error);

// Correlation of parameters k and j. False when the product of their
// variances is 0, negative or not a number.
bool ParamCorrelation(double** covar, int k, int j, double& r);

// Texts of the results grid: the error ("?????" without a variance) and the
// correlation with three decimals ("????" when there is none).
std::string StdErrorText(double** covar, int k, double residualSD);
std::string CorrelationText(double** covar, int k, int j);

} // namespace kivra
