#include <gtest/gtest.h>

#include "engine/session/mainform_core.h"

namespace kivra {
namespace {

TEST(MainFormCore, PagesKeepTagsEqualToPositionsAndStopAtSix) {
    TMainFormCore form;
    for (int i = 0; i < MaxSets; ++i) ASSERT_NE(form.AddPage(), nullptr);
    EXPECT_EQ(form.AddPage(), nullptr);
    TSensTabCore* third = &form.Page(2);
    form.DeletePage(1);
    form.DeletePage(99);
    ASSERT_EQ(form.PageCount(), MaxSets - 1);
    EXPECT_EQ(&form.Page(1), third);
    for (int i = 0; i < form.PageCount(); ++i) EXPECT_EQ(form.Page(i).Tag, i);
    ASSERT_TRUE(form.GetModel(false));
    EXPECT_EQ(form.Model.NumSets, MaxSets - 1);
}

TEST(MainFormCore, APageReachesTheWindowThroughItsThreeCalls) {
    TMainFormCore form;
    TSensTabCore& page = *form.AddPage();
    EXPECT_FALSE(page.OnBusy());
    form.MonteRunning = true;
    EXPECT_TRUE(page.OnBusy());
    form.MonteRunning = false;
    page.OnInjLink(2, true, 5e-9, true);
    EXPECT_TRUE(form.Model.StockGlobal[2]);
    EXPECT_TRUE(form.Model.FitStockGlobal[2]);
    for (int k = 0; k < MaxSets; ++k) EXPECT_EQ(form.Model.StockConc[k][2], 5e-9);
    ASSERT_TRUE(page.OnResimulate);
}

} // namespace
} // namespace kivra
