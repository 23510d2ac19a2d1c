// Widget tests run under a comma-decimal locale on the offscreen platform, so
// that every test also proves numbers keep their "." once the program has
// restored the numeric locale.
#include <QApplication>
#include <QTemporaryDir>
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
    return RUN_ALL_TESTS();
}
