#pragma once
// Shared by the model file tests: a main window half that counts its hooks and
// makes pages whose caption a test can set, and a model of every kind of field.
#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "engine/session/mainform_core.h"

namespace kivra::test {

// A file of tests/engine/data. rich35.mdl is what MakeRichForm saves; to refresh
// it on purpose, save MakeRichForm to that path and check the difference against
// the file's layout line by line. The older versions are written by hand.
inline std::string TestDataFile(const std::string& name) {
    std::ifstream in(std::filesystem::path(__FILE__).parent_path() / "data" / name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class CaptionPage : public TSensTabCore {
public:
    void SetCaption(const std::string& c) {
        CaptionText = c;
        FileNameString = c;
    }
};

class CountingForm : public TMainFormCore {
public:
    int panelsWritten = 0, resultsShown = 0;
    // Answers to the file dialogs, in order ("" cancels), and the dialogs asked.
    std::deque<std::string> names;
    std::vector<FileDialog> asked;

protected:
    bool AskFileName(FileDialog which, std::string& fileName) override {
        asked.push_back(which);
        if (names.empty()) return false;
        fileName = names.front();
        names.pop_front();
        return !fileName.empty();
    }
    std::unique_ptr<TSensTabCore> MakePage() override { return std::make_unique<CaptionPage>(); }
    void WritePanels(const TModelData&) override { ++panelsWritten; }
    void ResultsChanged() override { ++resultsShown; }
};

// Species fed by slot 3, local, with blanks, a TAB and a non-ASCII letter in
// names and texts; reactions A + B = C and A = C with a link and mass transport;
// a shared, fitted stock; a loaded page whose first curve has no points, an empty
// page, and a page whose curves are all excluded; the results page shown.
inline void MakeRichForm(CountingForm& form) {
    TModelData& m = form.Model;
    m.NumSpeciesLines = 5;
    m.NumReactionLines = 3;
    m.NumSpecies = 4;
    m.NumReactions = 2;
    const char* names[] = {"A", "B lig", "AB\tx", "\xC3\x84"};
    const char* concs[] = {"0", "", "1e-9 M", "5"};
    for (int s = 0; s < 4; ++s) {
        m.SpecName[s] = names[s];
        m.InitConcText[s] = concs[s];
        m.RFactorText[s] = "1.00";
        m.RFactor[s] = 1;
        for (int k = 0; k < MaxSets; ++k) m.AnalyteInj[k][s] = -1;
    }
    m.AnalyteInj[0][0] = 2;
    m.SpecLocal[1] = true;
    m.InitConc[0][1] = 100;
    m.FitConc[0][1] = m.Response[0][1] = true;
    m.InitConc[1][1] = 250;
    m.Response[1][1] = true;
    m.RFactorText[1] = "2.5";
    m.RFactor[1] = 2.5;
    m.FitRFactor[1] = true;
    m.InitConc[0][2] = 1e-9;
    m.FitConc[0][2] = m.Response[0][2] = true;
    m.InitConc[0][3] = 5;

    m.ReactA[0] = 0, m.ReactB[0] = 1, m.Product[0] = 2;
    m.Kfwd[0] = 1234567, m.Krev[0] = 0.5, m.FitKfwd[0] = true;
    m.ReactA[1] = 0, m.ReactB[1] = -1, m.Product[1] = 2;
    m.KfwdLink[1] = -2, m.Krev[1] = 1e-3, m.FitKrev[1] = true, m.MassTransport[1] = true;
    m.StockGlobal[1] = m.FitStockGlobal[1] = true;
    for (int k = 0; k < MaxSets; ++k) m.StockConc[k][1] = 10;

    CaptionPage& p = static_cast<CaptionPage&>(*form.AddPage());
    p.NewSens(3, 3);
    p.NumCurves = 3;
    p.NumPoints = 3;
    p.Excluded[0] = true;
    const double times[] = {10000, 10000.05, 10000.1};
    const double data[] = {1234567, 0.000123456789, -2.5};
    for (int k = 0; k < 3; ++k) {
        p.Time[1][k] = times[k];
        p.Data[1][k] = data[k];
        p.Sim[1][k] = data[k] / 3;
        p.Time[2][k] = 0.05 * k;
        p.Data[2][k] = k;
    }
    p.PointFlags[1][1] = PointAfterGap;
    p.PointFlags[1][2] = PointHidden;
    p.PointCount[1] = 3;
    p.PointCount[2] = 2;
    p.Flow[0] = 2.5;
    p.Flow[2] = 7;
    for (int i = 0; i < 3; ++i) {
        p.InjStart[2][i] = 100;
        p.InjStop[2][i] = 400;
        p.InjConc[2][i] = 1e-9;
    }
    p.InjConc[2][2] = 0.5;
    p.ConcIsFraction[2][2] = true;
    p.RefIndex[2][1] = 0.25;
    p.FitRefIndex[2][1] = true;
    p.StartFitMode[2] = 1;
    p.StopFitMode[2] = 2;
    p.StockConc[2] = 3;
    p.FitStockLocal[2] = true;
    p.Loaded = p.Modelled = true;
    p.Chisq = 12.5;
    p.SetCaption("run1.txt");

    form.AddPage();  // no data

    CaptionPage& q = static_cast<CaptionPage&>(*form.AddPage());
    q.NewSens(2, 4);
    q.NumCurves = 2;
    q.NumPoints = 0;  // as the injection dialog leaves a page whose curves are all excluded
    for (int i = 0; i < 2; ++i) {
        q.Excluded[i] = true;
        q.PointCount[i] = 4 - i;
        for (int k = 0; k < 4; ++k) q.Time[i][k] = k;
    }

    TResultsView& r = form.Results;
    r.Shown = true;
    r.NumParamText = "Params: 3";
    r.NumPointsText = "Points: 7";
    r.ChisqText = "Chisq: 12.5";
    r.TimeText = "";
    r.Rows = 2;
    r.Cols = 3;
    r.Cells = {"Param", "Value", "Error", "kfwd1", "1.23e+06", "1e+03"};
    r.FileLabels[0] = "run1.txt";
    r.FileLabels[2] = "run3.txt";
}

} // namespace kivra::test
