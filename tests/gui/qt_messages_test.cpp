#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include "platform/qt/qt_messages.h"

using namespace kivra;

TEST(QtMessageSink, ShowsTextCaptionIconAndButtonsAndReturnsTheAnswer) {
    QtMessageSink sink;
    struct Seen {
        QString text, title;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        int buttons = 0;
    };
    struct Case {
        MsgButtons buttons;
        MsgIcon icon;
        QMessageBox::StandardButton press;
        MsgResult expected;
        QMessageBox::Icon qtIcon;
        int qtButtons;
    } cases[] = {
        {MsgButtons::Ok, MsgIcon::Exclamation, QMessageBox::Ok, MsgResult::Ok, QMessageBox::Warning,
         QMessageBox::Ok},
        {MsgButtons::YesNo, MsgIcon::None, QMessageBox::No, MsgResult::No, QMessageBox::NoIcon,
         QMessageBox::Yes | QMessageBox::No},
        {MsgButtons::YesNoCancel, MsgIcon::None, QMessageBox::Cancel, MsgResult::Cancel,
         QMessageBox::NoIcon, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel},
        {MsgButtons::YesNoCancel, MsgIcon::None, QMessageBox::Yes, MsgResult::Yes, QMessageBox::NoIcon,
         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel},
    };
    for (const Case& c : cases) {
        Seen seen;
        QTimer::singleShot(0, [&seen, c] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            seen.text = box->text();
            seen.title = box->windowTitle();
            seen.icon = box->icon();
            seen.buttons = static_cast<int>(box->standardButtons());
            box->button(c.press)->click();
        });
        const MsgResult r = sink.Show("Bad choice of values", "New Set Error", c.buttons, c.icon);
        EXPECT_EQ(r, c.expected);
        EXPECT_EQ(seen.text, "Bad choice of values");
        EXPECT_EQ(seen.title, "New Set Error");
        EXPECT_EQ(seen.icon, c.qtIcon);
        EXPECT_EQ(seen.buttons, c.qtButtons);
    }
}
