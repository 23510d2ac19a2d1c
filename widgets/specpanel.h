#pragma once
// The line editor for the species of the model. On the model page it edits
// every value that is not local to a data set; on a data page it mirrors the
// model read-only and edits that set's local species. The panel keeps its own
// copy of every line; the model record sees them only through GetSpecies.
#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "widgets/panel_parts.h"
#include "engine/model/model_data.h"
#include "engine/model/model_sync.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QScrollBar;

namespace kivra {

// The injection chooser: a list one item high whose visible item is its top
// index, stepped with its own arrows. Items run "Inj 6" .. "Inj 1" from the
// top, so the chosen slot is 5 - top index. It holds its six items from the
// start, so a slot written while the chooser is hidden is never lost.
class TInjList : public QWidget {
    Q_OBJECT
public:
    explicit TInjList(QWidget* parent = nullptr);
    int Count() const { return static_cast<int>(Items.size()); }
    int TopIndex() const;
    void SetTopIndex(int index);  // clamped to the items
    QString CurrentText() const;
    QScrollBar* Arrows = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QStringList Items;
};

class TSpecPanel : public TLinePanel {
    Q_OBJECT
public:
    explicit TSpecPanel(QWidget* owner = nullptr);

    bool GetIsDataPage() const { return IsDataPage; }
    void SetIsDataPage(bool v);
    int GetFirstSpec() const { return FirstSpec; }
    void SetFirstSpec(int v);
    int GetNumLines() const { return NumLines; }

    // Model page: writes the species into the record. Data page: writes the
    // set's local species into its row and mirrors the rest from the record.
    void GetSpecies(TModelData& model);
    void SetSpecies(const TModelData& model);
    void SetFitResults(const TModelData& model);
    void ClearControls();
    void ReadFromControls();
    void WriteToControls();
    void DisplayLine(int row);

    // The lines in use as the model's rules read them (after ReadFromControls).
    std::vector<SpeciesLine> Lines() const;

    // A species name was typed: (panel, line, name).
    std::function<void(TSpecPanel*, int, const std::string&)> OnNameChange;
    // The user scrolled: (panel, new first line).
    std::function<void(TSpecPanel*, int)> OnSpecScroll;

    // Line values; the controls hold the lines in view.
    std::array<std::string, MaxSpecies> LineName;
    std::array<bool, MaxSpecies> LineLocal{};
    std::array<bool, MaxSpecies> LineAnalyte{};
    std::array<int, MaxSpecies> LineInj{};
    std::array<std::string, MaxSpecies> LineConcText;
    std::array<bool, MaxSpecies> LineFitConc{};
    std::array<bool, MaxSpecies> LineRsp{};
    std::array<std::string, MaxSpecies> LineRFactorText;
    std::array<bool, MaxSpecies> LineFitRFactor{};
    // Exact values behind texts the program wrote, kept until the text is edited.
    std::array<std::optional<double>, MaxSpecies> LineConcValue;
    std::array<std::optional<double>, MaxSpecies> LineRFactorValue;

    std::array<QLabel*, MaxSpecies> NumLabel{};
    std::array<QLineEdit*, MaxSpecies> NameBox{};
    std::array<QCheckBox*, MaxSpecies> LclCheck{};
    std::array<QCheckBox*, MaxSpecies> InjCheck{};
    std::array<TInjList*, MaxSpecies> InjList{};
    std::array<QLineEdit*, MaxSpecies> ConcBox{};
    std::array<QCheckBox*, MaxSpecies> FitConcCheck{};
    std::array<QCheckBox*, MaxSpecies> RspCheck{};
    std::array<QLineEdit*, MaxSpecies> RFactorBox{};
    std::array<QCheckBox*, MaxSpecies> FitRCheck{};

    // Handlers.
    void NameChange(int row);
    void ToggleCheck(int row) { DisplayLine(row); }
    void ScrollSpecies(int pos);
    void PanelResize() override;

protected:
    void ScrollTo(int pos) override { ScrollSpecies(pos); }

private:
    int VisibleRows() const { return (height() - 24) / 24; }
    // The row of a line that comes into use, and the line itself, start blank.
    void ResetRow(int row);
    void ResetLine(int line);
    // A line count taken from the record; lines that come into use start blank.
    void TakeLineCount(int count);
    // The values of line s that a per-set row holds, and its R factor.
    void LoadRowValues(const TModelData& model, int s, int row);
    void LoadRFactor(const TModelData& model, int s);
    // The set whose row of the per-set tables this panel reads and writes.
    int SetIndex() const;

    int NumLines = 3;
    bool IsDataPage = false;
    int FirstSpec = 0;
};

} // namespace kivra
