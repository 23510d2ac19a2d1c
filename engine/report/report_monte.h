#pragma once
// The Monte Carlo section of the printed report as texts: the run's settings
// and the table of each parameter's set value, mean and standard deviation.
#include <span>
#include <string>
#include <vector>

namespace kivra {

// What the report reads of one parameter's histogram.
struct TMonteSummary {
    std::string Title;
    double SetValue = 0, Mean = 0, StdDev = 0;
};

// The run's numbers as the Monte Carlo page keeps them.
struct TMonteNumbers {
    int Cycles = 0, Succeeded = 0, MaxIter = 0;
    double Variation = 0;  // relative: 0.1 is 10 %
    double Noise = 0;      // RU; 0 none
};

// "Num cycles: ", "Succeeded: ", "Starting Var(%): ", "Max Iterations: " and
// "Noise: " lines. The variation reads as the results file writes it.
std::vector<std::string> MonteReportLines(const TMonteNumbers& numbers);

// The text of one cell of the table: row 0 the headings, row r the
// parameter of histogram r - 1.
std::string PrintMonteTable(std::span<const TMonteSummary> rows, int row, int column);

} // namespace kivra
