// Makes examples/binding-transport.txt and .mdl with the program's own engine:
// a 1:1 binding series behind a mass-transport step, with a bulk step on every
// curve, simulated, given noise by Add Noise and written as a data file; then
// the model file of the same scheme over that file, with start values a little
// off and the bulk steps floated. Usage: kivra_make_examples <examples folder>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "engine/numeric/randoms.h"
#include "engine/session/mainform_core.h"
#include "platform/core/messages.h"
#include "tests/support/sim_models.h"

using namespace kivra;

namespace {

// The program would have asked or warned: the example is not made.
class FailOnMessage : public MessageSink {
public:
    MsgResult Show(const std::string& text, const std::string& caption, MsgButtons, MsgIcon) override {
        std::cerr << caption << ": " << text << '\n';
        ++Count;
        return MsgResult::Cancel;
    }
    int Count = 0;
};

// Concentrations in M, the surface in RU: in M the analyte at the surface
// holds next to nothing and follows the transport at once. In nM its amount
// would count against the surface's and lag behind.
constexpr int Curves = 6;
constexpr double Conc[Curves] = {0.3125e-9, 0.625e-9, 1.25e-9, 2.5e-9, 5e-9, 1e-8};  // M
constexpr double TotalTime = 600, Interval = 2;                    // s
constexpr double InjStart = 60, InjStop = 300;                     // s
constexpr double Flow = 30;                                         // ul/min
constexpr double Noise = 0.3;                                       // RU

struct Values {
    double Km;    // RU/(M s) at a flow of 1 ul/min
    double Ka;    // 1/(M s)
    double Kd;    // 1/s
    double B;     // RU
    double Bulk[Curves];  // RU
};
constexpr Values Made = {3e8, 2e6, 2e-3, 500, {0.8, 1.1, 0.9, 1.3, 1.0, 1.2}};
constexpr Values Start = {2e8, 3e6, 3e-3, 400, {0, 0, 0, 0, 0, 0}};

std::string Text(double v) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.6g", v);
    return buffer;
}

// The session with the model page's lines in place of the panels.
class Maker : public TMainFormCore {
public:
    explicit Maker(const Values& v) {
        test::TransportSchemeLines(Text(v.Km), Text(v.Ka), Text(v.Kd), Text(v.B), Reactions, Species);
    }
    std::vector<ReactionLine> Reactions;
    std::vector<SpeciesLine> Species;

protected:
    bool ReadPanels(TModelData& model) override {
        if (!ApplyReactionLines(model, Reactions)) return false;
        ApplyModelSpeciesLines(model, Species);
        return true;
    }
    PageKind ActiveTab() const override { return PageKind::Data; }
    int ActiveDataPage() const override { return 0; }
    bool AskNoise(std::string& noiseText) override {
        noiseText = Text(Noise);
        return true;
    }
};

bool MakeData(const std::string& file) {
    Maker made(Made);
    TSensTabCore& page = *made.AddPage();
    page.CreateSet(Curves, TotalTime, Interval);
    for (int i = 0; i < Curves; ++i) {
        page.InjStart[0][i] = InjStart;
        page.InjStop[0][i] = InjStop;
        page.InjConc[0][i] = Conc[i];
        page.RefIndex[0][i] = Made.Bulk[i];
        page.Flow[i] = Flow;
    }
    made.RunSimulation();
    if (!page.GetModelled()) return false;
    ResetRandom(-27);
    made.RunAddNoise();
    for (int i = 0; i < Curves; ++i) {
        for (int k = 0; k < page.PointCount[i]; ++k) page.Data[i][k] = page.Sim[i][k];
        // A measured file does not know its bulk steps.
        page.RefIndex[0][i] = 0;
    }
    return page.WriteData(file, 1);
}

bool MakeModel(const std::string& data, const std::string& file) {
    Maker start(Start);
    TSensTabCore& page = *start.AddPage();
    if (!page.LoadSens(data)) return false;
    for (int i = 0; i < Curves; ++i) {
        page.RefIndex[0][i] = Start.Bulk[i];
        page.FitRefIndex[0][i] = true;
    }
    start.RunSimulation();
    return page.GetModelled() && start.SaveModelFile(file);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: kivra_make_examples <examples folder>\n";
        return 2;
    }
    FailOnMessage messages;
    SetMessageSink(&messages);
    const std::string folder = std::string(argv[1]) + "/";
    const bool ok = MakeData(folder + "binding-transport.txt") &&
                    MakeModel(folder + "binding-transport.txt", folder + "binding-transport.mdl");
    SetMessageSink(nullptr);
    return ok && messages.Count == 0 ? 0 : 1;
}
