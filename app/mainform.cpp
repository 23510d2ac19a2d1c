#include "app/mainform.h"

#include "engine/numeric/randoms.h"

namespace kivra {

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle("KivraXP");
    resize(800, 600);
    SeedRandomFromClock();
}

} // namespace kivra
