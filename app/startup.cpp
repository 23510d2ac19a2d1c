#include "app/startup.h"

#include <QApplication>
#include <memory>

#include "app/dialog_file_choices.h"
#include "app/kmcalcform.h"
#include "app/mainform.h"
#include "app/printreportdlg.h"
#include "app/smoothdlg.h"
#include "app/splash.h"

namespace kivra {

TKmCalcForm* KmCalcForm = nullptr;

namespace {
// The data file routines ask their questions through the dialogs.
std::unique_ptr<TDialogFileChoices> FileChoiceDialogs;
} // namespace

void StartProgram(QApplication& app) {
    (void)app;
    SplashForm = new TSplashForm;
    CentreOnScreen(SplashForm);
    SplashForm->show();
    SplashForm->repaint();
    // The name only: a display name would be appended by Qt to every window's
    // caption ("Run Fit Error — KivraXP").
    QApplication::setApplicationName(QStringLiteral("KivraXP"));
    MainForm = new TMainForm;
    // ---- program-wide dialogs, in this order: TPrintReportDlg, TKmCalcForm, TSmoothDlg.
    PrintReportDlg = new TPrintReportDlg(MainForm, TPrintReportDlg::ProgramStore());
    PrintReportDlg->OnPrintSetup = [] { MainForm->PrintSetupDialog(); };
    KmCalcForm = new TKmCalcForm(MainForm);
    SmoothDlg = new TSmoothDlg(MainForm);
    FileChoiceDialogs = std::make_unique<TDialogFileChoices>(MainForm);
    SetFileChoices(FileChoiceDialogs.get());
}

void EndProgram() {
    SetFileChoices(nullptr);
    FileChoiceDialogs.reset();
    KmCalcForm = nullptr;  // a child of the main window
    PrintReportDlg = nullptr;  // the same
    SmoothDlg = nullptr;
    delete MainForm;  // also hides and deletes the start-up picture
    MainForm = nullptr;
    delete SplashForm;
    SplashForm = nullptr;
}

} // namespace kivra
