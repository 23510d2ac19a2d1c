#include "app/mainform.h"

namespace kivra {

void TMainForm::ConnectMonteCommands() {}

} // namespace kivra
