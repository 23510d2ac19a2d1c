#pragma once
#include <QMainWindow>

#include "pages/model_data.h"

namespace kivra {

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);

    TModelData Model;
};

} // namespace kivra
