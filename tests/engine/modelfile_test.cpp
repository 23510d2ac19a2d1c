// Model files: the current form byte for byte, the older forms, refusals, saving.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/engine/datafile_helpers.h"
#include "tests/engine/modelfile_helpers.h"
#include "tests/support/fit_fixture.h"
#include "tests/support/scripted_messages.h"

using namespace kivra;
using namespace kivra::test;

namespace {

namespace fs = std::filesystem;

std::string Saved(CountingForm& form, const ScratchDir& dir) {
    EXPECT_TRUE(form.SaveModelFile(dir.Path("saved.mdl")));
    return dir.Read("saved.mdl");
}

std::string WithCrLf(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// The group heads of the model list that are open: Fit, Reaction, Conc, RI.
std::string OpenHeads(const TModelList& l) {
    return {l.FitHead.Expanded ? 'F' : '-', l.ReactHead.Expanded ? 'R' : '-', l.ConcHead.Expanded ? 'C' : '-',
            l.RIHead.Expanded ? 'I' : '-'};
}

} // namespace

TEST(ModelFile, WritesTheCurrentFormAndReadsItBackByteForByte) {
    ScriptedMessages msgs;
    ScratchDir dir("model");
    CountingForm form;
    MakeRichForm(form);
    form.names.push_back(dir.Path("rich.mdl"));
    ASSERT_TRUE(form.SaveModel());
    const std::string golden = TestDataFile("rich35.mdl");
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(dir.Read("rich.mdl"), golden);
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"rich.mdl"});  // no temporary left

    CountingForm back;
    back.AddPage();
    back.names.push_back(dir.Path("rich.mdl"));
    msgs.Answer(MsgResult::Yes);
    ASSERT_TRUE(back.LoadModel());
    ASSERT_EQ(msgs.Count(), 1u);
    EXPECT_EQ(msgs.Last().Text, "Load associated data sets?\n   (Delete existing sets)");
    EXPECT_EQ(msgs.Last().Caption, "Load Model");
    EXPECT_EQ(msgs.Last().Buttons, MsgButtons::YesNo);
    EXPECT_EQ(form.asked, std::vector{CountingForm::FileDialog::ModelSave});
    EXPECT_EQ(back.asked, std::vector{CountingForm::FileDialog::ModelOpen});
    EXPECT_EQ(Saved(back, dir), golden);

    const TModelData& m = back.Model;
    EXPECT_EQ(m.SpecName[2], "AB x");  // a TAB would break the line structure
    EXPECT_EQ(m.SpecName[3], "\xC3\x84");
    EXPECT_EQ(m.AnalyteInj[0][0], 2);
    EXPECT_EQ(m.InitConc[1][1], 250);
    EXPECT_EQ(m.KfwdLink[1], -2);
    EXPECT_EQ(m.StockConc[4][1], 10);
    EXPECT_EQ(back.panelsWritten, 1);
    ASSERT_EQ(back.PageCount(), 3);
    EXPECT_EQ(back.Page(0).Caption(), "run1.txt");
    EXPECT_EQ(back.Page(1).Caption(), "Set 2");
    const TSensTabCore& p = back.Page(0);
    EXPECT_EQ(p.Time[1][1], 10000.05);  // times come back exactly
    EXPECT_EQ(p.StockConc[1], 10);
    EXPECT_EQ(back.Page(2).NumPoints, 0);
    EXPECT_TRUE(back.Results.Shown);
    EXPECT_EQ(back.Results.FileLabels[1], "run3.txt");
    EXPECT_EQ(back.Results.DataFileHeaderText, "Data Files:");
    EXPECT_GE(back.resultsShown, 1);
    EXPECT_EQ(OpenHeads(back.ModelListState), "-RC-");  // as for a new model

    // A damaged tail costs only the results page.
    const std::size_t tail = golden.rfind("2\n3\nParam");
    CountingForm cut;
    msgs.Answer(MsgResult::Yes);
    ASSERT_TRUE(cut.LoadModelFile(dir.Write("cut.mdl", golden.substr(0, tail + 2))));
    EXPECT_EQ(cut.PageCount(), 3);
    EXPECT_FALSE(cut.Results.Shown);
}

TEST(ModelFile, AnsweringNoReplacesOnlyTheModel) {
    ScriptedMessages msgs;
    ScratchDir dir("model-no");
    CountingForm form;
    MakeRichForm(form);
    ASSERT_TRUE(form.GetModel(false));  // the pages as a synchronisation leaves them
    std::vector<PageSnapshot> before;
    for (int i = 0; i < form.PageCount(); ++i) before.emplace_back(form.Page(i));
    form.ModelListState.RIHead.Expanded = true;
    msgs.Answer(MsgResult::No);
    ASSERT_TRUE(form.LoadModelFile(dir.Write("v34.mdl", TestDataFile("v34.mdl"))));
    EXPECT_EQ(OpenHeads(form.ModelListState), "-RC-");
    EXPECT_EQ(form.Model.NumSpecies, 2);
    EXPECT_EQ(form.Model.RFactorText[1], "0.5");
    EXPECT_TRUE(form.Model.StockGlobal[1]);  // still describes the pages that stay
    EXPECT_FALSE(form.Model.StockGlobal[0]);
    ASSERT_EQ(form.PageCount(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(PageSnapshot(form.Page(i)) == before[static_cast<std::size_t>(i)]) << i;
    EXPECT_TRUE(form.Results.Shown);
    EXPECT_EQ(form.panelsWritten, 1);
    EXPECT_TRUE(form.MonteModelReplaced);  // the last Monte Carlo run is not this model's
}

TEST(ModelFile, ReadsEveryOlderVersion) {
    ScriptedMessages msgs;
    msgs.AlwaysAnswer = MsgResult::Yes;
    ScratchDir dir("model-old");
    CountingForm form;
    MakeRichForm(form);
    auto load = [&](const std::string& name, const std::string& text) {
        msgs.Clear();
        form.resultsShown = 0;
        EXPECT_TRUE(form.LoadModelFile(dir.Write(name, text))) << name;
        EXPECT_EQ(msgs.Count(), 1u) << name;  // the question only
        EXPECT_EQ(form.PageCount(), 1) << name;
        EXPECT_EQ(form.resultsShown, 1) << name;
    };
    const TModelData& m = form.Model;
    auto page = [&form]() -> const TSensTabCore& { return form.Page(0); };

    load("v30.mdl", TestDataFile("v30.mdl"));
    EXPECT_EQ(m.NumSpecies, 3);
    EXPECT_EQ(m.NumReactions, 1);
    EXPECT_EQ(m.RFactorText[1], "1.00");
    EXPECT_EQ(m.RFactor[1], 1.0);
    EXPECT_EQ(m.Kfwd[0], 1e6);
    EXPECT_EQ(page().Caption(), "old30.txt");
    for (int j = 0; j < 3; ++j) EXPECT_EQ(page().InjStop[j][1], 400) << j;
    EXPECT_EQ(page().InjStop[3][1], 0);
    EXPECT_EQ(page().InjConc[0][1], 4e-9);
    EXPECT_TRUE(page().Excluded[1]);
    EXPECT_EQ(page().PointCount[0], 2);
    EXPECT_EQ(page().Data[1][1], 4);
    EXPECT_FALSE(form.Results.Shown);

    load("v32.mdl", WithCrLf(TestDataFile("v32.mdl")));
    EXPECT_EQ(m.NumReactions, 3);
    EXPECT_EQ(m.KrevLink[0], -2);
    EXPECT_EQ(m.Krev[0], 0);
    EXPECT_EQ(m.KfwdLink[1], 3);
    EXPECT_EQ(m.AnalyteInj[0][0], 2);
    EXPECT_EQ(m.AnalyteInj[0][1], -1);  // no feed on the third line: the fifth is not taken
    EXPECT_EQ(m.AnalyteInj[0][2], 4);
    EXPECT_EQ(m.RFactor[1], 2.0);
    EXPECT_EQ(page().Caption(), "run32.txt");
    EXPECT_EQ(page().RefIndex[0][0], 0.5);
    EXPECT_TRUE(page().FitRefIndex[0][0]);
    EXPECT_EQ(page().InjConc[2][0], 2e-9);
    EXPECT_EQ(page().Sim[0][1], 1.5);

    load("v33.mdl", TestDataFile("v33.mdl"));
    EXPECT_EQ(m.SpecName[2], "\xC3\x84");  // Windows-1252
    EXPECT_TRUE(m.SpecLocal[1]);
    EXPECT_EQ(m.InitConc[0][1], 50);
    EXPECT_EQ(page().Caption(), "run33.txt");
    EXPECT_EQ(page().StartFitMode[0], 1);
    EXPECT_EQ(m.StopFitMode[0][0], 2);
    EXPECT_EQ(page().InjStart[0][1], 11);
    EXPECT_TRUE(form.Results.Shown);
    EXPECT_EQ(form.Results.TimeText, "Time: 1 s");
    EXPECT_EQ(form.Results.Cells, (std::vector<std::string>{"kfwd1", "1e+06"}));
    EXPECT_EQ(form.Results.FileLabels[1], "other.txt");
    EXPECT_EQ(form.Results.FileLabels[2], "");

    load("v34.mdl", TestDataFile("v34.mdl"));
    for (int j = 0; j < MaxInj; ++j) {
        EXPECT_TRUE(m.StockGlobal[j]) << j;
        EXPECT_FALSE(m.FitStockGlobal[j]) << j;
    }
    EXPECT_TRUE(m.MassTransport[0]);
    EXPECT_EQ(page().Flow[1], 4);
    EXPECT_TRUE(page().ConcIsFraction[0][1]);
    EXPECT_EQ(page().StockConc[0], 20);  // the shared stock survives the synchronisation
    EXPECT_FALSE(form.Results.Shown);
}

// The data file's name loses the folder its writer put there and no more:
// the older versions come from Windows, where a backslash or a drive ends a
// folder; the current form holds the bare name, which may hold a backslash.
// What was read survives a save and a reopening.
TEST(ModelFile, ADataFileNameLosesOnlyItsWritersFolder) {
    ScriptedMessages msgs;
    msgs.AlwaysAnswer = MsgResult::Yes;
    ScratchDir dir("model-names");
    const struct {
        const char *File, *Written, *Read, *Caption;
    } cases[] = {
        {"rich35.mdl", "run1.txt", "run\\1.txt", "run\\1.txt"},
        {"rich35.mdl", "run1.txt", "/home/u/run\\1.txt", "run\\1.txt"},
        {"v32.mdl", "run32.txt", "C:\\data\\run\\1.txt", "1.txt"},
        {"v32.mdl", "run32.txt", "D:run32.txt", "run32.txt"},
        {"v32.mdl", "run32.txt", "data/run32.txt", "run32.txt"},
    };
    for (const auto& c : cases) {
        std::string text = TestDataFile(c.File);
        const std::string from = std::string("\n") + c.Written + "\n";
        text.replace(text.find(from), from.size(), std::string("\n") + c.Read + "\n");
        CountingForm form;
        ASSERT_TRUE(form.LoadModelFile(dir.Write("in.mdl", text))) << c.Read;
        EXPECT_EQ(form.Page(0).Caption(), c.Caption) << c.Read;
        ASSERT_TRUE(form.SaveModelFile(dir.Path("out.mdl")));
        CountingForm back;
        ASSERT_TRUE(back.LoadModelFile(dir.Path("out.mdl")));
        EXPECT_EQ(back.Page(0).Caption(), c.Caption) << c.Read;
    }
}

TEST(ModelFile, RefusesWhatItCannotReadAndChangesNothing) {
    ScriptedMessages msgs;
    msgs.AlwaysAnswer = MsgResult::Yes;
    ScratchDir dir("model-bad");
    const std::string golden = TestDataFile("rich35.mdl");
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string s = golden;
        return s.replace(s.find(from), from.size(), to);
    };
    const struct {
        std::string Text, Message, Caption;
    } cases[] = {
        {"Vers 2.10\n", "Not a model file or wrong version", "File Error"},
        {"", "Not a model file or wrong version", "File Error"},
        {"Vers 3.10\n", "Wrong version", "File Error"},
        {replaced("end\n3\n6\n", "end\n7\n6\n"), "Unreadable model file, line 43:\nThe data set count 7 is outside 0..6",
         "File Read Error"},
        {replaced("0 -2\n", "0 -11\n"), "Unreadable model file, line 38:\nThe link -11 is outside -10..10",
         "File Read Error"},
        {replaced("0 3\n0 0\n2\n", "0 3\n0 0\n7\n"), "Unreadable model file, line 7:\nThe feeding slot 7 is outside -1..5",
         "File Read Error"},
        {replaced("1234567 0\n", "1,5 0\n"), "Unreadable model file, line 33:\n\"1,5\" is not a number",
         "File Read Error"},
        {golden.substr(0, golden.find("1 A\n0\n0 0\n")), "Unreadable model file, line 145:\nthe file ends early",
         "File Read Error"},
    };
    CountingForm form;
    MakeRichForm(form);
    const std::string before = Saved(form, dir);
    for (const auto& c : cases) {
        msgs.Clear();
        EXPECT_FALSE(form.LoadModelFile(dir.Write("bad.mdl", c.Text)));
        ASSERT_EQ(msgs.All().back().Text, c.Message);
        EXPECT_EQ(msgs.All().back().Caption, c.Caption);
        EXPECT_EQ(Saved(form, dir), before) << c.Message;
        EXPECT_EQ(form.panelsWritten, 0);
    }
}

// A fit's values come back bit for bit from the file, and a simulation of them
// gives the fit's sum. The fit is a change of the model; a synchronisation,
// the save and the reopening are not.
TEST(ModelFile, FittedValuesComeBackBitForBit) {
    ScriptedMessages msgs;
    msgs.AlwaysAnswer = MsgResult::Yes;
    ScratchDir dir("model-fit");
    const OneToOneSetup setup{.Points = 61, .Interval = 10, .FitRmax = true};
    CountingForm form, back;
    MakeOneToOnePage(*form.AddPage(), setup);
    StaggerAndNoise(form.Page(0), 0, 0.5);
    ApplyOneToOneLines(form.Model, setup, 1.3e5, 2e-3, 1.1, 90);
    form.MarkSaved();
    EXPECT_FALSE(form.ModelChanged());
    form.RunFit();
    EXPECT_TRUE(form.ModelChanged());
    form.RunSimulation();
    ASSERT_TRUE(form.SaveModelFile(dir.Path("fit.mdl")));
    EXPECT_FALSE(form.ModelChanged());
    ASSERT_TRUE(back.LoadModelFile(dir.Path("fit.mdl")));
    EXPECT_FALSE(back.ModelChanged());
    back.RunSimulation();
    EXPECT_NEAR(back.Model.TotalChisq, form.Model.TotalChisq, 1e-9 * form.Model.TotalChisq);
    const TModelData &m = form.Model, &b = back.Model;
    EXPECT_NE(m.InitConc[0][1], 90);  // fitted, typed as 90
    EXPECT_EQ(b.Kfwd[0], m.Kfwd[0]);
    EXPECT_EQ(b.Krev[0], m.Krev[0]);
    EXPECT_EQ(b.RFactor[2], m.RFactor[2]);
    EXPECT_EQ(b.InitConc[0][1], m.InitConc[0][1]);
    EXPECT_EQ(msgs.Count(), 1u);  // the data set's question
}

TEST(ModelFile, SavingKeepsPermissionsAndReportsFailures) {
    ScriptedMessages msgs;
    ScratchDir dir("model-save");
    CountingForm form;
    MakeRichForm(form);

    form.names.push_back("");
    EXPECT_FALSE(form.SaveModel());
    EXPECT_TRUE(dir.Files().empty());

    const std::string path = dir.Path("m.mdl");
    ASSERT_TRUE(form.SaveModelFile(path));
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    form.Model.Kfwd[0] = 2;
    ASSERT_TRUE(form.SaveModelFile(path));
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_NE(dir.Read("m.mdl").find("\n2 0\n"), std::string::npos);
    EXPECT_EQ(msgs.Count(), 0u);

    // A name that cannot be replaced: a folder with something in it.
    fs::create_directories(dir.Path("folder.mdl/x"));
    EXPECT_FALSE(form.SaveModelFile(dir.Path("folder.mdl")));
    EXPECT_EQ(msgs.Last().Text, "Unable to write file");
    EXPECT_EQ(msgs.Last().Icon, MsgIcon::Exclamation);
    EXPECT_EQ(dir.Files().size(), 2u);  // no temporary left

    EXPECT_FALSE(form.SaveModelFile(dir.Path("missing/m.mdl")));
    EXPECT_EQ(msgs.Last().Text, "Unable to open file");
    EXPECT_EQ(msgs.Last().Caption, "File Error");
}
