#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <gtest/gtest.h>

#include "widgets/reactpanel.h"
#include "tests/gui/panel_driving.h"
#include "tests/support/scripted_messages.h"

using namespace kivra;
using kivra::test::Choose;
using kivra::test::Type;
using kivra::test::TypeOver;

namespace {

using kivra::test::Shown;

std::string RowPicture(const TReactPanel& p, int r) {
    return test::Picture(p.NumLabel[r], p.ABox[r], p.PlusImage[r], p.BBox[r], p.ArrowsImage[r],
                         p.ProductBox[r], p.konBox[r], p.FitKfwdCheck[r], p.koffBox[r],
                         p.FitKrevCheck[r], p.FlowCheck[r]);
}

QStringList Items(const QComboBox* box) {
    QStringList out;
    for (int i = 0; i < box->count(); ++i) out << box->itemText(i);
    return out;
}

// Species A, B, C, D as the species panel would announce them.
void NameSpecies(TReactPanel& p) {
    for (int s = 0; s < 4; ++s) p.SetSpecName(s, std::string(1, char('A' + s)));
}

// A line A + B = C (species indices) with the given rate texts, typed on the blank line.
void AddLine(TReactPanel& p, int a, int b, int c, const QString& kf, const QString& kr) {
    const int row = p.GetNumLines() - p.GetFirstReact();
    if (a >= 0) Choose(p.ABox[row], a);
    if (b >= 0) Choose(p.BBox[row], b);
    if (c >= 0) Choose(p.ProductBox[row], c);
    if (a < 0 && b < 0 && c < 0) Choose(p.ABox[row], 4);  // the " " item: a line with nothing chosen
    Type(p.konBox[row], kf);
    Type(p.koffBox[row], kr);
}

} // namespace

TEST(ReactPanel, StartsWithOnlyTheBlankLine) {
    test::ScriptedMessages msgs;
    TReactPanel p;
    EXPECT_EQ(p.GetNumLines(), 0);
    EXPECT_EQ(RowPicture(p, 0), "xxxxxx.....");
    EXPECT_EQ(RowPicture(p, 1), "...........");
    EXPECT_FALSE(p.PlusImage[0]->pixmap().isNull());
    EXPECT_FALSE(p.ArrowsImage[0]->pixmap().isNull());
    TModelData m;
    m.NumReactionLines = 5;
    EXPECT_TRUE(p.GetReact(m));
    EXPECT_EQ(m.NumReactionLines, 0);
    EXPECT_EQ(m.NumReactions, 0);
    EXPECT_EQ(msgs.Count(), 0u);
}

TEST(ReactPanel, SpeciesNamesStayPaddedAndRenamesKeepChoices) {
    TReactPanel p;
    p.SetSpecName(0, "A");
    EXPECT_EQ(Items(p.ABox[0]), QStringList({"A", " "}));
    p.SetSpecName(1, "B");
    p.SetSpecName(3, "D");  // index 2 not named yet: padded
    EXPECT_EQ(Items(p.ProductBox[9]), QStringList({"A", "B", " ", "D", " "}));
    EXPECT_EQ(p.ABox[0]->currentIndex(), -1);  // nothing chosen on the blank line

    p.SetSpecName(2, "C");
    Choose(p.ABox[0], 0);
    Choose(p.ProductBox[0], 2);
    p.SetSpecName(2, "Cx");
    EXPECT_EQ(p.ProductBox[0]->currentText(), "Cx");
    EXPECT_EQ(p.ABox[0]->currentIndex(), 0);
    EXPECT_EQ(p.ABox[1]->currentIndex(), -1);  // the new blank line
    EXPECT_EQ(Items(p.BBox[7]), QStringList({"A", "B", "Cx", "D", " "}));
}

TEST(ReactPanel, ANewLineStartsEmptyAndItsEmptyRateEndsTheRead) {
    test::ScriptedMessages msgs;
    TReactPanel p;
    NameSpecies(p);
    Choose(p.ABox[0], 0);
    EXPECT_EQ(p.GetNumLines(), 1);
    EXPECT_EQ(RowPicture(p, 0), "xxxxxxxxxxx");
    EXPECT_EQ(RowPicture(p, 1), "xxxxxx.....");
    EXPECT_EQ(p.konBox[0]->text(), "");
    TModelData m;
    EXPECT_FALSE(p.GetReact(m));
    ASSERT_EQ(msgs.Count(), 1u);
    EXPECT_EQ(msgs.Last().Text, "'' is not a valid kfwd in reaction 1");
    EXPECT_EQ(msgs.Last().Caption, "Model Error");
    EXPECT_EQ(msgs.Last().Buttons, MsgButtons::Ok);

    msgs.Clear();
    Type(p.konBox[0], "1e5");
    Type(p.koffBox[0], "1e-3x");
    EXPECT_FALSE(p.GetReact(m));
    ASSERT_EQ(msgs.Count(), 1u);
    EXPECT_EQ(msgs.Last().Text, "'1e-3x' is not a valid krev in reaction 1");
    EXPECT_EQ(m.Kfwd[0], 0);  // a line with a bad rate writes neither rate
}

TEST(ReactPanel, LinksNegativeRatesAndFitFlags) {
    test::ScriptedMessages msgs;
    TReactPanel p;
    NameSpecies(p);
    AddLine(p, 0, 1, 2, "=r2", "1e-3");
    AddLine(p, 2, -1, 3, "=F1", "-1");
    AddLine(p, -1, 1, 3, "=f9", "=R1");
    AddLine(p, 0, -1, -1, "2", "0");
    ASSERT_EQ(p.GetNumLines(), 4);
    p.FitKrevCheck[0]->click();
    p.FitKfwdCheck[3]->click();
    p.FlowCheck[1]->click();
    // A linked rate's Fit box is off and disabled as soon as "=" is typed.
    EXPECT_FALSE(p.FitKfwdCheck[0]->isEnabled());
    p.FitKfwdCheck[0]->click();
    EXPECT_FALSE(p.FitKfwdCheck[0]->isChecked());
    TypeOver(p.konBox[3], "=");
    EXPECT_FALSE(p.FitKfwdCheck[3]->isChecked());
    TypeOver(p.konBox[3], "2");
    EXPECT_TRUE(p.FitKfwdCheck[3]->isEnabled());
    p.FitKfwdCheck[3]->click();
    // Choosing the " " item is no species.
    Choose(p.ABox[3], 4);

    TModelData m;
    BeginModelSync(m, 1);
    ASSERT_TRUE(p.GetReact(m));
    EXPECT_EQ(m.NumReactionLines, 4);
    EXPECT_EQ(m.NumReactions, 3);  // line 4 has no product
    EXPECT_EQ(m.KfwdLink[0], -2);
    EXPECT_EQ(m.Kfwd[0], 0);
    EXPECT_FALSE(m.FitKfwd[0]);
    EXPECT_EQ(m.Krev[0], 1e-3);
    EXPECT_TRUE(m.FitKrev[0]);
    EXPECT_EQ(m.KfwdLink[1], 1);
    EXPECT_EQ(m.Krev[1], 0);
    EXPECT_TRUE(m.MassTransport[1]);
    EXPECT_EQ(m.ReactA[2], -1);
    EXPECT_EQ(m.ReactB[2], 1);
    EXPECT_EQ(m.KfwdLink[2], 0);
    EXPECT_EQ(m.KrevLink[2], -1);
    EXPECT_EQ(m.ReactA[3], -1);
    EXPECT_EQ(m.Kfwd[3], 2);
    EXPECT_TRUE(m.FitKfwd[3]);
    EXPECT_EQ(m.NumFitParams, 2);
    ASSERT_EQ(msgs.Count(), 2u);
    EXPECT_EQ(msgs.All()[0].Text, "Negative rates are not allowed (reaction 2)");
    EXPECT_EQ(msgs.All()[0].Caption, "Model Error");
    EXPECT_EQ(msgs.All()[1].Text, "Invalid forward link in reaction 3");
    // The texts stay as typed.
    EXPECT_EQ(p.koffBox[1]->text(), "-1");
}

TEST(ReactPanel, TenLinesLeaveNoBlankLineAndScrollingKeepsThem) {
    test::ScriptedMessages msgs;
    TReactPanel p;
    p.show();
    p.resize(554, 100);  // (100 - 26) / 24 = 3 rows
    NameSpecies(p);
    for (int line = 0; line < 10; ++line) {
        while (p.GetNumLines() - p.GetFirstReact() >= 3) test::StepDown(p.ScrollBar);
        AddLine(p, 0, 1, 2, QString::number(line + 1), "0");
    }
    EXPECT_EQ(p.GetNumLines(), 10);
    EXPECT_EQ(p.ScrollBar->maximum(), 10);
    test::StepDown(p.ScrollBar, 3);
    for (int r = 0; r < 10; ++r)
        EXPECT_EQ(Shown(p.NumLabel[r]), p.GetFirstReact() + r < 10) << r;
    test::StepUp(p.ScrollBar, 10);
    EXPECT_EQ(p.konBox[0]->text(), "1");

    TModelData m;
    ASSERT_TRUE(p.GetReact(m));
    EXPECT_EQ(m.NumReactionLines, 10);
    EXPECT_EQ(m.NumReactions, 10);
    for (int r = 0; r < 10; ++r) EXPECT_EQ(m.Kfwd[r], r + 1) << r;
    EXPECT_EQ(msgs.Count(), 0u);

    // Growing the panel until every line fits hides the bar and returns to line 1.
    test::StepDown(p.ScrollBar, 2);
    p.resize(554, 400);
    EXPECT_FALSE(Shown(p.ScrollBar));
    EXPECT_EQ(p.GetFirstReact(), 0);
}

TEST(ReactPanel, ClearControlsReturnsToTheConstructedState) {
    test::ScriptedMessages msgs;
    TReactPanel p;
    NameSpecies(p);
    AddLine(p, 0, 1, 2, "1", "2");
    AddLine(p, 0, 1, 2, "3", "4");
    p.FlowCheck[0]->click();
    p.ClearControls();
    EXPECT_EQ(p.GetNumLines(), 0);
    EXPECT_EQ(p.GetFirstReact(), 0);
    EXPECT_EQ(RowPicture(p, 0), "xxxxxx.....");
    EXPECT_EQ(RowPicture(p, 1), "...........");
    EXPECT_EQ(p.ABox[0]->count(), 0);
    EXPECT_FALSE(p.FlowCheck[0]->isChecked());
    EXPECT_TRUE(p.FitKfwdCheck[0]->isEnabled());
    // Asking for the model now reads no line and reports nothing.
    TModelData m;
    EXPECT_TRUE(p.GetReact(m));
    EXPECT_EQ(m.NumReactionLines, 0);
    EXPECT_EQ(msgs.Count(), 0u);
}

TEST(ReactPanel, LoadedAndFittedRatesKeepTheirFullPrecision) {
    test::ScriptedMessages msgs;
    TModelData m;
    m.NumSpeciesLines = 4;
    m.SpecName[0] = "A";
    m.SpecName[1] = "B";
    m.SpecName[2] = "AB";
    m.NumReactionLines = 2;
    m.ReactA[0] = 0;
    m.ReactB[0] = 1;
    m.Product[0] = 2;
    m.Kfwd[0] = 123456.789;
    m.FitKfwd[0] = true;
    m.KrevLink[0] = -2;
    m.ReactA[1] = 2;
    m.ReactB[1] = -1;
    m.Product[1] = 1;
    m.KfwdLink[1] = 1;
    m.FitKfwd[1] = true;  // a link is never fitted
    m.Krev[1] = 0.001234567;
    m.FitKrev[1] = true;
    m.MassTransport[1] = true;

    TReactPanel p;
    p.SetReact(m);
    EXPECT_EQ(p.GetNumLines(), 2);
    EXPECT_EQ(Items(p.ABox[5]), QStringList({"A", "B", "AB", ""}));
    EXPECT_EQ(p.ProductBox[0]->currentText(), "AB");
    EXPECT_EQ(p.konBox[0]->text(), "1.235e+05");
    EXPECT_EQ(p.koffBox[0]->text(), "=r2");
    EXPECT_FALSE(p.FitKrevCheck[0]->isEnabled());
    EXPECT_EQ(p.konBox[1]->text(), "=f1");
    EXPECT_FALSE(p.FitKfwdCheck[1]->isChecked());
    EXPECT_EQ(p.ABox[2]->currentIndex(), -1);

    TModelData back;
    ASSERT_TRUE(p.GetReact(back));
    EXPECT_EQ(back.Kfwd[0], 123456.789);
    EXPECT_EQ(back.KrevLink[0], -2);
    EXPECT_EQ(back.KfwdLink[1], 1);
    EXPECT_FALSE(back.FitKfwd[1]);
    EXPECT_EQ(back.Krev[1], 0.001234567);
    EXPECT_TRUE(back.MassTransport[1]);
    EXPECT_EQ(back.NumFitParams, 2);

    // After a fit: shown with few digits, kept whole.
    back.Kfwd[0] = 987654.321;
    back.Krev[1] = 2.718281828e-4;
    p.SetFitResults(back);
    EXPECT_EQ(p.konBox[0]->text(), "9.877e+05");
    EXPECT_EQ(p.koffBox[1]->text(), "2.718e-04");
    TModelData again;
    ASSERT_TRUE(p.GetReact(again));
    EXPECT_EQ(again.Kfwd[0], 987654.321);
    EXPECT_EQ(again.Krev[1], 2.718281828e-4);
    // An edited text is read as typed.
    TypeOver(p.konBox[0], "5e4");
    ASSERT_TRUE(p.GetReact(again));
    EXPECT_EQ(again.Kfwd[0], 5e4);
    EXPECT_EQ(msgs.Count(), 0u);
}
