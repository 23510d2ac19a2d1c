#pragma once
// The data page as a tab page: the data set lives in TSensTabCore; this half
// shows it. Controls arrive as the panels and plots do.
#include <QWidget>

#include "pages/senstab_core.h"

class QLabel;

namespace kivra {

class TSensTab : public QWidget, public TSensTabCore {
    Q_OBJECT
public:
    explicit TSensTab(QWidget* parent = nullptr);

    void ClearDisplay() override;
    void LabelsChanged() override;

    QLabel* FileNameText = nullptr;
    QLabel* NumCurvesLabel = nullptr;
    QLabel* NumPointsLabel = nullptr;
    QLabel* InjLabels[MaxInj] = {};
};

} // namespace kivra
