#pragma once
// The program's start-up and end, apart from main() so that a test can run
// them: the start-up picture, the application's title, the main window and the
// forms that live as long as the program.
class QApplication;

namespace kivra {

// Shows the start-up picture, sets the title "KivraXP" and creates the main
// window (MainForm) and the program-wide dialogs, in that order.
void StartProgram(QApplication& app);
// Deletes what StartProgram made.
void EndProgram();

} // namespace kivra
