#include "app/printreportdlg.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QTabWidget>

#include "widgets/edit_box.h"

namespace kivra {

TPrintReportDlg* PrintReportDlg = nullptr;

namespace {

template <class Control>
Control* AddNamed(QWidget* parent, QBoxLayout* column, const char* caption, const char* name, bool ticked) {
    auto* control = new Control(QString::fromLatin1(caption), parent);
    control->setObjectName(QString::fromLatin1(name));
    control->setChecked(ticked);
    column->addWidget(control);
    return control;
}

QWidget* AddSheet(QTabWidget* tabs, const char* caption, const char* name) {
    auto* sheet = new QWidget(tabs);
    sheet->setObjectName(QString::fromLatin1(name));
    tabs->addTab(sheet, QString::fromLatin1(caption));
    return sheet;
}

QLineEdit* AddWidthBox(QWidget* parent, QBoxLayout* column, QLabel*& label, const char* caption,
                       const char* name, const char* text) {
    auto* row = new QHBoxLayout;
    auto* box = new QLineEdit(QString::fromLatin1(text), parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setMaximumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    label = new QLabel(QString::fromLatin1(caption), parent);
    label->setBuddy(box);
    row->addWidget(box);
    row->addWidget(label);
    row->addStretch(1);
    column->addLayout(row);
    return box;
}

// A stored radio choice that names no item keeps the present one.
template <class Enum>
Enum StoredChoice(QSettings& store, const char* key, Enum current, int count) {
    bool ok = false;
    const int v = store.value(QString::fromLatin1(key)).toInt(&ok);
    return ok && v >= 0 && v < count ? static_cast<Enum>(v) : current;
}

bool StoredFlag(QSettings& store, const char* key, bool current) {
    const QVariant v = store.value(QString::fromLatin1(key));
    return v.isValid() ? v.toBool() : current;
}

// A paper side in points, up to 200 inches.
int StoredSide(QSettings& store, const char* key) {
    bool ok = false;
    const int v = store.value(QString::fromLatin1(key)).toInt(&ok);
    return ok && v > 0 && v <= 14400 ? v : 0;
}

// Into the store's open group.
void PutPaper(QSettings& store, int width, int height, bool landscape) {
    store.setValue(QStringLiteral("PaperWidth"), width);
    store.setValue(QStringLiteral("PaperHeight"), height);
    store.setValue(QStringLiteral("Landscape"), landscape);
}

std::string StoredText(QSettings& store, const char* key, const std::string& current) {
    const QVariant v = store.value(QString::fromLatin1(key));
    // A pen width is a few characters; anything else is not one of ours.
    return v.isValid() && v.toString().size() <= 32 ? v.toString().toStdString() : current;
}

} // namespace

TPrintReportDlg::TPrintReportDlg(QWidget* owner, std::unique_ptr<QSettings> store)
    : QDialog(owner), Store(std::move(store)) {
    setWindowTitle(QStringLiteral("Print Report"));
    setModal(true);
    auto* outer = new QVBoxLayout(this);
    Tabs = new QTabWidget(this);
    // The dialog is as wide as its tabs' captions: none is cut off behind
    // scroll arrows.
    Tabs->setUsesScrollButtons(false);
    outer->addWidget(Tabs);

    ReportSheet = AddSheet(Tabs, "Report", "ReportSheet");
    auto* col = new QVBoxLayout(ReportSheet);
    IncludeLabel = new QLabel(QStringLiteral("Include:"), ReportSheet);
    col->addWidget(IncludeLabel);
    PlotCheck = AddNamed<QCheckBox>(ReportSheet, col, "Plots", "PlotCheck", true);
    ModelCheck = AddNamed<QCheckBox>(ReportSheet, col, "Model", "ModelCheck", true);
    ResultCheck = AddNamed<QCheckBox>(ReportSheet, col, "Fit results", "ResultCheck", true);
    MonteCheck = AddNamed<QCheckBox>(ReportSheet, col, "Monte Carlo results", "MonteCheck", false);
    TimeCheck = AddNamed<QCheckBox>(ReportSheet, col, "Time stamp", "TimeCheck", true);
    col->addStretch(1);

    PlotSheet = AddSheet(Tabs, "Plots", "PlotSheet");
    auto* row = new QHBoxLayout(PlotSheet);
    PlotGroup = new TRadioGroup(QStringLiteral("Data"), {"None", "Full page", "Half page", "All on one page"}, 2,
                                PlotSheet);
    PlotGroup->setObjectName(QStringLiteral("PlotGroup"));
    ResidualGroup = new TRadioGroup(QStringLiteral("Residuals"),
                                    {"None", "Include with data", "Full page", "Half page", "All on one page"}, 0,
                                    PlotSheet);
    ResidualGroup->setObjectName(QStringLiteral("ResidualGroup"));
    DataSimGroup = new TRadioGroup(QString(), {"Data", "Sim", "Data and Sim"}, 2, PlotSheet);
    DataSimGroup->setObjectName(QStringLiteral("DataSimGroup"));
    row->addWidget(PlotGroup, 0, Qt::AlignTop);
    row->addWidget(ResidualGroup, 0, Qt::AlignTop);
    row->addWidget(DataSimGroup, 0, Qt::AlignTop);

    ModelSheet = AddSheet(Tabs, "Model", "ModelSheet");
    col = new QVBoxLayout(ModelSheet);
    SpeciesCheck = AddNamed<QCheckBox>(ModelSheet, col, "Species", "SpeciesCheck", true);
    ReactionCheck = AddNamed<QCheckBox>(ModelSheet, col, "Reactions", "ReactionCheck", true);
    InjConcCheck = AddNamed<QCheckBox>(ModelSheet, col, "Injected Concentrations", "InjConcCheck", false);
    RefIndexCheck = AddNamed<QCheckBox>(ModelSheet, col, "Refractive Index Change", "RefIndexCheck", false);
    col->addStretch(1);

    ResultSheet = AddSheet(Tabs, "Fit Results", "ResultSheet");
    col = new QVBoxLayout(ResultSheet);
    FitCheck = AddNamed<QCheckBox>(ResultSheet, col, "Fit results", "FitCheck", true);
    CorrelationCheck = AddNamed<QCheckBox>(ResultSheet, col, "Correlations", "CorrelationCheck", true);
    col->addStretch(1);

    MonteSheet = AddSheet(Tabs, "Monte", "MonteSheet");
    col = new QVBoxLayout(MonteSheet);
    MonteReportCheck = AddNamed<QCheckBox>(MonteSheet, col, "Report", "MonteReportCheck", true);
    MonteGraphCheck = AddNamed<QCheckBox>(MonteSheet, col, "Graphs", "MonteGraphCheck", false);
    col->addStretch(1);

    OptionSheet = AddSheet(Tabs, "Options", "OptionSheet");
    col = new QVBoxLayout(OptionSheet);
    UseColorCheck = AddNamed<QCheckBox>(OptionSheet, col, "Use color", "UseColorCheck", true);
    CopyFormatCheck =
        AddNamed<QCheckBox>(OptionSheet, col, "Copy plot page graph format", "CopyFormatCheck", false);
    AxisWidthBox = AddWidthBox(OptionSheet, col, AxisWidthLabel, "Axis Width", "AxisWidthBox", "3");
    LineWidthBox = AddWidthBox(OptionSheet, col, LineWidthLabel, "Line Width", "LineWidthBox", "1");
    col->addStretch(1);

    auto* buttons = new QHBoxLayout;
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    SetupButton = new QPushButton(QStringLiteral("Print Setup"), this);
    SetupButton->setObjectName(QStringLiteral("SetupButton"));
    SetupButton->setAutoDefault(false);
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    buttons->addWidget(SetupButton);
    outer->addLayout(buttons);

    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(SetupButton, &QPushButton::clicked, this, [this] { SetupButtonClick(); });
    connect(ModelCheck, &QCheckBox::toggled, this, [this] { ModelCheckClick(); });
    connect(PlotCheck, &QCheckBox::toggled, this, [this] { PlotCheckClick(); });
    connect(ResultCheck, &QCheckBox::toggled, this, [this] { ResultCheckClick(); });
    connect(MonteCheck, &QCheckBox::toggled, this, [this] { MonteCheckClick(); });

    for (int i = 0; i < Tabs->count(); ++i) Sheets.push_back({Tabs->widget(i), Tabs->tabText(i)});
    // Sized with every sheet in, it keeps its size whichever tabs are offered.
    Designed = sizeHint().expandedTo(QSize(305, 256));
    if (Store) LoadSettings(*Store);
    ModelCheckClick();
    PlotCheckClick();
    ResultCheckClick();
    MonteCheckClick();
    setFixedSize(Designed);
}

TPrintReportDlg::~TPrintReportDlg() = default;

std::unique_ptr<QSettings> TPrintReportDlg::ProgramStore() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("KivraXP"),
                                       QStringLiteral("KivraXP"));
}

// A sheet not offered leaves the tab bar; offered again, it comes back in its
// place among the others.
void TPrintReportDlg::ShowSheet(QWidget* sheet, bool shown) {
    const int at = Tabs->indexOf(sheet);
    if (!shown && at >= 0) Tabs->removeTab(at);
    if (shown && at < 0) {
        int place = 0;
        for (const auto& [other, caption] : Sheets) {
            if (other == sheet) {
                Tabs->insertTab(place, sheet, caption);
                break;
            }
            if (Tabs->indexOf(other) >= 0) ++place;
        }
    }
    // A tab added while the dialog is up widens it where needed.
    if (isVisible()) setFixedSize(sizeHint().expandedTo(size()));
}

void TPrintReportDlg::ModelCheckClick() { ShowSheet(ModelSheet, ModelCheck->isChecked()); }
void TPrintReportDlg::PlotCheckClick() { ShowSheet(PlotSheet, PlotCheck->isChecked()); }
void TPrintReportDlg::ResultCheckClick() { ShowSheet(ResultSheet, ResultCheck->isChecked()); }
void TPrintReportDlg::MonteCheckClick() { ShowSheet(MonteSheet, MonteCheck->isChecked()); }

void TPrintReportDlg::SetupButtonClick() {
    if (OnPrintSetup) OnPrintSetup();
}

void TPrintReportDlg::FollowPages(bool resultsShown, bool monteShown) {
    ResultCheck->setChecked(resultsShown);
    ResultCheck->setEnabled(resultsShown);
    ResultCheckClick();
    MonteCheck->setChecked(monteShown);
    MonteCheck->setEnabled(monteShown);
    MonteCheckClick();
}

void TPrintReportDlg::KeepPaper(int width, int height, bool landscape) {
    PaperWidth = width;
    PaperHeight = height;
    Landscape = landscape;
    if (!Store) return;
    // Only the paper: the other choices wait for the dialog's OK.
    Store->beginGroup(QStringLiteral("PrintReport"));
    PutPaper(*Store, width, height, landscape);
    Store->endGroup();
    Store->sync();
}

TReportSettings TPrintReportDlg::Settings() const {
    TReportSettings s;
    s.Plots = PlotCheck->isChecked();
    s.Model = ModelCheck->isChecked();
    s.FitResults = ResultCheck->isChecked();
    s.Monte = MonteCheck->isChecked();
    s.TimeStamp = TimeCheck->isChecked();
    s.PlotMode = static_cast<TPlotMode>(std::max(0, PlotGroup->ItemIndex()));
    s.ResidualMode = static_cast<TResidualMode>(std::max(0, ResidualGroup->ItemIndex()));
    s.DataSim = static_cast<TDataSim>(std::max(0, DataSimGroup->ItemIndex()));
    s.Species = SpeciesCheck->isChecked();
    s.Reactions = ReactionCheck->isChecked();
    s.InjConc = InjConcCheck->isChecked();
    s.RefIndex = RefIndexCheck->isChecked();
    s.Fit = FitCheck->isChecked();
    s.Correlations = CorrelationCheck->isChecked();
    s.MonteReport = MonteReportCheck->isChecked();
    s.MonteGraphs = MonteGraphCheck->isChecked();
    s.UseColor = UseColorCheck->isChecked();
    s.CopyFormat = CopyFormatCheck->isChecked();
    s.AxisWidth = AxisWidthBox->text().toStdString();
    s.LineWidth = LineWidthBox->text().toStdString();
    s.PaperWidth = PaperWidth;
    s.PaperHeight = PaperHeight;
    s.Landscape = Landscape;
    return s;
}

void TPrintReportDlg::SetSettings(const TReportSettings& s) {
    PlotCheck->setChecked(s.Plots);
    ModelCheck->setChecked(s.Model);
    ResultCheck->setChecked(s.FitResults);
    MonteCheck->setChecked(s.Monte);
    TimeCheck->setChecked(s.TimeStamp);
    PlotGroup->SetItemIndex(static_cast<int>(s.PlotMode));
    ResidualGroup->SetItemIndex(static_cast<int>(s.ResidualMode));
    DataSimGroup->SetItemIndex(static_cast<int>(s.DataSim));
    SpeciesCheck->setChecked(s.Species);
    ReactionCheck->setChecked(s.Reactions);
    InjConcCheck->setChecked(s.InjConc);
    RefIndexCheck->setChecked(s.RefIndex);
    FitCheck->setChecked(s.Fit);
    CorrelationCheck->setChecked(s.Correlations);
    MonteReportCheck->setChecked(s.MonteReport);
    MonteGraphCheck->setChecked(s.MonteGraphs);
    UseColorCheck->setChecked(s.UseColor);
    CopyFormatCheck->setChecked(s.CopyFormat);
    FillBox(AxisWidthBox, QString::fromStdString(s.AxisWidth));
    FillBox(LineWidthBox, QString::fromStdString(s.LineWidth));
    PaperWidth = s.PaperWidth;
    PaperHeight = s.PaperHeight;
    Landscape = s.Landscape;
}

// "Fit results" and "Monte Carlo results" are not stored: every print sets
// them from the main window's pages.
void TPrintReportDlg::LoadSettings(QSettings& store) {
    TReportSettings s = Settings();
    store.beginGroup(QStringLiteral("PrintReport"));
    s.Plots = StoredFlag(store, "Plots", s.Plots);
    s.Model = StoredFlag(store, "Model", s.Model);
    s.TimeStamp = StoredFlag(store, "TimeStamp", s.TimeStamp);
    s.PlotMode = StoredChoice(store, "PlotMode", s.PlotMode, PlotGroup->Count());
    s.ResidualMode = StoredChoice(store, "ResidualMode", s.ResidualMode, ResidualGroup->Count());
    s.DataSim = StoredChoice(store, "DataSim", s.DataSim, DataSimGroup->Count());
    s.Species = StoredFlag(store, "Species", s.Species);
    s.Reactions = StoredFlag(store, "Reactions", s.Reactions);
    s.InjConc = StoredFlag(store, "InjConc", s.InjConc);
    s.RefIndex = StoredFlag(store, "RefIndex", s.RefIndex);
    s.Fit = StoredFlag(store, "Fit", s.Fit);
    s.Correlations = StoredFlag(store, "Correlations", s.Correlations);
    s.MonteReport = StoredFlag(store, "MonteReport", s.MonteReport);
    s.MonteGraphs = StoredFlag(store, "MonteGraphs", s.MonteGraphs);
    s.UseColor = StoredFlag(store, "UseColor", s.UseColor);
    s.CopyFormat = StoredFlag(store, "CopyFormat", s.CopyFormat);
    s.AxisWidth = StoredText(store, "AxisWidth", s.AxisWidth);
    s.LineWidth = StoredText(store, "LineWidth", s.LineWidth);
    s.PaperWidth = StoredSide(store, "PaperWidth");
    s.PaperHeight = StoredSide(store, "PaperHeight");
    if (!s.PaperWidth || !s.PaperHeight) s.PaperWidth = s.PaperHeight = 0;
    s.Landscape = StoredFlag(store, "Landscape", s.Landscape);
    store.endGroup();
    SetSettings(s);
}

void TPrintReportDlg::SaveSettings(QSettings& store) const {
    const TReportSettings s = Settings();
    store.beginGroup(QStringLiteral("PrintReport"));
    auto put = [&](const char* key, const QVariant& v) { store.setValue(QString::fromLatin1(key), v); };
    put("Plots", s.Plots);
    put("Model", s.Model);
    put("TimeStamp", s.TimeStamp);
    put("PlotMode", static_cast<int>(s.PlotMode));
    put("ResidualMode", static_cast<int>(s.ResidualMode));
    put("DataSim", static_cast<int>(s.DataSim));
    put("Species", s.Species);
    put("Reactions", s.Reactions);
    put("InjConc", s.InjConc);
    put("RefIndex", s.RefIndex);
    put("Fit", s.Fit);
    put("Correlations", s.Correlations);
    put("MonteReport", s.MonteReport);
    put("MonteGraphs", s.MonteGraphs);
    put("UseColor", s.UseColor);
    put("CopyFormat", s.CopyFormat);
    put("AxisWidth", QString::fromStdString(s.AxisWidth));
    put("LineWidth", QString::fromStdString(s.LineWidth));
    PutPaper(store, s.PaperWidth, s.PaperHeight, s.Landscape);
    store.endGroup();
}

void TPrintReportDlg::accept() {
    if (Store) {
        SaveSettings(*Store);
        Store->sync();
    }
    QDialog::accept();
}

void TPrintReportDlg::showEvent(QShowEvent* event) {
    // The desktop's font may have grown since start-up: wide enough for the
    // offered tabs in the font of this showing.
    layout()->invalidate();
    setFixedSize(sizeHint().expandedTo(Designed));
    if (const QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
}

} // namespace kivra
