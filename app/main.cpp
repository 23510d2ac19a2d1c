#include <QApplication>
#include <QMessageBox>
#include <exception>

#include "app/mainform.h"
#include "app/startup.h"
#include "platform/qt/qt_messages.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    kivra::UseCNumericLocale();
    kivra::QtMessageSink sink;
    kivra::SetMessageSink(&sink);
    try {
        kivra::StartProgram(app);
        sink.SetParent(kivra::MainForm);
        kivra::MainForm->show();
        app.exec();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QStringLiteral("KivraXP"), QString::fromLocal8Bit(e.what()));
    }
    kivra::EndProgram();
    kivra::SetMessageSink(nullptr);
    return 0;
}
