// Widget tests run under a comma-decimal locale on the offscreen platform, so
// that every test also proves numbers keep their "." once the program has
// restored the numeric locale.
#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <clocale>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

#include "platform/qt/qt_messages.h"

std::string g_numericLocaleAfterQApplication;

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    // Settings the program keeps go to a folder of this run, never the user's.
    QTemporaryDir configDir;
    if (configDir.isValid()) setenv("XDG_CONFIG_HOME", configDir.path().toLocal8Bit().constData(), 1);
    QApplication app(argc, argv);
    const char* loc = std::setlocale(LC_NUMERIC, nullptr);
    g_numericLocaleAfterQApplication = loc ? loc : "";
    kivra::UseCNumericLocale();
    ::testing::InitGoogleTest(&argc, argv);

    // A modal window that no test answers would wait for ever: one still up at
    // two checks in a row fails the test and is closed.
    QTimer watchdog;
    QPointer<QWidget> seen;
    QObject::connect(&watchdog, &QTimer::timeout, [&seen] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal == seen) {
            ADD_FAILURE() << "unanswered modal window: " << modal->windowTitle().toStdString();
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
            else
                modal->close();
        }
        seen = modal;
    });
    watchdog.start(2000);
    return RUN_ALL_TESTS();
}
