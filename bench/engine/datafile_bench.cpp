// Loading and saving a data file of 10 curves x 100 000 points.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "engine/files/file_choices.h"
#include "engine/dataset/senstab_core.h"

using namespace kivra;

namespace {

constexpr int Curves = 10;
constexpr int Points = 100000;

// A binding curve with six significant digits in nearly every cell.
void MakePage(TSensTabCore& page) {
    page.NewSens(Curves, Points);
    page.NumCurves = Curves;
    page.NumPoints = Points;
    for (int i = 0; i < Curves; ++i) {
        page.PointCount[i] = Points;
        page.InjStart[0][i] = 100;
        page.InjStop[0][i] = 400;
        page.InjConc[0][i] = 1e-8 * std::pow(2.0, i);
        for (int k = 0; k < Points; ++k) {
            const double t = 0.1 * k;
            page.Time[i][k] = t;
            page.Data[i][k] = 100.0 * (1 - std::exp(-t / (37.3 + i))) + 0.01 * std::sin(1.7 * k);
            page.Sim[i][k] = 100.0 * (1 - std::exp(-t / (37.3 + i)));
        }
    }
}

std::string BenchFile(int mask) {
    return (std::filesystem::temp_directory_path() / ("kivra-bench-data-" + std::to_string(mask) + ".txt")).string();
}

class PresetChoices final : public FileChoices {
public:
    int ChooseLoadPart(int, int preset) override { return preset; }
    bool ChooseSaveParts(SaveParts&) override { return false; }
};

void BM_SaveDataFile(benchmark::State& state) {
    const int mask = static_cast<int>(state.range(0));
    TSensTabCore page;
    MakePage(page);
    const std::string name = BenchFile(mask);
    for (auto _ : state) {
        if (!page.WriteData(name, mask)) state.SkipWithError("write failed");
    }
    const auto bytes = static_cast<int64_t>(std::filesystem::file_size(name));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes);
    state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_SaveDataFile)->Arg(1)->Arg(7)->Unit(benchmark::kMillisecond);

void BM_LoadDataFile(benchmark::State& state) {
    const int mask = static_cast<int>(state.range(0));
    PresetChoices choices;
    SetFileChoices(&choices);
    const std::string name = BenchFile(mask);
    {
        TSensTabCore page;
        MakePage(page);
        page.WriteData(name, mask);
    }
    TSensTabCore page;
    for (auto _ : state) {
        if (!page.LoadSens(name) || page.PointCount[Curves - 1] != Points) state.SkipWithError("load failed");
    }
    const auto bytes = static_cast<int64_t>(std::filesystem::file_size(name));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes);
    state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
    SetFileChoices(nullptr);
}
BENCHMARK(BM_LoadDataFile)->Arg(1)->Arg(7)->Unit(benchmark::kMillisecond);

} // namespace
