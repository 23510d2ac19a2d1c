#include "app/startup.h"

#include <QApplication>

#include "app/mainform.h"
#include "app/splash.h"

namespace kivra {

void StartProgram(QApplication& app) {
    (void)app;
    SplashForm = new TSplashForm;
    CentreOnScreen(SplashForm);
    SplashForm->show();
    SplashForm->repaint();
    QApplication::setApplicationName(QStringLiteral("KivraXP"));
    QApplication::setApplicationDisplayName(QStringLiteral("KivraXP"));
    MainForm = new TMainForm;
    // ---- program-wide dialogs, created here in this order once they exist:
    // TPrintReportDlg (PrintReportDlg), TKmCalcForm (KmCalcForm), TSmoothDlg (SmoothDlg).
}

void EndProgram() {
    delete MainForm;  // also hides and deletes the start-up picture
    MainForm = nullptr;
    delete SplashForm;
    SplashForm = nullptr;
}

} // namespace kivra
