#include <QAction>
#include <QLineEdit>
#include <QStatusBar>
#include <QToolButton>

#include "app/mainform.h"
#include "app/newsensdlg.h"
#include "app/noisedlg.h"
#include "app/smoothdlg.h"
#include "widgets/reactpanel.h"
#include "widgets/senstab_widget.h"
#include "widgets/specpanel.h"

namespace kivra {

void TMainForm::ConnectRunCommands() {
    connect(RunSimulationItem, &QAction::triggered, this, [this] { RunSimulation(); });
    connect(RunModelButton, &QToolButton::clicked, this, [this] { RunSimulation(); });
    connect(RunFitItem, &QAction::triggered, this, [this] { RunFit(); });
    connect(RunFitButton, &QToolButton::clicked, this, [this] { RunFit(); });
    connect(RunAddNoiseItem, &QAction::triggered, this, [this] { RunAddNoise(); });
    connect(RunSmoothItem, &QAction::triggered, this, [this] { RunSmoothItemClick(); });
}

void TMainForm::RunSmoothItemClick() { RunSmooth(); }

void TMainForm::ApplyRunLock() {
    // Disabling a panel keeps its controls' own enabled states for when it
    // is enabled again.
    const bool editable = !Busy();
    SpecPanel->setEnabled(editable);
    ReactPanel->setEnabled(editable);
    for (int i = 0; i < PageCount(); ++i) {
        TSensTab* page = SensPage(i);
        if (!page) continue;
        page->SpecPanel->setEnabled(editable);
        page->EditDataButton->setEnabled(editable);
        for (QToolButton* button : page->InjButtons) button->setEnabled(editable);
    }
}

void TMainForm::BusyChanged() { ApplyEnabling(); }

int TMainForm::ActiveDataPage() const {
    const TSensTab* page = ActiveSensPage();
    return page ? page->Tag : -1;
}

void TMainForm::RepaintStatus() {
    StatusLine->repaint();
    StatusGauge->repaint();
}

bool TMainForm::AskNewSet(TNewSetAnswer& answer) {
    TNewSensDlg dlg(this);
    if (dlg.exec() != QDialog::Accepted) return false;
    answer = dlg.Entries();
    return true;
}

bool TMainForm::AskNoise(std::string& noiseText) {
    TAddNoiseDlg dlg(this);
    if (dlg.exec() != QDialog::Accepted) return false;
    noiseText = dlg.NoiseBox->text().toStdString();
    return true;
}

bool TMainForm::AskSmooth(int& windowSize, int& order) {
    if (!SmoothDlg) return false;
    if (SmoothDlg->exec() != QDialog::Accepted) return false;
    windowSize = SmoothDlg->WindowSize;
    order = SmoothDlg->Order;
    return true;
}

} // namespace kivra
