#pragma once
// The line editor for the reactions of the model, each of the form A + B = C
// with a forward and a reverse rate constant (a number or a link to another
// reaction's rate), their fit flags and the mass-transport flag. The panel
// keeps its own copy of every line; the model record sees them only through
// GetReact.
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "widgets/panel_parts.h"
#include "engine/model/model_data.h"
#include "engine/model/model_sync.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QScrollBar;

namespace kivra {

class TReactPanel : public TLinePanel {
    Q_OBJECT
public:
    explicit TReactPanel(QWidget* owner = nullptr);

    // Writes the reactions into the record. False when a rate text is not a
    // number: the user has been told, and the operation that asked must end.
    bool GetReact(TModelData& model);
    void SetReact(const TModelData& model);
    void SetFitResults(const TModelData& model);
    void SetSpecName(int index, const std::string& name);
    void ClearControls();
    void ReadFromControls();
    void WriteToControls();
    void DisplayLine(int row);

    int GetNumLines() const { return NumLines; }
    int GetFirstReact() const { return FirstReact; }
    // The lines in use as the model's rules read them (after ReadFromControls).
    std::vector<ReactionLine> Lines() const;

    // Line values; the controls hold the lines in view.
    std::array<int, MaxReactions> LineA{};
    std::array<int, MaxReactions> LineB{};
    std::array<int, MaxReactions> LineProduct{};
    std::array<std::string, MaxReactions> LineKfwdText;
    std::array<bool, MaxReactions> LineFitKfwd{};
    std::array<std::string, MaxReactions> LineKrevText;
    std::array<bool, MaxReactions> LineFitKrev{};
    std::array<bool, MaxReactions> LineFlow{};
    // Exact values behind rate texts the program wrote, kept until the text is edited.
    std::array<std::optional<double>, MaxReactions> LineKfwdValue;
    std::array<std::optional<double>, MaxReactions> LineKrevValue;

    std::array<QLabel*, MaxReactions> NumLabel{};
    std::array<QComboBox*, MaxReactions> ABox{};
    std::array<QLabel*, MaxReactions> PlusImage{};
    std::array<QComboBox*, MaxReactions> BBox{};
    std::array<QLabel*, MaxReactions> ArrowsImage{};
    std::array<QComboBox*, MaxReactions> ProductBox{};
    std::array<QLineEdit*, MaxReactions> konBox{};
    std::array<QCheckBox*, MaxReactions> FitKfwdCheck{};
    std::array<QLineEdit*, MaxReactions> koffBox{};
    std::array<QCheckBox*, MaxReactions> FitKrevCheck{};
    std::array<QCheckBox*, MaxReactions> FlowCheck{};

    // Handlers.
    void ReactSelChange(int row, QComboBox* box);
    void konBoxChange(int row);
    void koffBoxChange(int row);
    void ScrollReact(int pos);
    void PanelResize() override;

protected:
    void ScrollTo(int pos) override { ScrollReact(pos); }

private:
    int VisibleRows() const { return (height() - 26) / 24; }
    void ResetLine(int line);
    // Chosen species of a box: -1 for no choice and for the blank items.
    static int Choice(const QComboBox* box);
    void ForEachSpeciesBox(const std::function<void(QComboBox*)>& f);
    // Lines in view show their stored choices; every other row shows none.
    void RestoreChoices();
    // The scroll bar when the lines and the blank line do not all fit.
    void FitScrollBar(int position);

    int NumLines = 0;
    int FirstReact = 0;
};

} // namespace kivra
