#include "app/mainform.h"

namespace kivra {

void TMainForm::ConnectRunCommands() {}

} // namespace kivra
