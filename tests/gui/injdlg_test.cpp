#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "engine/dataset/inj_edit.h"
#include "engine/numeric/numformat.h"
#include "engine/plot/plot_math.h"
#include "tests/gui/panel_driving.h"
#include "tests/support/scripted_messages.h"
#include "widgets/injdlg.h"
#include "widgets/plot.h"
#include "widgets/senstab_widget.h"

using namespace kivra;

namespace {

// A page of curves curves x points points at times 0, 1, ...; values k + 10 i.
void MakeSet(TSensTabCore& page, int curves, int points) {
    page.NewSens(curves, points);
    page.NumCurves = curves;
    page.NumPoints = points;
    for (int i = 0; i < curves; ++i) {
        page.PointCount[i] = points;
        for (int k = 0; k < points; ++k) {
            page.Time[i][k] = k;
            page.Data[i][k] = k + 10.0 * i;
        }
    }
}

// A dialog over the copies of a page's slot.
struct Dialog {
    TSensTabCore page;
    TInjHandOff h;
    std::unique_ptr<TInjDlg> dlg;
    Dialog(int curves, int points, int inj, const std::function<void(TSensTabCore&)>& prepare = {}) {
        MakeSet(page, curves, points);
        if (prepare) prepare(page);
        EXPECT_TRUE(h.Take(page, inj < 0 ? 0 : inj));
        dlg = std::make_unique<TInjDlg>(nullptr, page, h, inj);
    }
    TInjDlg* operator->() { return dlg.get(); }
};

bool TabShown(TInjDlg& d, QWidget* page) { return d.PageControl->isTabVisible(d.PageControl->indexOf(page)); }

// A rectangle dragged on the plot, in pixels.
void Drag(TPlot* plot, int x1, int y1, int x2, int y2) {
    plot->MouseDown(Qt::LeftButton, x1, y1);
    plot->MouseMove(x2, y2);
    plot->MouseUp(Qt::LeftButton);
}

} // namespace

TEST(InjDlg, ShowsTheSlotOrTheDataEditor) {
    test::ScriptedMessages msgs;
    Dialog d(9, 20, 2);
    EXPECT_EQ(d->windowTitle(), "Injection 3 Properties");
    EXPECT_TRUE(TabShown(*d.dlg, d->ConcPage) && TabShown(*d.dlg, d->TimePage) && TabShown(*d.dlg, d->RIPage) &&
                TabShown(*d.dlg, d->FlowPage));
    EXPECT_FALSE(TabShown(*d.dlg, d->EditPage));
    EXPECT_EQ(d->RowCount, 8);
    EXPECT_EQ(d->CurveButton[7]->text(), "8");
    EXPECT_TRUE(test::Shown(d->UpButton) && test::Shown(d->DownButton));
    EXPECT_TRUE(d->Plot->GetTimeLines());
    EXPECT_FALSE(d->StartTrack->isEnabled());
    // Every caption fits its control.
    for (QPushButton* b : d->findChildren<QPushButton*>()) EXPECT_GE(b->width(), b->sizeHint().width());

    Dialog e(3, 20, -3);
    EXPECT_EQ(e->windowTitle(), "Edit Data Set");
    EXPECT_EQ(e->PageControl->currentWidget(), e->EditPage);
    EXPECT_FALSE(TabShown(*e.dlg, e->ConcPage) || TabShown(*e.dlg, e->TimePage) || TabShown(*e.dlg, e->FlowPage));
    EXPECT_FALSE(test::Shown(e->UpButton));
    EXPECT_EQ(e->Plot->GetCurve(), 1);
    EXPECT_TRUE(e->CurveButton[1]->isChecked());
    EXPECT_FALSE(e->Plot->GetTimeLines());
    EXPECT_EQ(msgs.Count(), 0u);
}

TEST(InjDlg, ScrollButtonsStopAtTheEndsAndAtARefusedRow) {
    test::ScriptedMessages msgs;
    Dialog d(10, 5, 1);
    test::TypeOver(d->ConcEdit[2], "-1");
    d->DownButton->click();
    EXPECT_EQ(msgs.Last().Text, "Negative concentrations are not allowed (curve 3)");
    EXPECT_EQ(d->FirstRow, 0);
    EXPECT_EQ(d->ConcEdit[2]->text(), "-1");

    test::TypeOver(d->ConcEdit[2], "1");
    for (int i = 0; i < 3; ++i) d->DownButton->click();
    EXPECT_EQ(d->FirstRow, 2);  // the last curve in the last row
    EXPECT_EQ(d->CurveButton[7]->text(), "10");
    d->UpButton->click();
    d->UpButton->click();

    // Held down: a first step after 500 ms, then every 100 ms, until the end.
    emit d->DownButton->pressed();
    EXPECT_EQ(d->RepeatDirection, 2);
    EXPECT_TRUE(d->ButtonTimer->isActive());
    EXPECT_EQ(d->ButtonTimer->interval(), 500);
    d->ButtonTimerTimer();
    EXPECT_EQ(d->ButtonTimer->interval(), 100);
    d->ButtonTimerTimer();
    d->ButtonTimerTimer();  // nothing left to scroll
    EXPECT_EQ(d->FirstRow, 2);
    EXPECT_FALSE(d->ButtonTimer->isActive());

    // A refusal stops the repeat before another message can follow.
    test::TypeOver(d->ConcEdit[0], "-2");
    emit d->UpButton->pressed();
    msgs.Clear();
    d->ButtonTimerTimer();
    EXPECT_EQ(msgs.Count(), 1u);
    EXPECT_FALSE(d->ButtonTimer->isActive());
    EXPECT_EQ(d->RepeatDirection, 0);
}

TEST(InjDlg, CurveButtonsExclusionAndNextCurve) {
    test::ScriptedMessages msgs;
    Dialog d(4, 20, -1);
    d->CurveButton[1]->click();
    EXPECT_EQ(d->Plot->GetCurve(), 1);
    d->ExcCheck[1]->click();  // the shown curve goes: all curves again
    EXPECT_TRUE(d.h.Excluded[1]);
    EXPECT_EQ(d->Plot->GetCurve(), -1);
    EXPECT_FALSE(d->CurveButton[1]->isEnabled());
    d->ExcCheck[3]->click();

    d->CurveButton[2]->click();
    d->Plot->SetCurve(1);  // an excluded curve is refused
    EXPECT_EQ(d->Plot->GetCurve(), 2);
    d->PlotPopupPopup();
    EXPECT_TRUE(d->NextCurveItem->isEnabled());
    EXPECT_TRUE(d->ShowSingleItem->isChecked());
    d->NextCurveClick();
    EXPECT_EQ(d->Plot->GetCurve(), 0);
    EXPECT_TRUE(d->CurveButton[0]->isChecked());
    EXPECT_FALSE(d->CurveButton[2]->isChecked());
    d->ExcCheck[2]->click();
    d->NextCurveClick();  // every other curve excluded
    EXPECT_EQ(d->Plot->GetCurve(), -1);
    d->PlotPopupPopup();
    EXPECT_FALSE(d->NextCurveItem->isEnabled());
    EXPECT_EQ(msgs.Count(), 0u);
}

TEST(InjDlg, TrackBarsMoveTheTimeLinesAndTypedTimesMoveThem) {
    test::ScriptedMessages msgs;
    Dialog d(2, 101, 0, [](TSensTabCore& p) {
        p.InjStart[0][0] = 20.123456;
        p.InjStop[0][0] = 60;
    });
    d->show();
    d->PageControl->setCurrentWidget(d->TimePage);
    d->CurveButton[0]->click();
    d->Plot->Repaint();
    EXPECT_TRUE(d->StartTrack->isEnabled());
    EXPECT_EQ(d->StartColor->palette().color(QPalette::Window), QColor(0, 255, 0));
    const int startPos = d->Plot->GetStartPos();
    ASSERT_GT(startPos, 0);
    const int plotLeft = d->Plot->x() + d->PlotPanel->x();
    EXPECT_EQ(d->StartTrack->value(), plotLeft + startPos - d->StartTrack->x() - 7);
    // Placing the thumb did not move the line onto a whole pixel.
    EXPECT_EQ(d.h.Start[0], 20.123456);

    d->StartTrack->setValue(d->StartTrack->value() + 40);
    EXPECT_EQ(d->Plot->GetStartPos(), startPos + 40);
    EXPECT_GT(d.h.Start[0], 30);
    EXPECT_EQ(d->StartEdit[0]->text().toStdString(), FormatValue("", d.h.Start[0]));
    const double moved = d.h.Start[0];

    // Enlarged, the plot grows with the dialog, the rows keep their places, OK
    // its corner, and the thumbs stand on their lines, a late one too.
    const QRect row = d->StartEdit[0]->geometry(), panel = d->PlotPanel->geometry();
    const QPoint corner = d->rect().bottomRight() - d->OKBtn->geometry().bottomRight();
    d->resize(d->size() + QSize(200, 100));
    QApplication::processEvents();
    d->Plot->Repaint();
    EXPECT_EQ(d->PlotPanel->geometry(), panel.adjusted(0, 0, 200, 100));
    EXPECT_EQ(d->StartEdit[0]->geometry(), row);
    EXPECT_EQ(d->rect().bottomRight() - d->OKBtn->geometry().bottomRight(), corner);
    EXPECT_EQ(d->StartTrack->value(), plotLeft + d->Plot->GetStartPos() - d->StartTrack->x() - 7);

    test::TypeOver(d->StopEdit[0], "75");  // a typed time moves its line at once
    EXPECT_EQ(d.h.Stop[0], 75);
    EXPECT_GT(d->Plot->GetStopPos(), startPos + 40);
    EXPECT_EQ(d->StopTrack->value(), plotLeft + d->Plot->GetStopPos() - d->StopTrack->x() - 7);
    d->PageControl->setCurrentWidget(d->FlowPage);
    EXPECT_FALSE(d->StopTrack->isEnabled());
    EXPECT_EQ(d->StopColor->palette().color(QPalette::Window), QColor(192, 192, 192));
    d->OKBtn->click();
    EXPECT_EQ(d.h.Start[0], moved);  // not rounded to the digits shown
}

TEST(InjDlg, RegionsOfThePlotAreDeletedAndKept) {
    test::ScriptedMessages msgs;
    Dialog d(2, 20, -2);  // curve 0 alone
    d->Plot->Repaint();
    const PlotFrame& f = d->Plot->Frame();
    // Around points 5..11 of curve 0 (values 5..11).
    Drag(d->Plot, PixelX(f, 4.5), PixelY(f, 12), PixelX(f, 11.5), PixelY(f, 4));
    d->KeepGroup->Items[1]->click();
    test::TypeOver(d->KeepBox, "3");
    d->ExcButton->click();
    std::string marked;
    for (int k = 0; k < 20; ++k) marked += (d.page.PointFlags[0][k] & PointDeleted) ? 'x' : '.';
    EXPECT_EQ(marked, ".....xx.xx.x........");
    EXPECT_EQ(d.page.PointFlags[1][6], 0);
    EXPECT_EQ(msgs.Count(), 0u);
}

TEST(SensTabInjection, TheDialogRunsModallyForThePage) {
    test::ScriptedMessages msgs;
    TSensTab page;
    MakeSet(page, 3, 10);
    page.Loaded = true;
    page.Modelled = true;
    std::vector<int> simulated;
    page.OnResimulate = [&](int set) { simulated.push_back(set); };
    const std::vector<double> dataWas(page.Data[1], page.Data[1] + 10);

    // Drives the dialog once it is up, then presses ok or Cancel.
    auto driveWith = [](const std::function<void(TInjDlg&)>& steps, bool ok) {
        QTimer::singleShot(0, [steps, ok] {
            auto* dlg = qobject_cast<TInjDlg*>(QApplication::activeModalWidget());
            ASSERT_NE(dlg, nullptr);
            steps(*dlg);
            (ok ? dlg->OKBtn : dlg->CancelBtn)->click();
        });
    };
    driveWith(
        [](TInjDlg& dlg) {
            test::TypeOver(dlg.StartEdit[1], "4");
            dlg.ZeroCursor(1, TSelection{0, 0, 9, 3});
            dlg.PointFlags[1][2] = PointDeleted;
        },
        false);
    page.InjButtons[2]->click();
    EXPECT_EQ(page.InjStart[2][1], 0);
    EXPECT_EQ(std::vector<double>(page.Data[1], page.Data[1] + 10), dataWas);
    EXPECT_EQ(page.PointFlags[1][2], 0);
    EXPECT_TRUE(simulated.empty());

    driveWith(
        [](TInjDlg& dlg) {
            EXPECT_EQ(dlg.windowTitle(), "Injection 3 Properties");
            test::TypeOver(dlg.StartEdit[1], "4");
            test::TypeOver(dlg.StopEdit[1], "6");
            // A conversion stores the stock concentration and shows what it stored.
            test::TypeOver(dlg.StockConcBox, "8");
            dlg.ToConcButton->click();
            EXPECT_EQ(dlg.StockConcBox->text(), "8.00");
            test::TypeOver(dlg.ConcEdit[0], "=1/2");
            dlg.RIFitCheck[2]->click();
            dlg.StartGroup->Items[2]->click();
            dlg.GlobalStockCheck->click();
            dlg.PointFlags[1][2] = PointDeleted;
        },
        true);
    page.InjButtons[2]->click();
    EXPECT_EQ(page.InjStart[2][1], 4);
    EXPECT_EQ(page.FracDen[2][0], 2);
    EXPECT_EQ(page.StockConc[2], 8);
    EXPECT_TRUE(page.FitRefIndex[2][2]);
    EXPECT_EQ(page.StartFitMode[2], 2);
    EXPECT_TRUE(page.StockGlobal[2]);
    EXPECT_EQ(page.PointCount[1], 9);
    EXPECT_EQ(page.InjLabels[2]->text(), "Inj3: 0.00 - 0.00");  // the first curve's times
    EXPECT_EQ(page.InjPicture(2), "INJ3FULL");
    EXPECT_EQ(simulated, std::vector<int>{0});
    EXPECT_EQ(msgs.Count(), 0u);
}
