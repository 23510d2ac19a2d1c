#include "app/mainform.h"

namespace kivra {

void TMainForm::ConnectCommands() {}

} // namespace kivra
