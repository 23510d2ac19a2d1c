// The Monte Carlo records and the results file (written only, never read).
#include <fstream>
#include <locale>
#include <ostream>

#include "engine/session/mainform_core.h"
#include "platform/core/messages.h"

namespace kivra {

bool TMonteRecordArray::Make(int capacity, int n) {
    if (capacity < 0 || n < 0) return false;
    const std::size_t stride = static_cast<std::size_t>(n) + 1;
    OwnedArray<TMonteRecord> records;
    OwnedArray<double> values;
    if (!records.Reset(static_cast<std::size_t>(capacity), TMonteRecord{}) ||
        !values.Reset(2 * stride * static_cast<std::size_t>(capacity), 0.0))
        return false;
    for (std::size_t i = 0; i < records.size(); ++i) {
        records[i].Start = values.data() + 2 * stride * i;
        records[i].Result = records[i].Start + stride;
    }
    records_ = std::move(records);
    values_ = std::move(values);
    return true;
}

std::string OneLine(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (c == '\n' || c == '\r' || c == '\t') c = ' ';
    return out;
}

bool TMainFormCore::WriteMonteResults(std::ostream& out) {
    out.imbue(std::locale::classic());
    const int n = static_cast<int>(Histograms.size());
    const int params = std::min(n, MonteNumParams);
    auto tabs = [&](int count) {
        for (int i = 0; i < count; ++i) out << '\t';
    };
    auto titles = [&] {
        for (const auto& h : Histograms) out << OneLine(h->Title) << '\t';
    };

    out << "Num cycles: " << MonteCycles << '\n';
    out << "Succeeded: " << MonteSucceeded << '\n';
    out << "Starting Var(%): " << MonteVariation * 100 << '\n';
    out << "Max Iterations: " << MonteMaxIter << '\n';
    if (MonteNoise > 0) out << "Noise: " << MonteNoise << '\n';
    else out << "Noise: none\n\n";
    out << "\nSet values:\n";
    titles();
    out << '\n';
    for (const auto& h : Histograms) out << h->SetValue << '\t';
    out << "\n\nStarting values:";
    tabs(n);
    out << "Results:\n";
    titles();
    out << '\t';
    titles();
    out << "ChiSq\n";

    // Only this run's records: those of the cycles it ran.
    const int cycles = std::min(MonteCycles, MonteRecords.Capacity());
    auto starts = [&](const TMonteRecord& r) {
        for (int k = 1; k <= n; ++k) out << (k <= params ? r.Start[k] : 0.0) << '\t';
        out << '\t';
    };
    for (int i = 0; i < cycles; ++i) {
        const TMonteRecord& r = MonteRecords[i];
        if (!r.Succeeded) continue;
        starts(r);
        for (int k = 1; k <= n; ++k) out << (k <= params ? r.Result[k] : 0.0) << '\t';
        out << r.Chisq << '\n';
    }
    for (int i = 0; i < cycles; ++i) {
        const TMonteRecord& r = MonteRecords[i];
        if (r.Succeeded) continue;
        starts(r);
        out << OneLine(r.Message) << '\n';
    }

    tabs(n);
    out << "Average:\t";
    for (const auto& h : Histograms) out << h->Mean << '\t';
    out << '\n';
    tabs(n);
    out << "Std Dev:\t";
    for (const auto& h : Histograms) out << h->StdDev << '\t';
    out << '\n';

    out.flush();
    if (!out) return false;
    MonteUnsaved = false;
    return true;
}

bool TMainFormCore::SaveMonteResults() {
    std::string fileName;
    if (!AskFileName(FileDialog::MonteSave, fileName)) return false;
    std::ofstream out(fileName, std::ios::out | std::ios::trunc | std::ios::binary);
    if (!out) {
        ShowMessage("Unable to open file", "File Error", MsgButtons::Ok, MsgIcon::Exclamation);
        return false;
    }
    const bool unsaved = MonteUnsaved;
    bool ok = WriteMonteResults(out);
    out.close();
    if (!ok || out.fail()) {
        // What the stream took may not have reached the disk.
        MonteUnsaved = unsaved;
        ShowMessage("Unable to write file", "File Error", MsgButtons::Ok, MsgIcon::Exclamation);
        return false;
    }
    return true;
}

} // namespace kivra
