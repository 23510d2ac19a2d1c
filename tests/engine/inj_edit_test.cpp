#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "engine/dataset/inj_edit.h"
#include "engine/dataset/senstab_core.h"
#include "tests/support/scripted_messages.h"

using namespace kivra;

namespace {

// A page whose dialog is a script working on the editor without a window.
class Page : public TSensTabCore {
public:
    std::function<bool(TInjEditCore&)> Script;
    int SeenInj = 99;
    bool EditInjections(TInjHandOff& h, int inj) override {
        SeenInj = inj;
        TInjEditCore editor(*this, h, inj);
        return Script ? Script(editor) : false;
    }
};

// curves curves of points points at times 0, 1, ...; value k + 100 i.
void MakeSet(Page& page, int curves, int points) {
    page.CreateSet(curves, points, 1);  // opens the (empty) dialog once
    for (int i = 0; i < curves; ++i)
        for (int k = 0; k < points; ++k) page.Data[i][k] = k + 100.0 * i;
}

// An editor over copies of page's slot, kept together.
struct Editing {
    TInjHandOff h;
    std::unique_ptr<TInjEditCore> ed;
    Editing(Page& page, int inj) {
        EXPECT_TRUE(h.Take(page, inj < 0 ? 0 : inj));
        ed = std::make_unique<TInjEditCore>(page, h, inj);
    }
    TInjEditCore* operator->() { return ed.get(); }
};

// The deletion marks of curve i: 'x' marked, '.' not.
std::string Marks(Page& page, int i) {
    std::string out;
    for (int k = 0; k < page.PointCount[i]; ++k) out += (page.PointFlags[i][k] & PointDeleted) ? 'x' : '.';
    return out;
}

// Remembers which row a refusal sent the focus to.
class Recording : public TInjEditCore {
public:
    using TInjEditCore::TInjEditCore;
    std::vector<int> Refused;
    void ConcRefused(int row) override { Refused.push_back(row); }
};

} // namespace

TEST(InjEdit, ConcentrationTextsReadAndShowAgain) {
    const struct {
        const char* typed;
        bool fraction;
        double num, den, conc;
        const char* shown;
    } cases[] = {
        {"=1/2", true, 1, 2, 0.5, "=1/2"},
        {"=0.25", true, 0.25, 1, 0.25, "=0.2500"},
        {"=1", true, 1, 1, 1, "=1"},
        {"=3/0", true, 3, 1, 3, "=3.0000"},
        {"", false, 0, 1, 0, "0.00"},
        {"2.5", false, 2.5, 1, 2.5, "2.50"},
        // Whatever is not a finite number reads as the fallback.
        {"inf", false, 0, 1, 0, "0.00"},
        {"1e999", false, 0, 1, 0, "0.00"},
        {"=1e999", true, 0, 1, 0, "=0.0000"},
        {"=1e300/1e-300", true, 0, 1, 0, "=0.0000"},
    };
    for (const auto& c : cases) {
        test::ScriptedMessages msgs;
        Page page;
        MakeSet(page, 2, 5);
        Editing e(page, 0);
        e->Rows[1].Conc = c.typed;
        ASSERT_TRUE(e->ReadRows()) << c.typed;
        EXPECT_EQ(e->ConcIsFraction[1], c.fraction) << c.typed;
        EXPECT_EQ(e->FracNum[1], c.num) << c.typed;
        EXPECT_EQ(e->FracDen[1], c.den) << c.typed;
        EXPECT_EQ(e->InjConc[1], c.conc) << c.typed;
        e->FillRows();
        EXPECT_EQ(e->Rows[1].Conc, c.shown);
        EXPECT_EQ(msgs.Count(), 0u) << c.typed;
    }
}

TEST(InjEdit, NegativeConcentrationsAreRefusedHoweverTyped) {
    for (const char* typed : {"-5", "=-0.5", "=1/-2", "=-1/-2"}) {
        test::ScriptedMessages msgs;
        Page page;
        MakeSet(page, 12, 5);
        TInjHandOff h;
        ASSERT_TRUE(h.Take(page, 0));
        Recording ed(page, h, 0);
        ASSERT_TRUE(ed.ScrollRows(1));
        ASSERT_TRUE(ed.ScrollRows(1));
        ed.Rows[1].Conc = typed;  // curve 4
        ed.Rows[2].Start = "7";   // after it: not read
        EXPECT_FALSE(ed.ScrollRows(1)) << typed;
        ASSERT_EQ(msgs.Count(), 1u) << typed;
        EXPECT_EQ(msgs.Last().Text, "Negative concentrations are not allowed (curve 4)");
        EXPECT_EQ(msgs.Last().Caption, "Concentration error");
        EXPECT_EQ(ed.Refused, std::vector<int>{1});
        // The scroll was abandoned; the rows stay as typed and nothing was stored.
        EXPECT_EQ(ed.FirstRow, 2);
        EXPECT_EQ(ed.Rows[1].Conc, typed);
        EXPECT_EQ(ed.InjConc[3], 0);
        EXPECT_EQ(ed.InjStart[4], 0);

        // Every other action that reads the rows stops the same way.
        int curve = 9;
        EXPECT_FALSE(ed.CurveChange(-1, curve));
        EXPECT_EQ(curve, -1);
        ed.StockText = "10";
        ed.ToFraction();
        EXPECT_EQ(*ed.StockConc, 0);
        EXPECT_FALSE(ed.Confirm(1, 1, true, true));
        EXPECT_EQ(*ed.StartFitMode, 0);
        EXPECT_EQ(msgs.Count(), 4u);
    }
}

TEST(InjEdit, UntouchedValuesKeepEveryDigit) {
    test::ScriptedMessages msgs;
    Page page;
    MakeSet(page, 10, 5);
    for (int i = 0; i < 10; ++i) {
        page.InjStart[2][i] = 12.3456789 + i;
        page.InjStop[2][i] = 80.0000001;
        page.RefIndex[2][i] = 0.0123456789;
        page.InjConc[2][i] = 1.23456789e-9;
        page.Flow[i] = 1.23456789;
    }
    page.InjConc[2][0] = 0.123456789;
    page.ConcIsFraction[2][0] = true;
    page.FracNum[2][0] = 1.5;
    page.FracDen[2][0] = 2.5;  // shown as "=2/2"
    page.StockConc[2] = 3.14159265;
    const double start3 = page.InjStart[2][3];
    page.Script = [](TInjEditCore& ed) {
        // Through every reading: scrolling, curve changes, buttons.
        EXPECT_TRUE(ed.ScrollRows(1));
        int curve = 0;
        EXPECT_TRUE(ed.CurveChange(-1, curve));
        ed.FitAllNone();
        ed.FitAllNone();
        return ed.Confirm(0, 0, false, false);
    };
    ASSERT_TRUE(page.RunInjDlg(2));
    EXPECT_EQ(page.InjStart[2][3], start3);
    EXPECT_EQ(page.InjStop[2][9], 80.0000001);
    EXPECT_EQ(page.RefIndex[2][5], 0.0123456789);
    EXPECT_EQ(page.Flow[7], 1.23456789);
    EXPECT_EQ(page.StockConc[2], 3.14159265);
    EXPECT_EQ(page.FracDen[2][0], 2.5);
    EXPECT_EQ(page.InjConc[2][4], 1.23456789e-9);

    // A typed value is stored as typed, shown with fewer digits, and kept
    // with all its digits by the reads after that.
    Editing e(page, 2);
    e->Rows[0].Start = "1.23456";
    ASSERT_TRUE(e->ReadRows());
    e->FillRows();
    EXPECT_EQ(e->Rows[0].Start, "1.235");
    ASSERT_TRUE(e->ReadRows());
    EXPECT_EQ(e->InjStart[0], 1.23456);

    // Text changed and typed back: the value it was filled with, not whatever
    // the time line took from the text in between.
    e->Rows[1].Start = "99";
    e->InjStart[1] = e->LineValue(1, false);
    e->Rows[1].Start = "13.35";  // as filled
    ASSERT_TRUE(e->ReadRows());
    EXPECT_EQ(e->InjStart[1], start3 - 2);

    // A row out of view is never read; a moved line is what its row was filled with.
    e->InjStart[9] = 5.55555;
    EXPECT_EQ(e->LineValue(9, false), 5.55555);
    EXPECT_EQ(e->LineMoved(0, false, 2.123456), 0);
    EXPECT_EQ(e->Rows[0].Start, "2.123");
    ASSERT_TRUE(e->ReadRows());
    EXPECT_EQ(e->InjStart[0], 2.123456);
    EXPECT_EQ(msgs.Count(), 0u);
}

TEST(InjEdit, SetAllFitAllNoneAndSubtract) {
    test::ScriptedMessages msgs;
    Page page;
    MakeSet(page, 4, 101);
    page.Excluded[3] = true;
    page.FitRefIndex[0][0] = page.FitRefIndex[0][1] = true;
    Editing e(page, 0);

    e->Rows[1].Start = "12.5";
    e->Rows[1].Stop = "80";
    e->SetAll(1);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(e->Rows[i].Start, "12.50");
    EXPECT_EQ(e->InjStart[3], 0);  // excluded

    e->FitAllNone();  // 2 of 4 fitted: all
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(e->FitRefIndex[i]);
    e->Rows[0].FitRI = false;
    e->FitAllNone();  // 3 of 4: none
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(e->FitRefIndex[i]);

    msgs.Answer(MsgResult::Ok);
    e->SubtractTimes(0);
    EXPECT_EQ(msgs.Last().Buttons, MsgButtons::OkCancel);
    EXPECT_EQ(msgs.Last().Text,
              "Subtract start time from all times in curve 1?\n(Times of other injections won't be changed "
              "and may need adjustment)");
    EXPECT_EQ(msgs.Last().Caption, "Confirm Single Subtract");
    EXPECT_EQ(page.Time[0][0], -12.5);
    EXPECT_EQ(page.Time[0][100], 87.5);
    EXPECT_EQ(e->InjStart[0], 0);
    EXPECT_EQ(e->InjStop[0], 67.5);
    EXPECT_EQ(page.Time[1][0], 0);

    e->Rows[2].RI = "5";
    msgs.Answer(MsgResult::Ok);
    e->SubtractSteps(-1);  // every included curve, within its own injection
    EXPECT_EQ(msgs.Last().Text, "Subtract refractive index jumps from data in all curves?");
    EXPECT_EQ(page.Data[2][12], 212);  // time 12, before the start at 12.5
    EXPECT_EQ(page.Data[2][80], 275);  // the stop itself is inside
    EXPECT_EQ(page.Data[2][81], 281);
    EXPECT_EQ(e->RefIndex[2], 0);
    EXPECT_TRUE(msgs.AllAnswered());
}

TEST(InjEdit, StockConversionsAndTheStockOnOk) {
    test::ScriptedMessages msgs;
    Page page;
    MakeSet(page, 2, 5);
    page.InjConc[0][0] = 2.5;
    page.StockConc[0] = 10;
    Editing e(page, 0);
    e->ToFraction();
    EXPECT_EQ(e->Rows[0].Conc, "=0.2500");
    EXPECT_EQ(e->Rows[1].Conc, "=0.0000");
    e->ToConc();
    EXPECT_EQ(e->InjConc[0], 2.5);
    EXPECT_EQ(e->Rows[0].Conc, "2.50");
    EXPECT_EQ(msgs.Count(), 0u);

    for (const char* stock : {"0", "abc", "-1"}) {
        msgs.Clear();
        e->StockText = stock;
        e->ToFraction();
        ASSERT_EQ(msgs.Count(), 1u) << stock;
        EXPECT_EQ(msgs.Last().Text, "Invalid stock concentration");
        EXPECT_EQ(msgs.Last().Caption, "Convert Error");
        EXPECT_FALSE(e->ConcIsFraction[0]);
        EXPECT_EQ(*e->StockConc, 10);
    }
    // On OK, 0 is a stock concentration and a text that is no number is not.
    EXPECT_FALSE(e->Confirm(2, 1, true, true));
    EXPECT_EQ(msgs.Last().Caption, "Convert Error");
    EXPECT_FALSE(*e->StockGlobal);
    e->StockText = "0";
    EXPECT_TRUE(e->Confirm(2, 1, true, true));
    EXPECT_EQ(*e->StockConc, 0);
    EXPECT_EQ(*e->StartFitMode, 2);
    EXPECT_EQ(*e->StopFitMode, 1);
    EXPECT_TRUE(*e->FitStock);
    EXPECT_TRUE(*e->StockGlobal);
}

// What is stored and what the boxes show agree whenever the user can type, so
// that a box typed back to the text it showed means the value it showed: a
// conversion refills the stock box with the value it stored, and an action
// that is refused stores no row at all.
TEST(InjEdit, StoredValuesAndTheBoxesAgree) {
    test::ScriptedMessages msgs;
    const struct {
        bool toFraction;
        double stock, conc;
        const char* rowAfter;
        double concAfter;
    } conversions[] = {{false, 5, 5, "5.00", 5}, {true, 10, 5, "2.50", 2.5}};
    for (const auto& c : conversions) {
        Page page;
        MakeSet(page, 2, 5);
        page.StockConc[0] = c.stock;
        page.InjConc[0][0] = c.conc;
        Editing e(page, 0);
        const std::string shown = e->StockText;
        e->StockText = "20";
        c.toFraction ? e->ToFraction() : e->ToConc();
        EXPECT_EQ(e->StockText, "20.00");
        e->StockText = shown;
        e->ToConc();
        EXPECT_EQ(e->Rows[0].Conc, c.rowAfter);
        ASSERT_TRUE(e->Confirm(0, 0, false, false));
        EXPECT_EQ(*e->StockConc, c.stock);
        EXPECT_EQ(e->InjConc[0], c.concAfter);
    }
    EXPECT_EQ(msgs.Count(), 0u);

    const struct {
        const char* name;
        std::function<void(TInjEditCore&, bool)> spoil;  // true spoils, false mends
        const char* text;
    } refusals[] = {
        {"negative concentration in a later row",
         [](TInjEditCore& ed, bool on) { ed.Rows[2].Conc = on ? "-5" : "1.00e-09"; },
         "Negative concentrations are not allowed (curve 3)"},
        {"stock concentration", [](TInjEditCore& ed, bool on) { ed.StockText = on ? "abc" : "0.00"; },
         "Invalid stock concentration"},
        {"fewer than 2 points",
         [](TInjEditCore& ed, bool on) {
             for (int k = 1; k < 5; ++k) ed.PointFlags[1][k] = on ? PointDeleted : 0;
         },
         "Curve 2 would keep fewer than 2 points"},
    };
    for (const auto& c : refusals) {
        SCOPED_TRACE(c.name);
        msgs.Clear();
        Page page;
        MakeSet(page, 3, 5);
        for (int i = 0; i < 3; ++i) page.InjConc[0][i] = 1e-9;
        Editing e(page, 0);
        const TInjRow shown = e->Rows[0];
        e->Rows[0].Conc = "7";
        e->Rows[0].Flow = "3";
        c.spoil(*e.ed, true);
        EXPECT_FALSE(e->Confirm(0, 0, false, false));
        ASSERT_EQ(msgs.Count(), 1u);
        EXPECT_EQ(msgs.Last().Text, c.text);
        e->Rows[0] = shown;
        c.spoil(*e.ed, false);
        ASSERT_TRUE(e->Confirm(0, 0, false, false));
        EXPECT_EQ(e->InjConc[0], 1e-9);
        EXPECT_EQ(e->Flow[0], 1.0);
    }
}

TEST(InjEdit, DeleteRegionKeepsEveryNthPoint) {
    // A region holding points 2..8 (7 points) of every curve.
    const TSelection sel{8.5, 150, 1.5, -1};  // dragged from lower right to upper left
    const struct {
        bool oneIn;
        const char* box;
        const char* marked;  // points 0..9
    } cases[] = {
        {true, "3", "..xx.xx.x."}, {true, "1", ".........."}, {false, "3", "..xxxxxxx."},
        {true, "", "..xxxxxxx."},  {true, "x", "..xxxxxxx."}, {true, "2.5", "..xxxxxxx."},
    };
    for (const auto& c : cases) {
        test::ScriptedMessages msgs;
        Page page;
        MakeSet(page, 3, 10);
        page.Excluded[2] = true;
        Editing e(page, -1);
        e->MarkRegion(-1, sel, TInjEditCore::KeepCount(c.oneIn, c.box), false);
        // Each curve counts anew; the excluded one is left alone.
        for (int i = 0; i < 3; ++i) EXPECT_EQ(Marks(page, i), i == 2 ? ".........." : c.marked) << c.box;
    }

    test::ScriptedMessages msgs;
    Page page;
    MakeSet(page, 1, 10);
    Editing e(page, -2);
    e->MarkRegion(0, sel, 0, false);
    e->MarkRegion(0, sel, 2, true);  // unmarks 1st, 3rd, ... of the region
    EXPECT_EQ(Marks(page, 0), "...x.x.x..");

    // The region test sees the values as drawn: less the step inside the injection.
    e->InjStart[0] = 4;
    e->InjStop[0] = 5;
    e->RefIndex[0] = 100;
    e->MarkRegion(0, TSelection{0, -97, 9, -94}, 0, false);
    EXPECT_TRUE(page.PointFlags[0][4] & PointDeleted);
    EXPECT_TRUE(page.PointFlags[0][5] & PointDeleted);
    EXPECT_EQ(page.PointFlags[0][6], 0);
}

TEST(InjEdit, ZeroingTwiceAddsTheShiftsAndUndoes) {
    test::ScriptedMessages msgs;
    Page page;
    MakeSet(page, 2, 10);
    Editing e(page, -1);
    const TSelection region{1.5, -1, 3.5, 500};  // points 2, 3 of both curves
    page.PointFlags[0][3] = PointDeleted;        // not part of the mean
    e->ZeroPoints(-1, region);                   // one mean: (2 + 102 + 103) / 3
    EXPECT_DOUBLE_EQ(e->Offset[0], 69);
    EXPECT_DOUBLE_EQ(page.Data[1][0], 31);
    e->ZeroPoints(1, TSelection{1.5, -1000, 3.5, 1000});
    EXPECT_DOUBLE_EQ(page.Data[1][2], -0.5);
    EXPECT_DOUBLE_EQ(page.Data[1][3], 0.5);
    // Zeroed again over the same points: they stay at 0, the offset adds up.
    e->ZeroPoints(1, TSelection{1.5, -1000, 3.5, 1000});
    EXPECT_DOUBLE_EQ(page.Data[1][2], -0.5);
    EXPECT_DOUBLE_EQ(e->Offset[1], 102.5);

    e->ZeroCursor(0, TSelection{0, 0, 9, 5});
    EXPECT_DOUBLE_EQ(page.Data[0][0], -74);
    EXPECT_DOUBLE_EQ(e->Offset[0], 74);
    e->ZeroCursor(-1, TSelection{});  // no selection: back to the values as opened
    for (int k = 0; k < 10; ++k) EXPECT_DOUBLE_EQ(page.Data[0][k], k);
    EXPECT_EQ(e->Offset[0], 0);
    EXPECT_EQ(e->Offset[1], 0);

    page.Excluded[1] = e->Excluded[1] = true;
    e->ZeroCursor(1, region);
    EXPECT_EQ(msgs.Last().Caption, "Can't edit excluded curve");
}

TEST(InjHandOff, OkTakesTheValuesBackAndDropsMarkedPoints) {
    test::ScriptedMessages msgs;
    Page page;
    MakeSet(page, 3, 10);
    page.Tag = 2;
    page.Modelled = true;
    page.StockGlobal[1] = true;
    std::vector<std::string> calls;
    page.OnInjLink = [&](int inj, bool fit, double stock, bool shared) {
        calls.push_back("link " + std::to_string(inj) + (fit ? " fit " : " ") + std::to_string(stock) +
                        (shared ? " shared" : ""));
    };
    page.OnResimulate = [&](int set) { calls.push_back("sim " + std::to_string(set)); };
    page.Script = [](TInjEditCore& ed) {
        ed.PointFlags[0][2] = ed.PointFlags[0][3] = PointDeleted;  // points 3 and 4
        ed.PointFlags[1][9] = PointDeleted;                        // the last point
        ed.Rows[1].Conc = "=1/4";
        ed.Rows[2].Exc = true;
        ed.StockText = "8";
        return ed.Confirm(1, 2, true, false);
    };
    ASSERT_TRUE(page.RunInjDlg(1));
    EXPECT_EQ(page.PointCount[0], 8);
    EXPECT_EQ(page.Data[0][2], 4);
    EXPECT_EQ(page.Time[0][2], 4);
    EXPECT_EQ(page.PointFlags[0][2], PointAfterGap);
    EXPECT_EQ(page.PointFlags[0][1], 0);
    EXPECT_EQ(page.PointCount[1], 9);
    for (int k = 0; k < 9; ++k) EXPECT_EQ(page.PointFlags[1][k], 0);
    EXPECT_EQ(page.InjConc[1][1], 0.25);
    EXPECT_EQ(page.FracDen[1][1], 4);
    EXPECT_TRUE(page.Excluded[2]);
    EXPECT_EQ(page.NumPoints, 9);
    EXPECT_EQ(page.NumPointsText(), "Points/Curve: 9");
    EXPECT_EQ(page.StockConc[1], 8);
    EXPECT_FALSE(page.StockGlobal[1]);
    EXPECT_TRUE(page.FitStockLocal[1]);
    EXPECT_EQ(page.StartFitMode[1], 1);
    EXPECT_EQ(page.StopFitMode[1], 2);
    // The slot was shared before: the main window hears that it is not any more.
    EXPECT_EQ(calls, (std::vector<std::string>{"link 1 fit 8.000000", "sim 2"}));

    // A curve that would keep one point is refused, and the dialog stays.
    page.Script = [&](TInjEditCore& ed) {
        for (int k = 1; k < 9; ++k) ed.PointFlags[1][k] = PointDeleted;
        EXPECT_FALSE(ed.Confirm(0, 0, false, false));
        EXPECT_EQ(msgs.Last().Text, "Curve 2 would keep fewer than 2 points");
        EXPECT_EQ(msgs.Last().Caption, "Edit Data Error");
        return false;
    };
    EXPECT_FALSE(page.RunInjDlg(-1));
    EXPECT_EQ(page.SeenInj, -1);
    EXPECT_EQ(page.PointCount[1], 9);

    // All curves excluded: no points left to simulate.
    page.Script = [](TInjEditCore& ed) {
        for (int r = 0; r < ed.RowCount; ++r) ed.ExcludeRow(r, true);
        return ed.Confirm(0, 0, false, false);
    };
    ASSERT_TRUE(page.RunInjDlg(-3));
    EXPECT_EQ(page.SeenInj, -3);
    EXPECT_EQ(page.NumPointsText(), "Points/Curve: 0");
}

TEST(InjHandOff, CancelPutsThePageBackBitForBit) {
    test::ScriptedMessages msgs;
    Page page;
    MakeSet(page, 3, 50);
    for (int i = 0; i < 3; ++i) {
        page.InjStart[0][i] = 10.1;
        page.InjStop[0][i] = 30.3;
        page.RefIndex[0][i] = 0.7;
        for (int k = 0; k < 50; ++k) page.Data[i][k] = 0.1 * k + 1e-7 * i;
    }
    page.PointFlags[1][7] = PointAfterGap;
    const auto snapshot = [&page] {
        std::vector<unsigned char> bytes;
        auto add = [&bytes](const void* p, std::size_t n) {
            const auto* b = static_cast<const unsigned char*>(p);
            bytes.insert(bytes.end(), b, b + n);
        };
        for (int i = 0; i < 3; ++i) {
            add(page.Time[i], 50 * sizeof(double));
            add(page.Data[i], 50 * sizeof(double));
            add(page.PointFlags[i], 50 * sizeof(int));
        }
        add(page.InjStart[0].data(), 3 * sizeof(double));
        add(page.RefIndex[0].data(), 3 * sizeof(double));
        add(page.Excluded.data(), 3 * sizeof(bool));
        add(&page.StockConc[0], sizeof(double));
        return bytes;
    };
    const auto before = snapshot();
    page.Script = [&msgs](TInjEditCore& ed) {
        msgs.Answer(MsgResult::Ok);
        msgs.Answer(MsgResult::Ok);
        ed.SubtractTimes(-1);
        ed.SubtractSteps(-1);
        ed.ZeroPoints(-1, TSelection{2, -100, 9, 100});
        ed.ZeroPoints(1, TSelection{20, -100, 29, 100});
        ed.MarkRegion(-1, TSelection{0, -100, 40, 100}, 3, false);
        ed.Rows[0].Exc = true;
        ed.StockText = "5";
        EXPECT_TRUE(ed.Confirm(1, 1, true, true));
        return false;  // Cancel after all
    };
    EXPECT_FALSE(page.RunInjDlg(0));
    EXPECT_TRUE(before == snapshot());
    EXPECT_TRUE(msgs.AllAnswered());

    // Arrays that changed shape under the dialog keep what they hold now.
    TInjHandOff h;
    ASSERT_TRUE(h.Take(page, 0));
    ASSERT_TRUE(page.NewSens(2, 10));
    const std::vector<double> now(page.Data[1], page.Data[1] + 10);
    h.Restore(page);
    EXPECT_EQ(std::vector<double>(page.Data[1], page.Data[1] + 10), now);
}

TEST(InjHandOff, NoCurvesNoDialogAndTheSharedStock) {
    test::ScriptedMessages msgs;
    Page page;
    EXPECT_FALSE(page.RunInjDlg(0));
    EXPECT_EQ(msgs.Last().Text, "First load data or select New \nto specify the number of curves");
    EXPECT_EQ(msgs.Last().Caption, "Number of curves unknown");
    EXPECT_EQ(page.SeenInj, 99);

    MakeSet(page, 1, 5);
    page.OnBusy = [] { return true; };  // a fit is running
    page.SeenInj = 99;
    EXPECT_FALSE(page.RunInjDlg(0));
    EXPECT_EQ(page.SeenInj, 99);

    TModelData m;
    for (int k = 0; k < MaxSets; ++k) m.StockConc[k][3] = k;
    ApplyInjLink(m, 3, true, 2.5, true);
    EXPECT_TRUE(m.StockGlobal[3]);
    EXPECT_TRUE(m.FitStockGlobal[3]);
    for (int k = 0; k < MaxSets; ++k) EXPECT_EQ(m.StockConc[k][3], 2.5);
    ApplyInjLink(m, 3, false, 7, false);  // sharing off: the rows stay
    EXPECT_FALSE(m.StockGlobal[3]);
    EXPECT_TRUE(m.FitStockGlobal[3]);
    EXPECT_EQ(m.StockConc[5][3], 2.5);
}
