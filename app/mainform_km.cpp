#include "app/kmcalcform.h"
#include "app/mainform.h"

namespace kivra {

void TMainForm::ConnectKmCommands() {
    connect(RunKmCalcItem, &QAction::triggered, this, [this] { kmCalculatorClick(); });
}

void TMainForm::kmCalculatorClick() {
    if (!KmCalcForm) return;
    // The calculator touches no model data. During a run a modal loop would
    // hold the run's steps until it closes, so there it opens beside the run;
    // open already, it comes to the front (run modally on top of itself it
    // would stay modeless, with the window's commands running inside it).
    if (Busy() || KmCalcForm->isVisible()) {
        KmCalcForm->show();
        KmCalcForm->raise();
        KmCalcForm->activateWindow();
    } else {
        KmCalcForm->exec();
    }
}

} // namespace kivra
