#pragma once
#include <QMainWindow>

#include "engine/session/mainform_core.h"

namespace kivra {

class TMainForm : public QMainWindow, public TMainFormCore {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
};

} // namespace kivra
