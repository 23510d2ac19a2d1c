#pragma once
#include <QMainWindow>

#include "engine/model/model_data.h"

namespace kivra {

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);

    TModelData Model;
};

} // namespace kivra
