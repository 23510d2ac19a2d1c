// The File, Data and Help commands, the plot popup, and the data page's file
// routines LoadData and SaveData.
#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolButton>
#include <algorithm>

#include "app/mainform.h"
#include "app/splash.h"
#include "engine/files/file_choices.h"
#include "engine/session/dialog_entries.h"
#include "platform/core/messages.h"
#include "widgets/plot.h"
#include "widgets/reactpanel.h"
#include "widgets/senstab_widget.h"
#include "widgets/specpanel.h"

namespace kivra {

void TMainForm::ConnectCommands() {
    auto on = [this](QObject* sender, void (TMainForm::*handler)()) {
        if (auto* item = qobject_cast<QAction*>(sender))
            connect(item, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
        else
            connect(static_cast<QToolButton*>(sender), &QToolButton::clicked, this, [this, handler] { (this->*handler)(); });
    };
    on(FileNewItem, &TMainForm::FileNew);
    on(NewButton, &TMainForm::FileNew);
    on(FileOpenItem, &TMainForm::FileOpen);
    on(OpenButton, &TMainForm::FileOpen);
    on(FileSaveItem, &TMainForm::FileSave);
    on(SaveButton, &TMainForm::FileSave);
    on(FileExitItem, &TMainForm::FileExit);
    on(DataAddPageItem, &TMainForm::DataAddPage);
    on(NewSensButton, &TMainForm::DataAddPage);
    on(DataDeletePageItem, &TMainForm::DataDeletePage);
    on(DataResidualsItem, &TMainForm::DataResiduals);
    on(ResidualButton, &TMainForm::DataResiduals);
    on(HelpContentsItem, &TMainForm::HelpContents);
    on(HelpButton, &TMainForm::HelpContents);
    on(HelpAboutItem, &TMainForm::HelpAbout);
    connect(PlotPopup, &QMenu::aboutToShow, this, [this] { PlotPopupPopup(); });
    on(ZoomInItem, &TMainForm::ZoomInClick);
    on(ZoomOutItem, &TMainForm::ZoomOutClick);
    on(MaximizeItem, &TMainForm::MaximizeClick);
    on(SingleCurveItem, &TMainForm::ShowSingleClick);
    on(NextCurveItem, &TMainForm::NextCurveClick);
    on(ResidualsItem, &TMainForm::ShowResidualsClick);
    on(EditCurveItem, &TMainForm::EditCurveClick);
}

// ---- File ------------------------------------------------------------------------------

bool TMainForm::DiscardModel() {
    if (Busy()) return false;
    if (ShowMessage("Do you want to discard current model?", "Are you sure?", MsgButtons::YesNo) != MsgResult::Yes)
        return false;
    SpecPanel->ClearControls();
    ReactPanel->ClearControls();
    // A save of the new model asks for its own file.
    ModelFileName.clear();
    BuildModelHeads();
    for (int i = 0; i < PageCount(); ++i) SensPage(i)->ClearModel();
    SetSsqText("");
    MonteModelReplaced = true;
    return true;
}

void TMainForm::FileNew() {
    if (Busy()) return;
    TCommandScope command(*this);
    if (command.Refused()) return;
    if (ActivePageKind() == PageKind::Model) {
        DiscardModel();
        return;
    }
    QPointer<TSensTab> page = ActiveSensPage();
    if (!page) return;
    TNewSetAnswer answer;
    if (!AskNewSet(answer) || !page) return;
    // A box that does not convert counts as 0; values the set cannot be made
    // of make nothing, without a word.
    int curves = 0;
    double total = 0, interval = 0;
    if (!ReadTypedInteger(answer.Curves, curves)) curves = 0;
    if (!ReadTypedDecimal(answer.TotalTime, total)) total = 0;
    if (!ReadTypedDecimal(answer.Interval, interval)) interval = 0;
    if (curves < 1 || !(total > interval) || !(interval > 0)) return;
    page->CreateSet(curves, total, interval);
    GetModel(true);
}

void TMainForm::FileOpen() {
    if (Busy()) return;
    TCommandScope command(*this);
    const PageKind kind = ActivePageKind();
    if (command.Refused() || (kind != PageKind::Model && kind != PageKind::Data)) return;
    if (kind == PageKind::Model && !SaveChangedModel("Open Model")) return;
    RunState = 0;
    SetStatusText("Loading");
    RepaintStatus();
    bool ok = kind == PageKind::Model ? LoadModel() : LoadData();
    // Whatever was read reaches the model and every page; a panel that
    // cannot be read leaves the open unfinished. A model file's load does
    // that itself, and without one the model stays as the question read it.
    if (kind == PageKind::Data && !GetModel(true)) ok = false;
    RunState = 7;
    SetStatusText(ok ? "Done" : "");
    RepaintStatus();
}

void TMainForm::FileSave() {
    if (Busy()) return;
    TCommandScope command(*this);
    const PageKind kind = ActivePageKind();
    if (command.Refused() || kind == PageKind::Plot) return;
    RunState = 0;
    SetStatusText("Saving");
    RepaintStatus();
    // The model is read once, before anything is saved.
    bool ok = GetModel(true);
    if (ok) {
        switch (kind) {
        case PageKind::Model: ok = SaveSynchronisedModel(); break;
        case PageKind::Monte: ok = SaveMonteResults(); break;
        case PageKind::Results: ok = SaveResults(); break;
        case PageKind::Data: ok = SaveData(); break;
        case PageKind::Plot: ok = false; break;
        }
    }
    RunState = 7;
    SetStatusText(ok ? "Done" : "");
    RepaintStatus();
}

void TMainForm::FileExit() { close(); }

bool TMainForm::LoadData() {
    QPointer<TSensTab> page = ActiveSensPage();
    if (!page || Busy()) return false;
    std::string name;
    if (!AskFileName(FileDialog::DataOpen, name) || !page) return false;
    return page->LoadSens(name);
}

bool TMainForm::SaveData() {
    QPointer<TSensTab> page = ActiveSensPage();
    if (!page || Busy()) return false;
    SaveParts parts;
    if (!CurrentFileChoices().ChooseSaveParts(parts)) return false;
    bool written = false, failed = false;
    for (const SaveRequest& file : SaveRequests(parts)) {
        DataSaveDlg->setWindowTitle(QString::fromStdString(file.Title));
        std::string name;
        const bool chosen = AskFileName(FileDialog::DataSave, name);
        DataSaveDlg->setWindowTitle(QStringLiteral("Save Data"));
        // A cancelled dialog skips only its own part.
        if (!chosen) continue;
        if (!page) return false;
        if (page->WriteData(name, file.Mask)) written = true;
        else failed = true;
    }
    return written && !failed;
}

// ---- Data ------------------------------------------------------------------------------

void TMainForm::DataAddPage() {
    if (Busy()) return;
    TCommandScope command(*this);
    if (command.Refused()) return;
    if (PageCount() >= MaxSets) {
        ShowMessage("Maximum number of sets", "Sorry");
        return;
    }
    TSensTabCore* page = AddPage();
    if (!page) return;
    GetModel(true);
    ShowDataPage(page->Tag);
}

void TMainForm::DataDeletePage() {
    if (Busy()) return;
    TCommandScope command(*this);
    QPointer<TSensTab> page = ActiveSensPage();
    if (command.Refused() || !page) return;
    if (ShowMessage("Delete this data page?", "Confirm Delete", MsgButtons::YesNo) != MsgResult::Yes || !page) return;
    const int tag = page->Tag;
    DeletePage(tag);
    // The pages without data were numbered anew; their own plots carry the number.
    for (int i = 0; i < PageCount(); ++i)
        if (!SensPage(i)->GetLoaded()) SensPage(i)->PagePlot->SetTitle(SensPage(i)->Caption());
    GetModel(true);
    if (PageCount() == 0) ShowModelPage();
    else ShowDataPage(std::max(tag - 2, 0));
}

void TMainForm::DataResiduals() {
    switch (ActivePageKind()) {
    case PageKind::Data: {
        TPlot* plot = ActiveSensPage()->PagePlot;
        plot->SetRes(!plot->GetRes());
        break;
    }
    case PageKind::Plot:
        if (Plots.empty()) break;
        Plots.front()->SetRes(!Plots.front()->GetRes());
        for (TPlot* plot : Plots) plot->SetRes(Plots.front()->GetRes());
        break;
    default: break;
    }
}

// ---- Help ------------------------------------------------------------------------------

QString TMainForm::HelpFileName() {
    const QString file = QStringLiteral("help/Kivra99.html");
    const QString data = QStringLiteral(KIVRA_DATA_SUBDIR);
    const QString installed =
        QDir::isAbsolutePath(data) ? data : QCoreApplication::applicationDirPath() + QStringLiteral("/../") + data;
    for (const QString& folder : {installed, QStringLiteral(KIVRA_SOURCE_DIR)}) {
        const QFileInfo info(QDir(folder).filePath(file));
        if (info.isFile()) return info.canonicalFilePath();
    }
    return {};
}

void TMainForm::HelpContents() {
    const QString file = HelpFileName();
    if (file.isEmpty()) {
        ShowMessage("The help file Kivra99.html was not found", "Help");
        return;
    }
    if (!HelpWindow) {
        HelpWindow = new QTextBrowser(this);
        HelpWindow->setWindowFlag(Qt::Window);
        HelpWindow->setOpenExternalLinks(true);
        const QFontMetrics metrics(HelpWindow->font());
        HelpWindow->resize(metrics.horizontalAdvance(QLatin1Char('x')) * 90, metrics.height() * 40);
        connect(HelpWindow, &QTextBrowser::sourceChanged, HelpWindow,
                [w = HelpWindow] { w->setWindowTitle(w->documentTitle()); });
    }
    HelpWindow->setSource(QUrl::fromLocalFile(file));
    HelpWindow->show();
    HelpWindow->raise();
    HelpWindow->activateWindow();
}

void TMainForm::HelpAbout() {
    if (!SplashForm) SplashForm = new TSplashForm;
    CentreOnScreen(SplashForm);
    SplashForm->show();
    SetStatusText("Click on box to remove");
}

// ---- plot popup ------------------------------------------------------------------------

TPlot* TMainForm::PopupPlot() const {
    auto* opened = PlotPopup->property(TPlot::PopupComponentProperty).value<QObject*>();
    if (!opened) return nullptr;
    // The menu may remember a plot that has gone since; only a plot of a page
    // that still exists is answered.
    for (const auto& page : Pages) {
        auto* p = static_cast<TSensTab*>(page.get());
        if (opened == p->PagePlot || opened == p->OverviewPlot.data()) return static_cast<TPlot*>(opened);
    }
    return nullptr;
}

void TMainForm::PlotPopupPopup() {
    TPlot* p = PopupPlot();
    if (!p) return;
    const bool plotPage = ActivePageKind() == PageKind::Plot;
    ZoomInItem->setEnabled(p->GetZoomable());
    ZoomOutItem->setEnabled(p->GetZoomed());
    MaximizeItem->setChecked(CurrentCurve >= 0 && CurrentCurve < static_cast<int>(Plots.size()) &&
                             Plots[static_cast<std::size_t>(CurrentCurve)] == p);
    MaximizeItem->setEnabled(plotPage && Plots.size() > 1);
    SingleCurveItem->setChecked(p->GetCurve() >= 0);
    NextCurveItem->setEnabled(p->GetCurve() >= 0);
    ResidualsItem->setChecked(p->GetRes());
    ResidualsItem->setEnabled(p->GetShowData() && p->GetShowSim());
    // Editing changes the data a run is using.
    EditCurveItem->setEnabled(!plotPage && !Busy());
}

void TMainForm::ZoomInClick() {
    if (TPlot* p = PopupPlot()) p->SetZoomed(true);
}

void TMainForm::ZoomOutClick() {
    if (TPlot* p = PopupPlot()) p->SetZoomed(false);
}

void TMainForm::MaximizeClick() {
    TPlot* p = PopupPlot();
    if (!p) return;
    if (CurrentCurve < 0) {
        const auto at = std::find(Plots.begin(), Plots.end(), p);
        if (at != Plots.end()) CurrentCurve = static_cast<int>(at - Plots.begin());
    } else {
        CurrentCurve = -1;
    }
    ArrangePlots(Plots, PlotPanel, CurrentCurve);
}

void TMainForm::ShowSingleClick() {
    TPlot* p = PopupPlot();
    if (!p) return;
    if (p->GetCurve() < 0) p->FindClosestCurve();
    else p->SetCurve(-1);
}

void TMainForm::NextCurveClick() {
    TPlot* p = PopupPlot();
    if (p && p->GetCurve() >= 0) p->SetCurve(p->GetCurve() + 1);
}

void TMainForm::ShowResidualsClick() {
    TPlot* p = PopupPlot();
    if (!p) return;
    p->SetRes(!p->GetRes());
    p->SetZoomed(false);
}

int TMainForm::EditCurveTarget(TPlot& p) {
    if (p.GetCurve() < 0 && p.GetSelX1() != p.GetSelX2() && p.GetSelY1() != p.GetSelY2()) p.FindClosestCurve();
    const int k = p.GetCurve();
    return k >= 0 ? -(k + 2) : -1;
}

void TMainForm::EditCurveClick() {
    TPlot* p = PopupPlot();
    TSensTab* page = ActiveSensPage();
    if (!p || !page || Busy()) return;
    TCommandScope command(*this);
    if (!command.Refused()) page->RunInjDlg(EditCurveTarget(*p));
}

} // namespace kivra
