#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <gtest/gtest.h>

#include "app/kmcalcform.h"
#include "tests/support/scripted_messages.h"

using namespace kivra;

TEST(KmCalcForm, ButtonsRunTheChainAndReportThroughMessages) {
    test::ScriptedMessages msgs;
    TKmCalcForm form;
    EXPECT_EQ(form.windowTitle(), "Calculator");
    form.MWBox->setText("150000");
    form.AllDownButton->click();
    EXPECT_EQ(form.RadiusBox->text(), "3.51786e-07");
    EXPECT_EQ(form.KmBox->text(), "3.32571e+09");
    form.DiffBox->clear();
    form.KmDButton->click();
    EXPECT_EQ(form.DiffBox->text(), "7.88280e-07");

    form.WidthBox->setText("0");
    form.DKmButton->click();
    EXPECT_EQ(form.KmBox->text(), "3.32571e+09");
    ASSERT_EQ(msgs.Count(), 1u);
    EXPECT_EQ(msgs.Last().Text, "Flow cell width is zero");
    EXPECT_EQ(msgs.Last().Caption, "Calculation Error");
    EXPECT_EQ(msgs.Last().Icon, MsgIcon::None);
}

TEST(KmCalcForm, CopyPutsKmOnTheClipboardClosesAndKeepsTheTexts) {
    test::ScriptedMessages msgs;
    TKmCalcForm form;
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText("before");
    form.show();
    form.CopyButton->click();  // an empty km copies nothing
    EXPECT_EQ(clipboard->text(), "before");

    form.show();
    form.MWBox->setText("150000");
    form.KmBox->setText("3.32571e+09");
    form.CopyButton->click();
    EXPECT_EQ(clipboard->text(), "3.32571e+09");
    EXPECT_FALSE(form.isVisible());
    form.show();
    EXPECT_EQ(form.KmBox->text(), "3.32571e+09");
    EXPECT_EQ(form.MWBox->text(), "150000");
    form.CloseButton->click();
    EXPECT_FALSE(form.isVisible());
}

// Whatever font stands in for the 8-point one, no text is cut off or covered.
TEST(KmCalcForm, LabelsAndButtonsFitTheirTexts) {
    TKmCalcForm form;
    EXPECT_GE(form.width(), 391);
    EXPECT_EQ(form.height(), 285);
    const QRect client = form.rect();
    const auto boxes = form.findChildren<QLineEdit*>();
    for (QWidget* w : form.findChildren<QWidget*>()) {
        if (!qobject_cast<QLabel*>(w) && !qobject_cast<QPushButton*>(w)) continue;
        SCOPED_TRACE(w->metaObject()->className());
        const QRect r(w->mapTo(&form, QPoint(0, 0)), w->size());
        EXPECT_GE(r.width(), w->sizeHint().width());
        EXPECT_TRUE(client.contains(r));
        for (QLineEdit* box : boxes) EXPECT_FALSE(r.intersects(box->geometry())) << box->text().toStdString();
    }
    // A result shows whole: the box's right edge lies past its last character.
    for (QLineEdit* box : {form.MWBox, form.RadiusBox, form.FrictionBox, form.DiffBox, form.KmBox}) {
        box->setText(QString::fromStdString(FormatCalcValue(-8.88888e-308)));
        box->setCursorPosition(0);
        EXPECT_EQ(box->cursorPositionAt(QPoint(box->width() - 4, box->height() / 2)), box->text().size());
    }
}
