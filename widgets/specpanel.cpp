#include "widgets/specpanel.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <algorithm>
#include <charconv>

#include "widgets/edit_box.h"
#include "widgets/panel_parts.h"
#include "engine/numeric/numformat.h"
#include "engine/dataset/senstab_core.h"

namespace kivra {
namespace {

constexpr int InjItems = 6;
const char* const DefaultRFactor = "1.00";

// The class library's general format with 15 significant digits, without the locale.
std::string GeneralText(double v) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15);
    return std::string(buf, r.ptr);
}

QString Qs(const std::string& s) { return QString::fromStdString(s); }

// A number the program computed, as a fit shows it: short, its value kept
// whole behind the text until the text is edited.
void ShowComputed(std::string& text, std::optional<double>& exact, double value) {
    text = FormatValue("", value);
    exact = value;
}

} // namespace

// ---- injection chooser -----------------------------------------------------------

TInjList::TInjList(QWidget* parent) : QWidget(parent) {
    for (int slot = InjItems; slot >= 1; --slot) Items << QStringLiteral("Inj %1").arg(slot);
    Arrows = new QScrollBar(Qt::Vertical, this);
    Arrows->setRange(0, InjItems - 1);
    Arrows->setSingleStep(1);
    Arrows->setPageStep(1);
    Arrows->setValue(InjItems - 1);
    Arrows->setFocusPolicy(Qt::NoFocus);
    connect(Arrows, &QScrollBar::valueChanged, this, [this] { update(); });
}

int TInjList::TopIndex() const { return Arrows->value(); }

void TInjList::SetTopIndex(int index) { Arrows->setValue(std::clamp(index, 0, InjItems - 1)); }

QString TInjList::CurrentText() const { return Items.value(TopIndex()); }

void TInjList::resizeEvent(QResizeEvent*) { Arrows->setGeometry(width() - 13, 0, 13, height()); }

void TInjList::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    painter.drawText(rect().adjusted(3, 0, -Arrows->width(), 0), Qt::AlignVCenter | Qt::AlignLeft,
                     CurrentText());
}

// ---- construction ------------------------------------------------------------------

TSpecPanel::TSpecPanel(QWidget* owner)
    : TLinePanel(owner, 554, 168,
                 {{"Species", 6, 46, true},
                  {"Name", 66, 28},
                  {"Lcl", 122, 14},
                  {"Inj", 148, 11},
                  {"Init Conc", 187, 42},
                  {"Fit", 253, 11},
                  {"Rsp", 275, 19},
                  {"R factor", 319, 38},
                  {"Fit", 382, 11}}) {
    for (int r = 0; r < MaxSpecies; ++r) {
        NumLabel[r] = MakeNumLabel(r, 30);
        NameBox[r] = new QLineEdit(this);
        NameBox[r]->setGeometry(51, BoxTop(r), 61, 21);
        connect(NameBox[r], &QLineEdit::textEdited, this, [this, r] { NameChange(r); });
        LclCheck[r] = MakeRowCheck(this, 124, SmallTop(r));
        InjCheck[r] = MakeRowCheck(this, 149, SmallTop(r));
        InjList[r] = new TInjList(this);
        InjList[r]->setGeometry(174, BoxTop(r), 71, 21);
        InjList[r]->hide();
        ConcBox[r] = new QLineEdit(this);
        ConcBox[r]->setGeometry(174, BoxTop(r), 71, 21);
        FitConcCheck[r] = MakeRowCheck(this, 254, SmallTop(r));
        RspCheck[r] = MakeRowCheck(this, 279, SmallTop(r));
        RFactorBox[r] = new QLineEdit(QString::fromLatin1(DefaultRFactor), this);
        RFactorBox[r]->setGeometry(304, BoxTop(r), 71, 21);
        RFactorBox[r]->hide();
        FitRCheck[r] = MakeRowCheck(this, 384, SmallTop(r));
        FitRCheck[r]->hide();
        for (QCheckBox* check : {LclCheck[r], InjCheck[r], RspCheck[r]})
            connect(check, &QCheckBox::toggled, this, [this, r] { ToggleCheck(r); });
    }
    // A fitted concentration or response factor shows whole in the desktop's font.
    std::vector<QWidget*> conc(ConcBox.begin(), ConcBox.end());
    conc.insert(conc.end(), InjList.begin(), InjList.end());
    WidenRowColumn(conc, LongestValue, InjCheck[0]);
    WidenRowColumn({RFactorBox.begin(), RFactorBox.end()}, LongestSignedValue, RspCheck[0]);
    ClearControls();
}

// ---- lines and rows ------------------------------------------------------------------

void TSpecPanel::ResetLine(int line) {
    if (line < 0 || line >= MaxSpecies) return;
    LineName[line].clear();
    LineLocal[line] = false;
    LineAnalyte[line] = false;
    LineInj[line] = 0;
    LineConcText[line].clear();
    LineFitConc[line] = false;
    LineRsp[line] = false;
    LineRFactorText[line] = DefaultRFactor;
    LineFitRFactor[line] = false;
    LineConcValue[line].reset();
    LineRFactorValue[line].reset();
}

void TSpecPanel::ResetRow(int row) {
    if (row < 0 || row >= MaxSpecies) return;
    LclCheck[row]->setChecked(false);
    InjCheck[row]->setChecked(false);
    InjList[row]->SetTopIndex(InjItems - 1);
    ConcBox[row]->clear();
    FitConcCheck[row]->setChecked(false);
    RspCheck[row]->setChecked(false);
    FillBox(RFactorBox[row], QString::fromLatin1(DefaultRFactor));
    FitRCheck[row]->setChecked(false);
}

int TSpecPanel::SetIndex() const {
    if (const auto* page = dynamic_cast<const TSensTabCore*>(parentWidget()))
        return std::clamp(page->Tag, 0, MaxSets - 1);
    return 0;
}

void TSpecPanel::DisplayLine(int row) {
    if (row < 0 || row >= MaxSpecies) return;
    const int line = FirstSpec + row;
    QWidget* values[] = {InjCheck[row], InjList[row],   ConcBox[row], FitConcCheck[row],
                         RspCheck[row], RFactorBox[row], FitRCheck[row]};
    if (row >= NumLines - FirstSpec) {
        NumLabel[row]->hide();
        NameBox[row]->hide();
        LclCheck[row]->hide();
        for (QWidget* w : values) w->hide();
        return;
    }
    NumLabel[row]->setText(QString::number(line + 1));
    NumLabel[row]->show();
    NameBox[row]->show();
    if (row == NumLines - FirstSpec - 1 && NumLines < MaxSpecies) {
        // The blank line: only its number and an empty name box.
        NameBox[row]->clear();
        LclCheck[row]->hide();
        for (QWidget* w : values) w->hide();
        if (IsDataPage) SetBoxEditable(NameBox[row], false);
        return;
    }
    LclCheck[row]->show();

    if (LclCheck[row]->isChecked() && !IsDataPage) {
        // A local species' values are edited on the data pages.
        for (QWidget* w : values) w->hide();
    } else {
        InjCheck[row]->show();
        if (InjCheck[row]->isChecked()) {
            InjList[row]->show();
            for (QWidget* w : {static_cast<QWidget*>(ConcBox[row]), static_cast<QWidget*>(FitConcCheck[row]),
                               static_cast<QWidget*>(RspCheck[row]), static_cast<QWidget*>(RFactorBox[row]),
                               static_cast<QWidget*>(FitRCheck[row])})
                w->hide();
        } else {
            InjList[row]->hide();
            ConcBox[row]->show();
            FitConcCheck[row]->show();
            RspCheck[row]->show();
            const bool rsp = RspCheck[row]->isChecked();
            RFactorBox[row]->setVisible(rsp);
            FitRCheck[row]->setVisible(rsp);
        }
    }

    if (IsDataPage) {
        SetBoxEditable(NameBox[row], false);
        LclCheck[row]->setEnabled(false);
        SetBoxEditable(RFactorBox[row], false);
        FitRCheck[row]->setEnabled(false);
        const bool local = LclCheck[row]->isChecked();
        InjCheck[row]->setEnabled(local);
        SetBoxEditable(InjList[row], local);
        SetBoxEditable(ConcBox[row], local);
        FitConcCheck[row]->setEnabled(local);
        RspCheck[row]->setEnabled(local);
    } else {
        SetBoxEditable(NameBox[row], true);
        LclCheck[row]->setEnabled(true);
        SetBoxEditable(RFactorBox[row], true);
        FitRCheck[row]->setEnabled(true);
    }
}

void TSpecPanel::ReadFromControls() {
    for (int line = FirstSpec; line < NumLines; ++line) {
        const int row = line - FirstSpec;
        if (row >= MaxSpecies) break;
        LineName[line] = NameBox[row]->text().toStdString();
        LineLocal[line] = LclCheck[row]->isChecked();
        LineAnalyte[line] = InjCheck[row]->isChecked();
        LineInj[line] = InjItems - 1 - InjList[row]->TopIndex();
        // An edited text gives up the exact value the program kept behind it.
        std::string conc = ConcBox[row]->text().toStdString();
        if (conc != LineConcText[line]) LineConcValue[line].reset();
        LineConcText[line] = std::move(conc);
        LineFitConc[line] = FitConcCheck[row]->isChecked();
        LineRsp[line] = RspCheck[row]->isChecked();
        std::string rf = RFactorBox[row]->text().toStdString();
        if (rf != LineRFactorText[line]) LineRFactorValue[line].reset();
        LineRFactorText[line] = std::move(rf);
        LineFitRFactor[line] = FitRCheck[row]->isChecked();
    }
}

void TSpecPanel::WriteToControls() {
    for (int line = FirstSpec; line < NumLines; ++line) {
        const int row = line - FirstSpec;
        if (row >= MaxSpecies) break;
        NumLabel[row]->setText(QString::number(line + 1));
        FillBox(NameBox[row], Qs(LineName[line]));
        LclCheck[row]->setChecked(LineLocal[line]);
        InjCheck[row]->setChecked(LineAnalyte[line]);
        InjList[row]->SetTopIndex(InjItems - 1 - LineInj[line]);
        FillBox(ConcBox[row], Qs(LineConcText[line]));
        FitConcCheck[row]->setChecked(LineFitConc[line]);
        RspCheck[row]->setChecked(LineRsp[line]);
        FillBox(RFactorBox[row], Qs(LineRFactorText[line]));
        FitRCheck[row]->setChecked(LineFitRFactor[line]);
        DisplayLine(row);
    }
    for (int row = std::max(NumLines - FirstSpec, 0); row < MaxSpecies; ++row) DisplayLine(row);
}

std::vector<SpeciesLine> TSpecPanel::Lines() const {
    std::vector<SpeciesLine> out(static_cast<std::size_t>(NumLines));
    for (int s = 0; s < NumLines; ++s) {
        SpeciesLine& l = out[static_cast<std::size_t>(s)];
        l.Name = LineName[s];
        l.Local = LineLocal[s];
        l.Inj = LineAnalyte[s] ? LineInj[s] : -1;
        l.InitConcText = LineConcText[s];
        l.FitConc = LineFitConc[s];
        l.Response = LineRsp[s];
        l.RFactorText = LineRFactorText[s];
        l.FitRFactor = LineFitRFactor[s];
        l.InitConcValue = LineConcValue[s];
        l.RFactorValue = LineRFactorValue[s];
    }
    return out;
}

// ---- handlers ------------------------------------------------------------------------

void TSpecPanel::NameChange(int row) {
    const int line = row + FirstSpec;
    if (line == NumLines - 1 && NumLines < MaxSpecies) {
        // Typing into the blank line makes it a line with the default values.
        ResetRow(row);
        ResetLine(line);
        ++NumLines;
        if (NumLines - FirstSpec > 1) DisplayLine(NumLines - 2 - FirstSpec);
        // The line below comes into use (as the new blank line, or as the tenth
        // line): it starts blank, whatever its row showed before.
        const int newLine = NumLines - 1;
        ResetLine(newLine);
        const int newRow = newLine - FirstSpec;
        if (newRow >= 0 && newRow < MaxSpecies) {
            NameBox[newRow]->clear();
            ResetRow(newRow);
        }
        DisplayLine(newRow);
        if (VisibleRows() < NumLines) ShowScrollBar(NumLines - 1, ScrollBar->value());
    }
    if (OnNameChange) OnNameChange(this, line, NameBox[row]->text().toStdString());
}

void TSpecPanel::ScrollSpecies(int pos) {
    ReadFromControls();
    FirstSpec = std::clamp(pos, 0, MaxSpecies - 1);
    WriteToControls();
    if (OnSpecScroll) OnSpecScroll(this, FirstSpec);
}

void TSpecPanel::PanelResize() {
    if (VisibleRows() < NumLines) {
        ShowScrollBar(NumLines - 1, FirstSpec);
    } else {
        ReadFromControls();
        HideScrollBar();
        FirstSpec = 0;
        WriteToControls();
    }
}

void TSpecPanel::SetFirstSpec(int v) {
    v = std::clamp(v, 0, MaxSpecies - 1);
    if (v == FirstSpec) return;
    ReadFromControls();
    FirstSpec = v;
    WriteToControls();
    SetScrollQuietly(ScrollBar, std::max(ScrollBar->maximum(), v), v);
}

void TSpecPanel::SetIsDataPage(bool v) {
    if (v != IsDataPage) {
        IsDataPage = v;
        for (int row = 0; row < MaxSpecies; ++row) DisplayLine(row);
    }
    if (v) Rule->hide();
}

// ---- model ----------------------------------------------------------------------------

void TSpecPanel::GetSpecies(TModelData& model) {
    ReadFromControls();
    if (!IsDataPage) {
        ApplyModelSpeciesLines(model, Lines());
        return;
    }

    const int t = SetIndex();
    TakeLineCount(model.NumSpeciesLines);
    for (int s = 0; s < NumLines; ++s) {
        LineName[s] = model.SpecName[s];
        LineLocal[s] = model.SpecLocal[s];
    }
    ApplySetSpeciesLines(model, t, Lines());
    for (int s = 0; s < NumLines; ++s) {
        if (!LineLocal[s]) {
            // Shown as the model page holds it; never written from here.
            LoadRowValues(model, s, 0);
            LineConcText[s] = model.InitConcText[s];
            LineConcValue[s].reset();
        }
        LoadRFactor(model, s);
    }
    WriteToControls();
}

void TSpecPanel::TakeLineCount(int count) {
    // The model page always keeps a line to type a new species into.
    count = std::clamp(count, IsDataPage ? 0 : 1, MaxSpecies);
    if (count == NumLines) return;
    for (int line = NumLines; line < count; ++line) ResetLine(line);
    NumLines = count;
    if (VisibleRows() < NumLines) ShowScrollBar(NumLines - 1, FirstSpec);
}

void TSpecPanel::LoadRowValues(const TModelData& model, int s, int row) {
    const int inj = model.AnalyteInj[row][s];
    LineAnalyte[s] = inj >= 0;
    LineInj[s] = inj >= 0 ? inj : 0;
    LineFitConc[s] = model.FitConc[row][s];
    LineRsp[s] = model.Response[row][s];
}

void TSpecPanel::LoadRFactor(const TModelData& model, int s) {
    LineRFactorText[s] = model.RFactorText[s];
    LineRFactorValue[s].reset();
    LineFitRFactor[s] = model.FitRFactor[s];
}

void TSpecPanel::SetSpecies(const TModelData& model) {
    ClearControls();
    int lines = model.NumSpeciesLines;
    if (!IsDataPage) {
        // The last line is the one to type into and shows no name: a model
        // whose last line is named (a file without the blank line) gets a
        // blank line after it, so its last species is not lost.
        const int held = std::clamp(lines, 0, MaxSpecies);
        for (int s = held - 1; s >= 0; --s)
            if (!model.SpecName[s].empty()) {
                lines = std::max(lines, s + 2);
                break;
            }
    }
    TakeLineCount(lines);
    const int t = IsDataPage ? SetIndex() : 0;
    for (int s = 0; s < NumLines; ++s) {
        LineName[s] = model.SpecName[s];
        LineLocal[s] = model.SpecLocal[s];
        const int row = IsDataPage && model.SpecLocal[s] ? t : 0;
        LoadRowValues(model, s, row);
        // The text the user typed shows as typed; a number the program
        // computed (a fitted value, which a model file holds whole) shows as
        // the fit showed it.
        const double conc = model.InitConc[row][s];
        const bool typed = row == 0 && !model.SpecLocal[s] && model.AnalyteInj[0][s] < 0;
        LineConcText[s] = typed && !model.InitConcText[s].empty() ? model.InitConcText[s] : GeneralText(conc);
        LineConcValue[s] = conc;
        if (IsComputedNumber(conc)) ShowComputed(LineConcText[s], LineConcValue[s], conc);
        LoadRFactor(model, s);
        if (IsComputedNumber(model.RFactor[s])) ShowComputed(LineRFactorText[s], LineRFactorValue[s], model.RFactor[s]);
    }
    WriteToControls();
}

void TSpecPanel::SetFitResults(const TModelData& model) {
    ReadFromControls();
    const int t = SetIndex();
    for (int s = 0; s < NumLines; ++s) {
        if (!IsDataPage) {
            if (!model.SpecLocal[s] && !LineAnalyte[s] && model.FitConc[0][s])
                ShowComputed(LineConcText[s], LineConcValue[s], model.InitConc[0][s]);
            if (model.FitRFactor[s]) ShowComputed(LineRFactorText[s], LineRFactorValue[s], model.RFactor[s]);
        } else if (model.SpecLocal[s] && !LineAnalyte[s] && model.FitConc[t][s]) {
            ShowComputed(LineConcText[s], LineConcValue[s], model.InitConc[t][s]);
        }
    }
    WriteToControls();
}

void TSpecPanel::ClearControls() {
    FirstSpec = 0;
    NumLines = 3;
    for (int line = 0; line < MaxSpecies; ++line) ResetLine(line);
    for (int row = 0; row < MaxSpecies; ++row) {
        NameBox[row]->clear();
        ResetRow(row);
        DisplayLine(row);
    }
    if (VisibleRows() < 3)
        ShowScrollBar(2, 0);
    else
        HideScrollBar();
}

} // namespace kivra
