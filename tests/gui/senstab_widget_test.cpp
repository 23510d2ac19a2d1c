#include <QLabel>
#include <gtest/gtest.h>

#include "pages/senstab_widget.h"
#include "tests/support/scripted_messages.h"

using namespace kivra;

TEST(SensTabWidget, LabelsFollowTheDataSet) {
    test::ScriptedMessages msgs;
    TSensTab page;
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
