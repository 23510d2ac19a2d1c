#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

#include "app/choosesavedlg.h"
#include "app/dialog_file_choices.h"
#include "app/multidlg.h"
#include "app/newsensdlg.h"
#include "app/noisedlg.h"
#include "app/smoothdlg.h"
#include "tests/support/scripted_messages.h"

namespace kivra {
namespace {

// Runs act on the dialog that is modal once exec has shown it.
template <class Dialog>
void WhenShown(std::function<void(Dialog&)> act) {
    QTimer::singleShot(0, [act] {
        auto* dlg = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        act(*dlg);
    });
}

TEST(SmallDialogs, OpenWithTheirCaptionsAndTextsAndShowEveryTextWhole) {
    std::vector<std::unique_ptr<TSmallDialog>> dialogs;
    dialogs.push_back(std::make_unique<TNewSensDlg>(nullptr));
    dialogs.push_back(std::make_unique<TAddNoiseDlg>(nullptr));
    dialogs.push_back(std::make_unique<TChooseSaveDlg>(nullptr));
    dialogs.push_back(std::make_unique<TMultiDlg>(nullptr));
    dialogs.push_back(std::make_unique<TSmoothDlg>(nullptr));
    const QSize design[] = {{253, 181}, {217, 112}, {257, 155}, {300, 167}, {285, 201}};
    const char* captions[] = {"New Set Properties", "Dialog", "Save Data", "Load Multipart Data", "Smooth Data"};
    for (std::size_t i = 0; i < dialogs.size(); ++i) {
        TSmallDialog& d = *dialogs[i];
        d.show();
        EXPECT_EQ(d.windowTitle(), captions[i]);
        EXPECT_GE(d.width(), design[i].width());
        EXPECT_GE(d.height(), design[i].height());
        EXPECT_EQ(d.minimumSize(), d.maximumSize());
        EXPECT_TRUE(d.OKBtn->isDefault());
        for (const QWidget* w : d.findChildren<QWidget*>()) {
            if (qobject_cast<const QLabel*>(w) || qobject_cast<const QAbstractButton*>(w)) {
                EXPECT_GE(w->width(), w->sizeHint().width()) << captions[i];
            }
        }
        d.hide();
    }
}

TEST(TNewSensDlg, StaysOpenUntilTheEntriesPass) {
    test::ScriptedMessages msgs;
    TNewSensDlg dlg(nullptr);
    dlg.show();
    dlg.IntervalBox->setText("-1");
    dlg.TotalTimeBox->setText("-5");
    dlg.OKBtn->click();
    EXPECT_EQ(msgs.Count(), 3u);
    EXPECT_TRUE(dlg.isVisible());
    dlg.IntervalBox->setText("2.5");
    EXPECT_EQ(dlg.focusWidget(), dlg.TotalTimeBox);
    dlg.NumSensBox->setText("4");
    dlg.TotalTimeBox->setText("600");
    dlg.OKBtn->click();
    EXPECT_EQ(msgs.Count(), 3u);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.Entries().TotalTime, "600");
}

TEST(TChooseSaveDlg, OneFileOnlyWithTwoPartsAndItsTickKept) {
    TChooseSaveDlg dlg(nullptr);
    dlg.DataCheck->click();
    EXPECT_FALSE(dlg.OneCheck->isEnabled());
    dlg.ResCheck->click();
    ASSERT_TRUE(dlg.OneCheck->isEnabled());
    dlg.OneCheck->click();
    EXPECT_TRUE(dlg.Parts().OneFile);
    dlg.DataCheck->click();
    EXPECT_FALSE(dlg.OneCheck->isEnabled());
    EXPECT_TRUE(dlg.OneCheck->isChecked());
    const SaveParts p = dlg.Parts();
    EXPECT_FALSE(p.Data);
    EXPECT_FALSE(p.Sim);
    EXPECT_TRUE(p.Res);
    EXPECT_FALSE(p.OneFile);
}

TEST(TSmoothDlg, CannotCloseWithABadWindow) {
    test::ScriptedMessages msgs;
    TSmoothDlg dlg(nullptr);
    dlg.show();
    dlg.WindowSizeBox->setText("1");
    dlg.reject();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(msgs.Count(), 1u);
    dlg.WindowSizeBox->setText("7");
    dlg.OKBtn->click();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.WindowSize, 7);
    EXPECT_EQ(dlg.Order, 6);
}

TEST(TDialogFileChoices, AnswersTheDataFileQuestionsThroughTheDialogs) {
    TDialogFileChoices choices(nullptr);
    WhenShown<TMultiDlg>([](TMultiDlg& d) {
        EXPECT_FALSE(d.DataButton->isEnabled());
        EXPECT_TRUE(d.SimButton->isChecked());
        d.ResButton->click();
        d.OKBtn->click();
    });
    EXPECT_EQ(choices.ChooseLoadPart(PartSim | PartRes, PartSim), PartRes);
    WhenShown<TMultiDlg>([](TMultiDlg& d) {
        EXPECT_TRUE(d.DataButton->isChecked());
        d.CancelBtn->click();
    });
    EXPECT_EQ(choices.ChooseLoadPart(PartData | PartSim, PartData), 0);

    WhenShown<TChooseSaveDlg>([](TChooseSaveDlg& d) {
        d.SimCheck->click();
        d.ResCheck->click();
        d.OneCheck->click();
        d.OKBtn->click();
    });
    SaveParts parts;
    ASSERT_TRUE(choices.ChooseSaveParts(parts));
    EXPECT_TRUE(parts.Sim && parts.Res && parts.OneFile && !parts.Data);
    WhenShown<TChooseSaveDlg>([](TChooseSaveDlg& d) { d.reject(); });
    EXPECT_FALSE(choices.ChooseSaveParts(parts));
}

} // namespace
} // namespace kivra
