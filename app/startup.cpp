#include "app/startup.h"

#include <QApplication>

#include "app/kmcalcform.h"
#include "app/mainform.h"
#include "app/printreportdlg.h"
#include "app/splash.h"

namespace kivra {

TKmCalcForm* KmCalcForm = nullptr;

void StartProgram(QApplication& app) {
    (void)app;
    SplashForm = new TSplashForm;
    CentreOnScreen(SplashForm);
    SplashForm->show();
    SplashForm->repaint();
    QApplication::setApplicationName(QStringLiteral("KivraXP"));
    QApplication::setApplicationDisplayName(QStringLiteral("KivraXP"));
    MainForm = new TMainForm;
    // ---- program-wide dialogs, in this order: TPrintReportDlg, TKmCalcForm, TSmoothDlg.
    PrintReportDlg = new TPrintReportDlg(MainForm, TPrintReportDlg::ProgramStore());
    PrintReportDlg->OnPrintSetup = [] { MainForm->PrintSetupDialog(); };
    KmCalcForm = new TKmCalcForm(MainForm);
}

void EndProgram() {
    KmCalcForm = nullptr;  // a child of the main window
    PrintReportDlg = nullptr;  // the same
    delete MainForm;  // also hides and deletes the start-up picture
    MainForm = nullptr;
    delete SplashForm;
    SplashForm = nullptr;
}

} // namespace kivra
