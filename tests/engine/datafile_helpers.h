#pragma once
// Shared by the data file tests: files in a scratch folder, a page that counts its
// hooks, a snapshot of everything a load may change, and the consistency check.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "engine/dataset/senstab_core.h"

namespace kivra::test {

class ScratchDir {
public:
    explicit ScratchDir(const std::string& name) {
        dir_ = std::filesystem::temp_directory_path() /
               ("kivra-" + name + "-" + std::to_string(std::random_device{}()));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    ~ScratchDir() { std::filesystem::remove_all(dir_); }
    std::string Path(const std::string& file) const { return (dir_ / file).string(); }
    std::string Write(const std::string& file, const std::string& text) const {
        std::ofstream(Path(file), std::ios::binary) << text;
        return Path(file);
    }
    std::string Read(const std::string& file) const {
        std::ifstream in(Path(file), std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir_)) names.push_back(e.path().filename().string());
        return names;
    }

private:
    std::filesystem::path dir_;
};

class CountingPage : public TSensTabCore {
public:
    void DataArraysChanged() override { ++arraysChanged; }
    void LabelsChanged() override { ++labelsChanged; }
    int arraysChanged = 0;
    int labelsChanged = 0;
};

// Everything of a page that a load or a failed load could touch.
struct PageSnapshot {
    int NumCurves = 0, NumPoints = 0, AllocCurves = 0;
    bool Loaded = false, Modelled = false;
    std::string Caption, FileName, CurvesLabel, PointsLabel;
    std::vector<int> PointCount;
    std::vector<double> Values;  // all arrays of the set, in a fixed order
    std::vector<bool> Flags;

    explicit PageSnapshot(const TSensTabCore& p)
        : NumCurves(p.NumCurves), NumPoints(p.NumPoints), AllocCurves(p.AllocCurves), Loaded(p.Loaded),
          Modelled(p.Modelled), Caption(p.Caption()), FileName(p.FileNameTextValue()),
          CurvesLabel(p.NumCurvesText()), PointsLabel(p.NumPointsText()) {
        for (int i = 0; i < p.AllocCurves; ++i) {
            PointCount.push_back(p.PointCount[i]);
            Flags.push_back(p.Excluded[i]);
            Values.push_back(p.Flow[i]);
            for (std::size_t k = 0; k < p.Data.numCols(); ++k) {
                Values.push_back(p.Data[i][k]);
                Values.push_back(p.Sim[i][k]);
                Values.push_back(p.Time[i][k]);
                Values.push_back(p.PointFlags[i][k]);
            }
            for (int j = 0; j < MaxInj; ++j) {
                for (const auto* a : {&p.InjConc, &p.InjStart, &p.InjStop, &p.RefIndex, &p.FracNum, &p.FracDen})
                    Values.push_back((*a)[j][i]);
                Flags.push_back(p.ConcIsFraction[j][i]);
                Flags.push_back(p.FitRefIndex[j][i]);
            }
        }
        for (int j = 0; j < MaxInj; ++j) Values.push_back(p.StockConc[j]);
    }
    bool operator==(const PageSnapshot&) const = default;
};

// Counts and arrays agree, and every value read is a finite number.
inline ::testing::AssertionResult Consistent(const TSensTabCore& p) {
    auto fail = [](const std::string& what) { return ::testing::AssertionFailure() << what; };
    if (p.NumCurves < 1 || p.NumCurves != p.AllocCurves) return fail("curve counts");
    const auto n = static_cast<std::size_t>(p.NumCurves);
    const auto m = static_cast<std::size_t>(p.NumPoints);
    if (p.NumPoints < 2) return fail("point count");
    for (const auto* t : {&p.Data, &p.Sim, &p.Time, &p.DataBackup})
        if (t->numRows() != n || t->numCols() != m) return fail("row table size");
    if (p.PointFlags.numRows() != n || p.PointFlags.numCols() != m) return fail("flags size");
    if (p.PointCount.size() != n || p.Flow.size() != n || p.Excluded.size() != n) return fail("curve arrays");
    for (int j = 0; j < MaxInj; ++j)
        for (const auto* a : {&p.InjConc, &p.InjStart, &p.InjStop, &p.RefIndex})
            if ((*a)[j].size() != n) return fail("slot arrays");
    bool any = false;
    for (int i = 0; i < p.NumCurves; ++i) {
        if (p.PointCount[i] < 0 || p.PointCount[i] > p.NumPoints) return fail("point count of a curve");
        any = any || p.PointCount[i] > 0;
        if (!(p.Flow[i] > 0) || !std::isfinite(p.Flow[i])) return fail("flow");
        for (int k = 0; k < p.PointCount[i]; ++k)
            if (!std::isfinite(p.Time[i][k]) || !std::isfinite(p.Data[i][k])) return fail("value");
        for (int j = 0; j < MaxInj; ++j)
            for (const auto* a : {&p.InjConc, &p.InjStart, &p.InjStop, &p.RefIndex})
                if (!std::isfinite((*a)[j][i])) return fail("slot value");
    }
    if (!any) return fail("no point at all");
    return ::testing::AssertionSuccess();
}

} // namespace kivra::test
