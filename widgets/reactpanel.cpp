#include "widgets/reactpanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QResizeEvent>
#include <QScrollBar>
#include <algorithm>

#include "widgets/edit_box.h"
#include "widgets/panel_parts.h"
#include "engine/numeric/numformat.h"

// The pictures live in this library's resources, which a static library must
// register itself.
static void InitReactPanelResources() { Q_INIT_RESOURCE(reactpanel); }

namespace kivra {
namespace {

QLabel* MakePicture(QWidget* parent, const char* resource, int left, int top) {
    auto* picture = new QLabel(parent);
    picture->setPixmap(QPixmap(QString::fromLatin1(":/bitmaps/") + QString::fromLatin1(resource), "XPM"));
    picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picture->setGeometry(left, top, 32, 32);
    picture->setAttribute(Qt::WA_TransparentForMouseEvents);
    return picture;
}

QComboBox* MakeSpeciesBox(QWidget* parent, int left, int top) {
    auto* box = new QComboBox(parent);
    box->setGeometry(left, top, 79, 21);
    return box;
}

QLineEdit* MakeRateBox(QWidget* parent, int left, int top) {
    auto* box = new QLineEdit(parent);
    box->setGeometry(left, top, 71, 21);
    return box;
}

bool IsBlankItem(const QString& text) { return text.isEmpty() || text == QStringLiteral(" "); }

bool IsLinkText(const QString& text) { return text.startsWith(QLatin1Char('=')); }

// A linked rate is never fitted: its Fit box is off and disabled.
void FollowRateText(const QLineEdit* rate, QCheckBox* fit) {
    const bool link = IsLinkText(rate->text());
    if (link) fit->setChecked(false);
    fit->setEnabled(!link);
}

// A rate as the panel shows it: a link as "=f" or "=r" and its number, an own
// value in the program's number format.
std::string RateText(int link, double value) {
    if (link >= 1) return "=f" + std::to_string(link);
    if (link < 0) return "=r" + std::to_string(-static_cast<long long>(link));
    return FormatValue("", value);
}

} // namespace

TReactPanel::TReactPanel(QWidget* owner)
    : TLinePanel(owner, 554, 170,
                 {{"Reaction", 6, 39, true},
                  {"kfwd", 354, 23},
                  {"Fit", 410, 11},
                  {"krev", 460, 21},
                  {"Fit", 513, 11},
                  {"Flow", 534, 11}}) {
    InitReactPanelResources();
    for (int r = 0; r < MaxReactions; ++r) {
        NumLabel[r] = MakeNumLabel(r, 12);
        ABox[r] = MakeSpeciesBox(this, 29, BoxTop(r));
        PlusImage[r] = MakePicture(this, "PLUS", 114, SmallTop(r));
        BBox[r] = MakeSpeciesBox(this, 134, BoxTop(r));
        ArrowsImage[r] = MakePicture(this, "ARROWS", 218, SmallTop(r));
        ProductBox[r] = MakeSpeciesBox(this, 239, BoxTop(r));
        for (QComboBox* box : {ABox[r], BBox[r], ProductBox[r]})
            connect(box, &QComboBox::activated, this, [this, r, box] { ReactSelChange(r, box); });
        konBox[r] = MakeRateBox(this, 334, BoxTop(r));
        connect(konBox[r], &QLineEdit::textChanged, this, [this, r] { konBoxChange(r); });
        FitKfwdCheck[r] = MakeRowCheck(this, 410, SmallTop(r));
        koffBox[r] = MakeRateBox(this, 437, BoxTop(r));
        connect(koffBox[r], &QLineEdit::textChanged, this, [this, r] { koffBoxChange(r); });
        FitKrevCheck[r] = MakeRowCheck(this, 513, SmallTop(r));
        FlowCheck[r] = MakeRowCheck(this, 537, SmallTop(r));
    }
    // A fitted rate shows whole in the desktop's font.
    WidenRowColumn({konBox.begin(), konBox.end()}, LongestValue, ProductBox[0]);
    WidenRowColumn({koffBox.begin(), koffBox.end()}, LongestValue, FitKfwdCheck[0]);
    ClearControls();
}

// ---- lines and rows ------------------------------------------------------------------

void TReactPanel::ResetLine(int line) {
    if (line < 0 || line >= MaxReactions) return;
    LineA[line] = LineB[line] = LineProduct[line] = -1;
    LineKfwdText[line].clear();
    LineKrevText[line].clear();
    LineFitKfwd[line] = LineFitKrev[line] = LineFlow[line] = false;
    LineKfwdValue[line].reset();
    LineKrevValue[line].reset();
}

int TReactPanel::Choice(const QComboBox* box) {
    const int index = box->currentIndex();
    if (index < 0 || IsBlankItem(box->itemText(index))) return -1;
    return index;
}

void TReactPanel::ForEachSpeciesBox(const std::function<void(QComboBox*)>& f) {
    for (int r = 0; r < MaxReactions; ++r) {
        f(ABox[r]);
        f(BBox[r]);
        f(ProductBox[r]);
    }
}

void TReactPanel::RestoreChoices() {
    for (int row = 0; row < MaxReactions; ++row) {
        const int line = FirstReact + row;
        const bool inUse = line < NumLines;
        ABox[row]->setCurrentIndex(inUse ? LineA[line] : -1);
        BBox[row]->setCurrentIndex(inUse ? LineB[line] : -1);
        ProductBox[row]->setCurrentIndex(inUse ? LineProduct[line] : -1);
    }
}

void TReactPanel::DisplayLine(int row) {
    if (row < 0 || row >= MaxReactions) return;
    const int line = FirstReact + row;
    QWidget* species[] = {ABox[row], PlusImage[row], BBox[row], ArrowsImage[row], ProductBox[row]};
    QWidget* rates[] = {konBox[row], FitKfwdCheck[row], koffBox[row], FitKrevCheck[row], FlowCheck[row]};
    if (row > NumLines - FirstReact || row >= MaxReactions - FirstReact) {
        NumLabel[row]->hide();
        for (QWidget* w : species) w->hide();
        for (QWidget* w : rates) w->hide();
        return;
    }
    NumLabel[row]->setText(QString::number(line + 1));
    NumLabel[row]->show();
    for (QWidget* w : species) w->show();
    if (row == NumLines - FirstReact && NumLines < MaxReactions) {
        // The blank line: its species choices, nothing else.
        ABox[row]->setCurrentIndex(-1);
        BBox[row]->setCurrentIndex(-1);
        ProductBox[row]->setCurrentIndex(-1);
        for (QWidget* w : rates) w->hide();
        return;
    }
    for (QWidget* w : rates) w->show();
}

void TReactPanel::ReadFromControls() {
    for (int line = FirstReact; line < NumLines; ++line) {
        const int row = line - FirstReact;
        if (row >= MaxReactions) break;
        LineA[line] = Choice(ABox[row]);
        LineB[line] = Choice(BBox[row]);
        LineProduct[line] = Choice(ProductBox[row]);
        // An edited text gives up the exact value the program kept behind it.
        std::string kf = konBox[row]->text().toStdString();
        if (kf != LineKfwdText[line]) LineKfwdValue[line].reset();
        LineKfwdText[line] = std::move(kf);
        LineFitKfwd[line] = FitKfwdCheck[row]->isChecked();
        std::string kr = koffBox[row]->text().toStdString();
        if (kr != LineKrevText[line]) LineKrevValue[line].reset();
        LineKrevText[line] = std::move(kr);
        LineFitKrev[line] = FitKrevCheck[row]->isChecked();
        LineFlow[line] = FlowCheck[row]->isChecked();
    }
}

void TReactPanel::WriteToControls() {
    for (int line = FirstReact; line < NumLines; ++line) {
        const int row = line - FirstReact;
        if (row >= MaxReactions) break;
        NumLabel[row]->setText(QString::number(line + 1));
        ABox[row]->setCurrentIndex(LineA[line]);
        BBox[row]->setCurrentIndex(LineB[line]);
        ProductBox[row]->setCurrentIndex(LineProduct[line]);
        const struct {
            QLineEdit* box;
            QCheckBox* fit;
            const std::string& text;
            bool fitted;
        } rates[] = {{konBox[row], FitKfwdCheck[row], LineKfwdText[line], LineFitKfwd[line]},
                     {koffBox[row], FitKrevCheck[row], LineKrevText[line], LineFitKrev[line]}};
        for (const auto& rate : rates) {
            const QString text = QString::fromStdString(rate.text);
            FillBox(rate.box, text);
            const bool link = IsLinkText(text);
            rate.fit->setChecked(!link && rate.fitted);
            rate.fit->setEnabled(!link);
        }
        FlowCheck[row]->setChecked(LineFlow[line]);
        DisplayLine(row);
    }
    for (int row = std::max(NumLines - FirstReact, 0); row < MaxReactions; ++row) DisplayLine(row);
}

std::vector<ReactionLine> TReactPanel::Lines() const {
    std::vector<ReactionLine> out(static_cast<std::size_t>(NumLines));
    for (int r = 0; r < NumLines; ++r) {
        ReactionLine& l = out[static_cast<std::size_t>(r)];
        l.ReactA = LineA[r];
        l.ReactB = LineB[r];
        l.Product = LineProduct[r];
        l.KfwdText = LineKfwdText[r];
        l.KrevText = LineKrevText[r];
        l.FitKfwd = LineFitKfwd[r];
        l.FitKrev = LineFitKrev[r];
        l.MassTransport = LineFlow[r];
        l.KfwdValue = LineKfwdValue[r];
        l.KrevValue = LineKrevValue[r];
    }
    return out;
}

// ---- model ----------------------------------------------------------------------------

bool TReactPanel::GetReact(TModelData& model) {
    ReadFromControls();
    return ApplyReactionLines(model, Lines());
}

void TReactPanel::SetReact(const TModelData& model) {
    ClearControls();
    QStringList names;
    const int species = std::clamp(model.NumSpeciesLines, 0, MaxSpecies);
    for (int s = 0; s < species; ++s) names << QString::fromStdString(model.SpecName[s]);
    ForEachSpeciesBox([&names](QComboBox* box) { box->addItems(names); });

    FirstReact = 0;
    NumLines = std::clamp(model.NumReactionLines, 0, MaxReactions);
    FitScrollBar(0);
    for (int r = 0; r < NumLines; ++r) {
        LineA[r] = model.ReactA[r];
        LineB[r] = model.ReactB[r];
        LineProduct[r] = model.Product[r];
        LineFlow[r] = model.MassTransport[r];
        LineKfwdText[r] = RateText(model.KfwdLink[r], model.Kfwd[r]);
        LineFitKfwd[r] = model.KfwdLink[r] == 0 && model.FitKfwd[r];
        if (model.KfwdLink[r] == 0) LineKfwdValue[r] = model.Kfwd[r];
        LineKrevText[r] = RateText(model.KrevLink[r], model.Krev[r]);
        LineFitKrev[r] = model.KrevLink[r] == 0 && model.FitKrev[r];
        if (model.KrevLink[r] == 0) LineKrevValue[r] = model.Krev[r];
    }
    WriteToControls();
    RestoreChoices();
}

void TReactPanel::SetFitResults(const TModelData& model) {
    ReadFromControls();
    for (int r = 0; r < NumLines; ++r) {
        if (LineFitKfwd[r]) {
            LineKfwdText[r] = FormatValue("", model.Kfwd[r]);
            LineKfwdValue[r] = model.Kfwd[r];
        }
        if (LineFitKrev[r]) {
            LineKrevText[r] = FormatValue("", model.Krev[r]);
            LineKrevValue[r] = model.Krev[r];
        }
    }
    WriteToControls();
}

void TReactPanel::SetSpecName(int index, const std::string& name) {
    if (index < 0 || index >= MaxSpecies) return;
    ReadFromControls();
    const QString text = QString::fromStdString(name);
    const QString blank = QStringLiteral(" ");
    int count = ABox[0]->count();
    while (count < index) {
        ForEachSpeciesBox([&blank](QComboBox* box) { box->addItem(blank); });
        ++count;
    }
    if (count == index) {
        ForEachSpeciesBox([&](QComboBox* box) {
            box->addItem(text);
            box->addItem(blank);
        });
    } else {
        const bool last = index == count - 1;
        ForEachSpeciesBox([&](QComboBox* box) {
            box->setItemText(index, text);
            if (last) box->addItem(blank);
        });
    }
    RestoreChoices();
}

void TReactPanel::ClearControls() {
    FirstReact = 0;
    NumLines = 0;
    for (int line = 0; line < MaxReactions; ++line) ResetLine(line);
    for (int row = 0; row < MaxReactions; ++row) {
        ABox[row]->clear();
        BBox[row]->clear();
        ProductBox[row]->clear();
        konBox[row]->clear();
        koffBox[row]->clear();
        FitKfwdCheck[row]->setChecked(false);
        FitKrevCheck[row]->setChecked(false);
        FlowCheck[row]->setChecked(false);
        DisplayLine(row);
    }
    FitScrollBar(0);
}

// ---- handlers ------------------------------------------------------------------------

void TReactPanel::ReactSelChange(int row, QComboBox* box) {
    if (box->currentIndex() >= 0 && IsBlankItem(box->currentText())) box->setCurrentIndex(-1);
    if (row + FirstReact != NumLines || NumLines >= MaxReactions) return;
    // A choice on the blank line makes it a line in use, with empty rates.
    ResetLine(NumLines);
    konBox[row]->clear();
    koffBox[row]->clear();
    FitKfwdCheck[row]->setChecked(false);
    FitKrevCheck[row]->setChecked(false);
    FlowCheck[row]->setChecked(false);
    ++NumLines;
    if (NumLines - FirstReact > 0) DisplayLine(NumLines - 1 - FirstReact);
    if (NumLines < MaxReactions) DisplayLine(NumLines - FirstReact);
    if (VisibleRows() <= NumLines) ShowScrollBar(NumLines, ScrollBar->value());
}

void TReactPanel::konBoxChange(int row) { FollowRateText(konBox[row], FitKfwdCheck[row]); }

void TReactPanel::koffBoxChange(int row) { FollowRateText(koffBox[row], FitKrevCheck[row]); }

void TReactPanel::ScrollReact(int pos) {
    ReadFromControls();
    FirstReact = std::clamp(pos, 0, MaxReactions);
    WriteToControls();
}

void TReactPanel::FitScrollBar(int position) {
    if (VisibleRows() <= NumLines)
        ShowScrollBar(NumLines, position);
    else
        HideScrollBar();
}

void TReactPanel::PanelResize() {
    if (VisibleRows() <= NumLines) {
        ShowScrollBar(NumLines, FirstReact);
    } else {
        ReadFromControls();
        HideScrollBar();
        FirstReact = 0;
        WriteToControls();
    }
}


} // namespace kivra
