#include "app/mainform.h"

namespace kivra {

void TMainForm::ConnectModelFileCommands() {}

} // namespace kivra
