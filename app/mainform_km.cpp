#include "app/kmcalcform.h"
#include "app/mainform.h"

namespace kivra {

void TMainForm::ConnectKmCommands() {
    connect(RunKmCalcItem, &QAction::triggered, this, [this] { kmCalculatorClick(); });
}

void TMainForm::kmCalculatorClick() {
    if (!KmCalcForm) return;
    // The calculator touches no model data. During a run a modal loop would
    // hold the run's steps until it closes, so there it opens beside the run.
    if (Busy()) {
        KmCalcForm->show();
        KmCalcForm->raise();
    } else {
        KmCalcForm->exec();
    }
}

} // namespace kivra
