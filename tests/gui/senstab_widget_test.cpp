#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "widgets/plot.h"
#include "widgets/specpanel.h"
#include "widgets/senstab_widget.h"
#include "tests/gui/panel_driving.h"
#include "tests/support/scripted_messages.h"

using namespace kivra;

namespace {

// Records what the page asks of the injection dialog instead of showing it
// (a modal dialog nobody answers would wait for ever).
class RecordingPage : public TSensTab {
public:
    bool RunInjDlg(int slot) override {
        Asked.push_back(slot);
        return false;
    }
    std::vector<int> Asked;
};

} // namespace

TEST(SensTabWidget, LabelsFollowTheDataSet) {
    test::ScriptedMessages msgs;
    RecordingPage page;
    EXPECT_EQ(page.FileNameText->text(), "No Data");
    EXPECT_EQ(page.NumCurvesLabel->text(), "Num Curves:");
    page.CreateSet(3, 100, 10);
    EXPECT_EQ(page.NumCurvesLabel->text(), "Num Curves: 3");
    EXPECT_EQ(page.NumPointsLabel->text(), "Points/Curve: 10");
    page.InjStart[1][0] = 100;
    page.InjStop[1][0] = 400;
    page.UpdateInjPics();
    EXPECT_EQ(page.InjLabels[1]->text(), "Inj2: 100.0 - 400.0");
    EXPECT_FALSE(page.InjLabels[1]->isHidden());
    EXPECT_TRUE(page.InjLabels[0]->isHidden());
    page.ClearSens();
    EXPECT_EQ(page.NumCurvesLabel->text(), "Num Curves:");
    EXPECT_EQ(page.NumPointsLabel->text(), "Points/Curve:");
}

namespace {

void Drag(QWidget* bar, int fromY, int toY) {
    const QPointF at(10, 2);
    const QPointF from = bar->mapToGlobal(at.toPoint());
    QMouseEvent press(QEvent::MouseButtonPress, at, from, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &press);
    const QPointF to(from.x(), from.y() + (toY - fromY));
    QMouseEvent move(QEvent::MouseMove, at, to, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, at, to, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &release);
}

} // namespace

TEST(SensTabWidget, ControlsSitWhereThePageNeedsThem) {
    test::ScriptedMessages msgs;
    RecordingPage page;
    page.resize(800, 600);
    page.show();
    ASSERT_NE(page.SpecPanel, nullptr);
    EXPECT_TRUE(page.SpecPanel->GetIsDataPage());
    EXPECT_EQ(page.SpecPanel->geometry(), QRect(0, 0, 800, 168));
    EXPECT_EQ(page.Splitter->geometry(), QRect(0, 168, 800, 5));
    EXPECT_EQ(page.LeftPanel->geometry(), QRect(0, 173, 200, 427));
    EXPECT_EQ(page.EditDataButton->geometry(), QRect(4, 4, 31, 28));
    EXPECT_EQ(page.InjButtons[5]->geometry(), QRect(4, 37 + 29 * 5, 31, 28));
    EXPECT_FALSE(page.EditDataButton->icon().isNull());
    EXPECT_EQ(page.EditDataButton->focusPolicy(), Qt::NoFocus);
    for (int j = 0; j < MaxInj; ++j) {
        EXPECT_EQ(page.InjPicture(j), QStringLiteral("INJ%1EMPTY").arg(j + 1));
        EXPECT_FALSE(page.InjButtons[j]->icon().isNull());
    }

    // A slot in use shows its full picture.
    page.CreateSet(2, 100, 10);
    page.InjStart[2][0] = 10;
    page.InjStop[2][0] = 50;
    page.UpdateInjPics();
    EXPECT_EQ(page.InjPicture(2), "INJ3FULL");
    EXPECT_EQ(page.InjPicture(1), "INJ2EMPTY");
    EXPECT_FALSE(page.InjButtons[2]->icon().isNull());
}

TEST(SensTabWidget, SplitterAsksTheOwnerForTheNewSize) {
    TSensTab page;
    page.resize(800, 600);
    page.show();
    std::vector<int> asked;
    page.OnSplitterResize = [&](TSensTab* sender, int& size, bool& accept) {
        EXPECT_EQ(sender, &page);
        asked.push_back(size);
        size = (size + 12) / 24 * 24;  // the owner snaps to whole lines
        accept = size != 240;
    };
    Drag(page.Splitter, 168, 198);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], 198);
    EXPECT_EQ(page.GetSplitterPos(), 192);
    EXPECT_EQ(page.Splitter->y(), 192);
    EXPECT_EQ(page.LeftPanel->y(), 197);
    Drag(page.Splitter, 192, 240);  // refused
    EXPECT_EQ(page.GetSplitterPos(), 192);
    Drag(page.Splitter, 192, 0);  // never below the minimum
    EXPECT_EQ(asked.back(), 70);
    page.SetSplitterPos(120);
    EXPECT_EQ(page.SpecPanel->height(), 120);
    EXPECT_EQ(page.Splitter->y(), 120);
}

TEST(SensTabWidget, ButtonsOpenTheInjectionDialogForTheirSlot) {
    test::ScriptedMessages msgs;
    RecordingPage page;
    page.InjButtons[3]->click();
    page.EditDataButton->click();
    EXPECT_EQ(page.Asked, std::vector<int>({3, -1}));

    // The page's panel edits the set's own row of the record.
    page.Tag = 2;
    TModelData m;
    m.NumSpeciesLines = 2;
    m.SpecName[0] = "L";
    m.SpecLocal[0] = true;
    page.GetPanelSpecies(m);
    test::Type(page.SpecPanel->ConcBox[0], "4");
    page.GetPanelSpecies(m);
    EXPECT_EQ(m.InitConc[2][0], 4);
    EXPECT_EQ(m.AnalyteInj[2][0], -1);
    page.ClearModel();
    EXPECT_EQ(page.SpecPanel->GetNumLines(), 3);
    EXPECT_FALSE(page.IsModelled());
}

TEST(SensTabWidget, BothPlotsBorrowThePagesArrays) {
    test::ScriptedMessages msgs;
    RecordingPage page;
    page.resize(800, 600);
    page.show();
    ASSERT_NE(page.PagePlot, nullptr);
    ASSERT_FALSE(page.OverviewPlot.isNull());
    EXPECT_EQ(page.PagePlot->parentWidget(), &page);
    EXPECT_EQ(page.OverviewPlot->parentWidget(), nullptr);
    EXPECT_EQ(page.OverviewPlot->geometry(), QRect(10, 10, 10, 10));
    EXPECT_EQ(page.OverviewPlot->GetTitle(), "Set 1");
    EXPECT_EQ(page.PagePlot->geometry(), QRect(200, 173, 600, 427));
    EXPECT_EQ(page.PagePlot->Arrays().Data, nullptr);

    page.CreateSet(3, 100, 10);
    for (TPlot* plot : {page.PagePlot, page.OverviewPlot.data()}) {
        const PlotArrays& a = plot->Arrays();
        EXPECT_EQ(a.NumCurves, 3);
        EXPECT_EQ(a.Data, page.Data.rows());
        EXPECT_EQ(a.Sim, page.Sim.rows());
        EXPECT_EQ(a.Time, page.Time.rows());
        EXPECT_EQ(a.PointFlags, page.PointFlags.rows());
        EXPECT_EQ(a.Excluded, page.Excluded.data());
        EXPECT_EQ(a.PointCount, page.PointCount.data());
        EXPECT_EQ(a.InjStart, nullptr);
    }

    // The edit button opens the data editor on the curve the plot shows alone.
    page.PagePlot->SetShowData(true);
    page.PagePlot->SetCurve(2);
    page.Asked.clear();
    page.EditDataButton->click();
    EXPECT_EQ(page.Asked, std::vector<int>({-4}));

    page.PagePlot->SetShowSim(true);
    page.PagePlot->SetRes(true);
    page.ClearModel();
    EXPECT_FALSE(page.PagePlot->GetShowSim());
    EXPECT_FALSE(page.PagePlot->GetRes());
    EXPECT_TRUE(page.PagePlot->GetShowData());

    page.Tag = 4;
    page.ClearDisplay();
    EXPECT_EQ(page.OverviewPlot->GetTitle(), "Set 5");
    EXPECT_EQ(page.PagePlot->Arrays().Data, nullptr);
    EXPECT_FALSE(page.PagePlot->GetShowData());

    page.CreateSet(2, 50, 10);
    EXPECT_EQ(page.OverviewPlot->Arrays().NumCurves, 2);
    page.ClearSens();
    EXPECT_EQ(page.OverviewPlot->Arrays().NumCurves, 0);
    EXPECT_EQ(page.OverviewPlot->Arrays().Time, nullptr);
}

TEST(SensTabWidget, TheOverviewPlotGoesWithThePageOrItsNewParent) {
    QPointer<TPlot> overview;
    {
        TSensTab page;
        overview = page.OverviewPlot;
    }
    EXPECT_TRUE(overview.isNull());

    auto plotPage = std::make_unique<QWidget>();
    RecordingPage page;
    page.CreateSet(1, 20, 10);
    page.OverviewPlot->setParent(plotPage.get());
    plotPage.reset();  // the main window's plot page goes first
    EXPECT_TRUE(page.OverviewPlot.isNull());
    page.ClearSens();  // and the page still runs without it
}

TEST(SensTabWidget, SetModelReadsThePanelAndANewSimulationShows) {
    test::ScriptedMessages msgs;
    RecordingPage page;
    page.Tag = 1;
    TModelData m;
    m.NumSpeciesLines = 3;
    m.SpecName[0] = "A";
    m.SpecName[1] = "L";
    m.SpecLocal[1] = true;
    m.AnalyteInj[0][0] = -1;
    m.InitConc[0][0] = 2;
    page.SetModel(m);  // the panel takes the species lines
    test::Type(page.SpecPanel->ConcBox[1], "0.25");
    BeginModelSync(m, 2);
    page.SetModel(m);
    EXPECT_EQ(m.InitConc[1][1], 0.25);
    EXPECT_EQ(page.InitConc[1], 0.25);
    EXPECT_EQ(page.InitConc[0], 2);

    page.CreateSet(1, 100, 10);
    page.PagePlot->SetShowData(true);
    page.Smooth(5, 2);
    for (TPlot* plot : {page.PagePlot, page.OverviewPlot.data()}) EXPECT_TRUE(plot->GetShowSim());
    EXPECT_EQ(msgs.Count(), 0u);
}

TEST(SensTabWidget, FitResultsReachThePagesSpeciesPanel) {
    test::ScriptedMessages msgs;
    RecordingPage page;
    page.Tag = 1;
    page.CreateSet(1, 100, 10);
    page.InjStart[0][0] = 100;
    page.InjStop[0][0] = 400;
    page.StartFitMode[0] = 1;
    TModelData m;
    m.NumSpeciesLines = 2;
    m.SpecName[0] = "A";
    m.SpecName[1] = "L";
    m.SpecLocal[1] = true;
    m.InitConc[1][1] = 2;
    page.SetModel(m);
    m.InitConc[1][1] = 1.234567e-7;
    m.FitConc[1][1] = true;
    page.InjStart[0][0] = 101.5;
    static_cast<TSensTabCore&>(page).SetFitResults(m);  // as the run control calls it
    EXPECT_EQ(page.SpecPanel->ConcBox[1]->text().toStdString(), "1.235e-07");
    EXPECT_EQ(page.InjLabels[0]->text().toStdString(), "Inj1: 101.5 - 400.0");
    EXPECT_EQ(msgs.Count(), 0u);
}

TEST(SensTabWidget, ALoadedFileIsShownUnderItsName) {
    test::ScriptedMessages msgs;
    RecordingPage page;
    page.Tag = 2;
    const std::string file = ::testing::TempDir() + "/kivra_shown.txt";
    page.CreateSet(2, 10, 1);
    for (int i = 0; i < 2; ++i)
        for (int k = 0; k < 10; ++k) page.Data[i][k] = i + k;
    page.Loaded = true;
    ASSERT_TRUE(page.WriteData(file, 1));

    TSensTab loaded;
    loaded.Tag = 2;
    ASSERT_TRUE(loaded.LoadSens(file));
    EXPECT_EQ(loaded.windowTitle(), "kivra_shown.txt");
    EXPECT_EQ(loaded.OverviewPlot->GetTitle(), "kivra_shown.txt");
    EXPECT_TRUE(loaded.PagePlot->GetShowData());
    EXPECT_TRUE(loaded.OverviewPlot->GetShowData());

    // A failed load leaves what is shown alone.
    EXPECT_FALSE(loaded.LoadSens(file + ".missing"));
    EXPECT_EQ(loaded.windowTitle(), "kivra_shown.txt");
    EXPECT_TRUE(loaded.PagePlot->GetShowData());
    std::remove(file.c_str());
}
