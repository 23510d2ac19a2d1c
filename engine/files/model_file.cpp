// The model file's form: the model part, the order of the whole file and the
// results part. The set blocks are the pages' own (model_set.cpp).
#include "engine/files/model_file.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <new>
#include <utility>

#include "engine/files/datafile_text.h"
#include "engine/files/file_io.h"
#include "engine/files/model_text.h"
#include "engine/model/model_sync.h"
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

// A concentration or R factor text: as typed while it still reads as the
// value; a value the program computed, which the box shows with few digits,
// as the number whole, so that every reader of the text gets it back exactly.
std::string ValueText(const std::string& text, double value) {
    if (!std::isfinite(value) || LeadingNumber(text) == value) return text;
    std::string whole;
    AppendExact(whole, value);
    return whole;
}

void WriteModelPart(std::string& out, const TModelData& m, int pages) {
    auto integer = [&out](long long v, char after) {
        AppendInt(out, v);
        out += after;
    };
    // Rates keep every digit: a fitted one comes back as fitted.
    auto number = [&out](double v, char after) {
        AppendExact(out, v);
        out += after;
    };
    out += "Vers 3.50\n";
    integer(m.NumSpeciesLines, ' ');
    integer(m.NumReactionLines, '\n');
    for (int s = 0; s < std::clamp(m.NumSpecies, 0, MaxSpecies); ++s) {
        AppendCounted(out, m.SpecName[s]);
        // A local or fed species' row 0 is not this text's value.
        const bool own = !m.SpecLocal[s] && m.AnalyteInj[0][s] < 0;
        AppendCounted(out, own ? ValueText(m.InitConcText[s], m.InitConc[0][s]) : m.InitConcText[s]);
        integer(m.SpecLocal[s], ' ');
        integer(m.AnalyteInj[0][s] + 1, '\n');
        integer(m.FitConc[0][s], ' ');
        integer(m.Response[0][s], '\n');
        integer(m.AnalyteInj[0][s], '\n');
        AppendCounted(out, ValueText(m.RFactorText[s], m.RFactor[s]));
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

int ModelFileVersion(std::string_view firstLine) {
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

bool ReadModelPart(TSensTabCore::FileText& f, int version, TModelData& model) {
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

bool ReadSetCount(TSensTabCore::FileText& f, int& sets) {
    try {
        ModelReader r(f);
        sets = r.IntIn(0, MaxSets, "The data set count");
        return true;
    } catch (const ModelFileError& e) {
        ShowModelFileError(f, e);
        return false;
    }
}

bool ReadSetBlocks(TSensTabCore::FileText& f, int version, int sets, TModelData& model,
                   std::vector<std::unique_ptr<TSensTabCore>>& pages) {
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
    return true;
}

bool ReadResultsPart(TSensTabCore::FileText& f, TResultsView& view) {
    TResultsView v;
    bool intact = false;
    try {
        ModelReader r(f);
        ParseResults(r, f.Size(), v);
        intact = true;
    } catch (const ModelFileError&) {
    } catch (const std::bad_alloc&) {
    }
    view = intact ? std::move(v) : TResultsView{};
    return intact;
}

void WriteResultsPart(std::string& out, const TResultsView& view) {
    if (!view.Shown) {
        out += "0\n";
        return;
    }
    out += "1\n";
    AppendLine(out, view.NumParamText);
    AppendLine(out, view.NumPointsText);
    AppendLine(out, view.ChisqText);
    AppendLine(out, view.TimeText);
    const int rows = std::max(view.Rows, 0), cols = std::max(view.Cols, 0);
    AppendInt(out, rows);
    out += '\n';
    AppendInt(out, cols);
    out += '\n';
    const auto cells = static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols);
    for (std::size_t c = 0; c < cells; ++c) AppendLine(out, c < view.Cells.size() ? view.Cells[c] : std::string());
    for (const std::string& label : view.FileLabels)
        if (!label.empty()) AppendLine(out, label);
}

namespace {

// The file's text piece by piece: the model part, each set block, the results part.
template <class Emit>
void ModelFilePieces(const TModelData& model, const std::vector<TSensTabCore*>& pages,
                     const TResultsView& results, Emit&& emit) {
    std::string text;
    WriteModelPart(text, model, static_cast<int>(pages.size()));
    emit(text);
    for (const TSensTabCore* page : pages) {
        text.clear();
        page->WriteSet(text, model);
        emit(text);
    }
    text.clear();
    WriteResultsPart(text, results);
    emit(text);
}

// FNV-1a over the pieces in order.
class Fingerprint {
public:
    void Add(const std::string& text) {
        for (const char c : text) {
            hash_ ^= static_cast<unsigned char>(c);
            hash_ *= 0x100000001b3ULL;
        }
    }
    std::uint64_t Value() const { return hash_; }

private:
    std::uint64_t hash_ = 0xcbf29ce484222325ULL;
};

} // namespace

bool WriteModelFile(const std::string& fileName, const TModelData& model,
                    const std::vector<TSensTabCore*>& pages, const TResultsView& results,
                    std::uint64_t* fingerprint) {
    ReplacingFile file;
    if (!file.Open(fileName)) return false;
    Fingerprint hash;
    ModelFilePieces(model, pages, results, [&](const std::string& text) {
        file.Write(text);
        hash.Add(text);
    });
    if (!file.Commit()) return false;
    if (fingerprint) *fingerprint = hash.Value();
    return true;
}

std::uint64_t ModelFileFingerprint(const TModelData& model, const std::vector<TSensTabCore*>& pages,
                                   const TResultsView& results) {
    Fingerprint hash;
    ModelFilePieces(model, pages, results, [&](const std::string& text) { hash.Add(text); });
    return hash.Value();
}

} // namespace kivra
