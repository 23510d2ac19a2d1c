#include "app/mainform.h"

namespace kivra {

void TMainForm::ConnectReportCommands() {}

} // namespace kivra
