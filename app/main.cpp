#include <QApplication>

#include "app/mainform.h"
#include "platform/qt/qt_messages.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    kivra::UseCNumericLocale();
    QApplication::setApplicationName("KivraXP");
    kivra::TMainForm form;
    kivra::QtMessageSink sink(&form);
    kivra::SetMessageSink(&sink);
    form.show();
    const int rc = app.exec();
    kivra::SetMessageSink(nullptr);
    return rc;
}
