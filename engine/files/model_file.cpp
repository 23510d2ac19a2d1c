// The model file of the main window: the model part, the order of the whole
// file, its load and save, and the results part. The set blocks are the pages'
// own (model_set.cpp).
#include <algorithm>
#include <climits>
#include <new>
#include <utility>

#include "engine/files/datafile_text.h"
#include "engine/files/file_io.h"
#include "engine/files/model_text.h"
#include "engine/model/model_sync.h"
#include "engine/session/mainform_core.h"
#include "platform/core/messages.h"

namespace kivra {
namespace {

int Blanks(std::string_view line) { return static_cast<int>(std::count(line.begin(), line.end(), ' ')); }

// A rate of the versions before 3.3: a number, or "=f" / "=r" and the digit of
// the reaction it takes its value from.
void ReadOldRate(ModelReader& r, double& value, int& link) {
    const std::string text = r.Counted();
    if (!text.empty() && text[0] == '=') {
        if (text.size() < 3 || text[2] < '1' || text[2] > '9') r.Fail("\"" + text.substr(0, 40) + "\" is not a link");
        value = 0;
        link = text[2] - '0';
        if (text[1] == 'r' || text[1] == 'R') link = -link;
    } else {
        value = LeadingNumber(text);
        link = 0;
    }
}

void ParseModel(ModelReader& r, int version, TModelData& m) {
    const int speciesLines = std::min(r.IntIn(0, INT_MAX, "The species line count"), MaxSpecies);
    const int reactionLines = std::min(r.IntIn(0, INT_MAX, "The reaction line count"), MaxReactions);
    m.NumSpecies = 0;
    std::fill(std::begin(m.StockGlobal), std::end(m.StockGlobal), false);
    std::fill(std::begin(m.FitStockGlobal), std::end(m.FitStockGlobal), false);
    for (int s = 0; s < MaxSpecies; ++s) {
        m.SpecName[s].clear();
        m.InitConcText[s].clear();
        m.SpecLocal[s] = false;
        m.RFactor[s] = 0;
        m.RFactorText[s].clear();
        m.FitRFactor[s] = false;
        for (int k = 0; k < MaxSets; ++k) {
            m.AnalyteInj[k][s] = -1;
            m.InitConc[k][s] = 0;
            m.FitConc[k][s] = false;
            m.Response[k][s] = false;
        }
    }
    // Before 3.3 the sections have no end line: a line of many blanks is the
    // first reaction, a line of few the page count.
    bool ended = false;
    for (int s = 0; s < MaxSpecies; ++s) {
        if (version >= 33 ? (ended = r.TakeEnd()) : Blanks(r.PeekLine()) > 3) break;
        m.SpecName[s] = r.Counted();
        if (!m.SpecName[s].empty()) m.NumSpecies = s + 1;
        m.InitConcText[s] = r.Counted();
        m.InitConc[0][s] = LeadingNumber(m.InitConcText[s]);
        m.SpecLocal[s] = r.Flag();
        m.AnalyteInj[0][s] = r.IntIn(0, MaxInj, "The feeding slot") - 1;
        m.FitConc[0][s] = r.Flag();
        m.Response[0][s] = r.Flag();
        if (version == 30) {
            m.RFactorText[s] = "1.00";
            m.RFactor[s] = 1.0;
            m.FitRFactor[s] = false;
        } else {
            const int slot = r.IntIn(-1, MaxInj - 1, "The feeding slot");
            if (m.AnalyteInj[0][s] >= 0) m.AnalyteInj[0][s] = slot;
            m.RFactorText[s] = r.Counted();
            m.RFactor[s] = LeadingNumber(m.RFactorText[s]);
            m.FitRFactor[s] = r.Flag();
        }
    }
    if (version >= 33 && !ended) r.SkipPastEnd();

    m.NumReactions = 0;
    for (int k = 0; k < MaxReactions; ++k) {
        m.ReactA[k] = m.ReactB[k] = m.Product[k] = -1;
        m.Kfwd[k] = m.Krev[k] = 0;
        m.FitKfwd[k] = m.FitKrev[k] = false;
        m.KfwdLink[k] = m.KrevLink[k] = 0;
        m.MassTransport[k] = false;
    }
    ended = false;
    for (int k = 0; k < MaxReactions; ++k) {
        if (version >= 33 ? (ended = r.TakeEnd()) : Blanks(r.PeekLine()) < 3) break;
        m.ReactA[k] = r.IntIn(0, MaxSpecies, "The species number") - 1;
        m.ReactB[k] = r.IntIn(0, MaxSpecies, "The species number") - 1;
        m.Product[k] = r.IntIn(0, MaxSpecies, "The species number") - 1;
        if (m.Product[k] >= 0) m.NumReactions = k + 1;
        if (version >= 33) {
            m.Kfwd[k] = r.Double();
            m.KfwdLink[k] = r.IntIn(-MaxReactions, MaxReactions, "The link");
            m.Krev[k] = r.Double();
            m.KrevLink[k] = r.IntIn(-MaxReactions, MaxReactions, "The link");
        } else {
            ReadOldRate(r, m.Kfwd[k], m.KfwdLink[k]);
            ReadOldRate(r, m.Krev[k], m.KrevLink[k]);
        }
        m.FitKfwd[k] = r.Flag();
        m.FitKrev[k] = r.Flag();
        if (version >= 34) m.MassTransport[k] = r.Flag();
    }
    if (version >= 33 && !ended) r.SkipPastEnd();
    // The panels show at least the lines in use.
    m.NumSpeciesLines = std::max(speciesLines, m.NumSpecies);
    m.NumReactionLines = std::max(reactionLines, m.NumReactions);
}

void ParseResults(ModelReader& r, std::size_t fileSize, TResultsView& v) {
    v.Shown = r.Int() != 0;
    if (!v.Shown) return;
    v.NumParamText = r.WholeLine();
    v.NumPointsText = r.WholeLine();
    v.ChisqText = r.WholeLine();
    v.TimeText = r.WholeLine();
    v.Rows = r.IntIn(0, INT_MAX, "The row count");
    v.Cols = r.IntIn(0, INT_MAX, "The column count");
    const long long cells = static_cast<long long>(v.Rows) * v.Cols;
    if (cells > static_cast<long long>(fileSize)) r.Fail("more cells than the file holds");
    for (long long c = 0; c < cells; ++c) v.Cells.push_back(r.WholeLine());
    int n = 0;
    for (; !r.AtEnd(); ++n) {
        if (n == MaxSets) r.Fail("more than six data-file labels");
        v.FileLabels[n] = r.WholeLine();
    }
    v.DataFileHeaderText = n > 1 ? "Data Files:" : "Data File:";
}

void WriteModelPart(std::string& out, const TModelData& m, int pages) {
    auto integer = [&out](long long v, char after) {
        AppendInt(out, v);
        out += after;
    };
    auto number = [&out](double v, char after) {
        AppendNumber(out, v);
        out += after;
    };
    out += "Vers 3.50\n";
    integer(m.NumSpeciesLines, ' ');
    integer(m.NumReactionLines, '\n');
    for (int s = 0; s < std::clamp(m.NumSpecies, 0, MaxSpecies); ++s) {
        AppendCounted(out, m.SpecName[s]);
        AppendCounted(out, m.InitConcText[s]);
        integer(m.SpecLocal[s], ' ');
        integer(m.AnalyteInj[0][s] + 1, '\n');
        integer(m.FitConc[0][s], ' ');
        integer(m.Response[0][s], '\n');
        integer(m.AnalyteInj[0][s], '\n');
        AppendCounted(out, m.RFactorText[s]);
        integer(m.FitRFactor[s], '\n');
    }
    out += "end\n";
    for (int k = 0; k < std::clamp(m.NumReactions, 0, MaxReactions); ++k) {
        integer(m.ReactA[k] + 1, ' ');
        integer(m.ReactB[k] + 1, ' ');
        integer(m.Product[k] + 1, '\n');
        number(m.Kfwd[k], ' ');
        integer(m.KfwdLink[k], '\n');
        number(m.Krev[k], ' ');
        integer(m.KrevLink[k], '\n');
        integer(m.FitKfwd[k], ' ');
        integer(m.FitKrev[k], '\n');
        integer(m.MassTransport[k], '\n');
    }
    out += "end\n";
    integer(pages, '\n');
    integer(MaxInj, '\n');
    for (int j = 0; j < MaxInj; ++j) {
        integer(m.StockGlobal[j], '\t');
        integer(m.FitStockGlobal[j], '\n');
    }
}

} // namespace

int TMainFormCore::ModelFileVersion(std::string_view firstLine) {
    firstLine = firstLine.substr(0, 79);
    auto at = [&](std::size_t k) { return k < firstLine.size() ? firstLine[k] : '\0'; };
    if (at(0) != 'V') return 0;
    if (at(1) == '3') return 30;
    if (at(5) != '3') return 0;
    switch (at(7)) {
    case '2': return 32;
    case '3': return 33;
    case '4': return 34;
    case '5': return 35;
    default: return -1;
    }
}

bool TMainFormCore::ReadModel(TSensTabCore::FileText& f, int version, TModelData& model) {
    try {
        ModelReader r(f);
        ParseModel(r, version, model);
        return true;
    } catch (const ModelFileError& e) {
        ShowModelFileError(f, e);
    } catch (const std::bad_alloc&) {
        ShowMessage("File too large", "File Read Error");
    }
    return false;
}

bool TMainFormCore::ReadResults(TSensTabCore::FileText& f) {
    TResultsView v;
    bool intact = false;
    try {
        ModelReader r(f);
        ParseResults(r, f.Size(), v);
        intact = true;
    } catch (const ModelFileError&) {
    } catch (const std::bad_alloc&) {
    }
    // A damaged tail costs the results page, not the model and the data before it.
    Results = intact ? std::move(v) : TResultsView{};
    ResultsChanged();
    return intact;
}

void TMainFormCore::WriteResults(std::string& out) const {
    if (!Results.Shown) {
        out += "0\n";
        return;
    }
    out += "1\n";
    AppendLine(out, Results.NumParamText);
    AppendLine(out, Results.NumPointsText);
    AppendLine(out, Results.ChisqText);
    AppendLine(out, Results.TimeText);
    const int rows = std::max(Results.Rows, 0), cols = std::max(Results.Cols, 0);
    AppendInt(out, rows);
    out += '\n';
    AppendInt(out, cols);
    out += '\n';
    const auto cells = static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols);
    for (std::size_t c = 0; c < cells; ++c) AppendLine(out, c < Results.Cells.size() ? Results.Cells[c] : std::string());
    for (const std::string& label : Results.FileLabels)
        if (!label.empty()) AppendLine(out, label);
}

bool TMainFormCore::LoadModel() {
    if (Busy()) return false;
    std::string name;
    if (!AskFileName(FileDialog::ModelOpen, name)) return false;
    ProcessMessages();  // the dialog goes before the reading starts
    return LoadModelFile(name);
}

bool TMainFormCore::LoadModelFile(const std::string& fileName) {
    if (Busy()) return false;
    std::string bytes;
    if (!LoadFileText(fileName, bytes)) return false;
    TSensTabCore::FileText f(std::move(bytes));
    const int version = ModelFileVersion(f.LineAt(0));
    if (version <= 0) {
        ShowMessage(version == 0 ? "Not a model file or wrong version" : "Wrong version", "File Error");
        return false;
    }
    f.NextLine();

    // Everything is read into scratch copies; only a file read whole replaces anything.
    TModelData model = Model;
    if (!ReadModel(f, version, model)) return false;
    int sets = 0;
    try {
        ModelReader r(f);
        sets = r.IntIn(0, MaxSets, "The data set count");
    } catch (const ModelFileError& e) {
        ShowModelFileError(f, e);
        return false;
    }
    if (sets == 0 || ShowMessage("Load associated data sets?\n   (Delete existing sets)", "Load Model",
                                 MsgButtons::YesNo) != MsgResult::Yes) {
        // The pages stay, and with them the shared-stock flags that describe them.
        std::copy(std::begin(Model.StockGlobal), std::end(Model.StockGlobal), std::begin(model.StockGlobal));
        std::copy(std::begin(Model.FitStockGlobal), std::end(Model.FitStockGlobal), std::begin(model.FitStockGlobal));
        Model = model;
        WritePanels(Model);
        GetModel(true);
        return true;
    }

    std::vector<std::unique_ptr<TSensTabCore>> pages;
    try {
        ModelReader r(f);
        if (version == 34) {
            const bool shared = r.Int() > 0, fitted = r.Int() > 0;
            std::fill(std::begin(model.StockGlobal), std::end(model.StockGlobal), shared);
            std::fill(std::begin(model.FitStockGlobal), std::end(model.FitStockGlobal), fitted);
        } else if (version == 35) {
            const int n = r.IntIn(0, MaxInj, "The slot count");
            for (int j = 0; j < n; ++j) {
                model.StockGlobal[j] = r.Int() > 0;
                model.FitStockGlobal[j] = r.Int() > 0;
            }
        }
    } catch (const ModelFileError& e) {
        ShowModelFileError(f, e);
        return false;
    }
    for (int k = 0; k < sets; ++k) {
        auto page = std::make_unique<TSensTabCore>();
        page->Tag = k;
        if (!page->ReadSet(f, version, model)) return false;
        pages.push_back(std::move(page));
    }
    // A shared stock lives in the set blocks only, and each page takes it from the
    // record at the next synchronisation: the record must hold the one read.
    for (int j = 0; j < MaxInj && !pages.empty(); ++j)
        if (model.StockGlobal[j])
            for (int k = 0; k < MaxSets; ++k) model.StockConc[k][j] = pages.front()->StockConc[j];

    Model = model;
    WritePanels(Model);
    DeleteAllPages();
    for (auto& read : pages) {
        TSensTabCore* page = AddPage();
        if (!page) break;
        page->TakeReadSet(*read, Model);
    }
    if (version >= 33) {
        ReadResults(f);
    } else {
        Results = TResultsView{};
        ResultsChanged();
    }
    GetModel(true);
    return true;
}

bool TMainFormCore::SaveModel() {
    if (Busy()) return false;
    std::string name;
    if (!AskFileName(FileDialog::ModelSave, name)) return false;
    return SaveModelFile(name);
}

bool TMainFormCore::SaveModelFile(const std::string& fileName) {
    if (Busy()) return false;
    // The file holds what the panels show.
    if (!GetModel(true)) return false;
    ReplacingFile file;
    if (!file.Open(fileName)) return false;
    std::string text;
    WriteModelPart(text, Model, PageCount());
    file.Write(text);
    for (const auto& page : Pages) {
        text.clear();
        page->WriteSet(text, Model);
        file.Write(text);
    }
    text.clear();
    WriteResults(text);
    file.Write(text);
    return file.Commit();
}

} // namespace kivra
