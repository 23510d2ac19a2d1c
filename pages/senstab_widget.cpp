#include "pages/senstab_widget.h"

#include <QFont>
#include <QLabel>

namespace kivra {

TSensTab::TSensTab(QWidget* parent) : QWidget(parent) {
    FileNameText = new QLabel(this);
    FileNameText->setGeometry(53, 4, 145, 24);
    QFont font = FileNameText->font();
    font.setPixelSize(16);
    FileNameText->setFont(font);
    NumCurvesLabel = new QLabel(this);
    NumCurvesLabel->setGeometry(54, 30, 71, 13);
    NumPointsLabel = new QLabel(this);
    NumPointsLabel->setGeometry(54, 46, 71, 13);
    for (int j = 0; j < MaxInj; ++j) {
        InjLabels[j] = new QLabel(this);
        InjLabels[j]->setGeometry(54, 62 + 16 * j, 140, 13);
        InjLabels[j]->hide();
    }
    LabelsChanged();
}

void TSensTab::ClearDisplay() {
    TSensTabCore::ClearDisplay();
    setWindowTitle(QString::fromStdString(Caption()));
}

void TSensTab::LabelsChanged() {
    if (!FileNameText) return;  // still constructing
    FileNameText->setText(QString::fromStdString(FileNameTextValue()));
    NumCurvesLabel->setText(QString::fromStdString(NumCurvesText()));
    NumPointsLabel->setText(QString::fromStdString(NumPointsText()));
    for (int j = 0; j < MaxInj; ++j) {
        InjLabels[j]->setText(QString::fromStdString(InjLabelText(j)));
        InjLabels[j]->setVisible(InjLabelVisible(j));
    }
}

} // namespace kivra
