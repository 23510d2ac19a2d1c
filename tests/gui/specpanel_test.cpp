#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <gtest/gtest.h>

#include "widgets/specpanel.h"
#include "widgets/senstab_widget.h"
#include "tests/gui/panel_driving.h"
#include "tests/support/scripted_messages.h"

using namespace kivra;
using kivra::test::StepDown;
using kivra::test::Type;
using kivra::test::TypeOver;

namespace {

using kivra::test::Shown;

std::string RowPicture(const TSpecPanel& p, int r) {
    return test::Picture(p.NumLabel[r], p.NameBox[r], p.LclCheck[r], p.InjCheck[r], p.InjList[r],
                         p.ConcBox[r], p.FitConcCheck[r], p.RspCheck[r], p.RFactorBox[r], p.FitRCheck[r]);
}

// Types names into the first lines, each one the blank line in turn.
void TypeNames(TSpecPanel& p, std::initializer_list<const char*> names) {
    int line = 0;
    for (const char* name : names) Type(p.NameBox[line++], name);
}

// Types a name into the panel's blank line, scrolling first when it is out of view.
void TypeNewLine(TSpecPanel& p, const QString& name) {
    const int blank = p.GetNumLines() - 1;
    while (blank - p.GetFirstSpec() >= (p.height() - 24) / 24) StepDown(p.ScrollBar);
    Type(p.NameBox[blank - p.GetFirstSpec()], name);
}

} // namespace

TEST(SpecPanel, StartsWithTwoLinesAndABlankOne) {
    TSpecPanel p;
    EXPECT_EQ(p.GetNumLines(), 3);
    EXPECT_EQ(RowPicture(p, 0), "xxxx.xxx..");
    EXPECT_EQ(RowPicture(p, 1), "xxxx.xxx..");
    EXPECT_EQ(RowPicture(p, 2), "xx........");
    EXPECT_EQ(RowPicture(p, 3), "..........");
    EXPECT_EQ(p.NumLabel[2]->text(), "3");
    EXPECT_EQ(p.RFactorBox[0]->text(), "1.00");

    TModelData m;
    p.GetSpecies(m);
    EXPECT_EQ(m.NumSpeciesLines, 3);
    EXPECT_EQ(m.NumSpecies, 0);
    EXPECT_EQ(m.AnalyteInj[0][2], -1);
    EXPECT_EQ(m.RFactor[2], 1.0);
}

TEST(SpecPanel, TypingIntoTheBlankLineAddsALineAndTellsTheOwner) {
    TSpecPanel p;
    std::vector<std::pair<int, std::string>> told;
    p.OnNameChange = [&](TSpecPanel* sender, int line, const std::string& name) {
        EXPECT_EQ(sender, &p);
        told.emplace_back(line, name);
    };
    Type(p.NameBox[0], "A");
    EXPECT_EQ(p.GetNumLines(), 3);  // not the blank line
    Type(p.NameBox[2], "Cx");
    EXPECT_EQ(p.GetNumLines(), 4);
    EXPECT_EQ(RowPicture(p, 2), "xxxx.xxx..");
    EXPECT_EQ(RowPicture(p, 3), "xx........");
    ASSERT_EQ(told.size(), 3u);
    EXPECT_EQ(told[0], std::make_pair(0, std::string("A")));
    EXPECT_EQ(told[2], std::make_pair(2, std::string("Cx")));

    // Names the program writes add no line and tell nobody.
    p.NameBox[3]->setText("Q");
    EXPECT_EQ(p.GetNumLines(), 4);
    EXPECT_EQ(told.size(), 3u);
}

TEST(SpecPanel, ColumnsFollowTheChecksOnTheModelPage) {
    test::ScriptedMessages msgs;
    TSpecPanel p;
    TypeNames(p, {"A", "B", "C", "L"});
    // A: fed by injection slot 3; its Fit box was checked before and must not count.
    p.FitConcCheck[0]->click();
    p.InjCheck[0]->click();
    EXPECT_EQ(RowPicture(p, 0), "xxxxx.....");
    EXPECT_EQ(p.InjList[0]->CurrentText(), "Inj 1");
    test::StepUp(p.InjList[0]->Arrows, 2);
    EXPECT_EQ(p.InjList[0]->CurrentText(), "Inj 3");
    // B: a leading number, fitted, in the response with its own fitted factor.
    Type(p.ConcBox[1], "2.5e-3 M");
    p.FitConcCheck[1]->click();
    p.RspCheck[1]->click();
    EXPECT_EQ(RowPicture(p, 1), "xxxx.xxxxx");
    TypeOver(p.RFactorBox[1], "0.5");
    p.FitRCheck[1]->click();
    // C: letters give 0; its R factor is fitted though Rsp hides the column.
    Type(p.ConcBox[2], "abc");
    p.RspCheck[2]->click();
    p.FitRCheck[2]->click();
    p.RspCheck[2]->click();
    EXPECT_EQ(RowPicture(p, 2), "xxxx.xxx..");
    // L: local; its values belong to the data pages.
    Type(p.ConcBox[3], "9");
    p.LclCheck[3]->click();
    EXPECT_EQ(RowPicture(p, 3), "xxx.......");

    TModelData m;
    m.InitConc[0][3] = 42;
    p.GetSpecies(m);
    EXPECT_EQ(m.NumSpeciesLines, 5);
    EXPECT_EQ(m.NumSpecies, 4);
    EXPECT_EQ(m.AnalyteInj[0][0], 2);
    EXPECT_FALSE(m.FitConc[0][0]);
    EXPECT_EQ(m.AnalyteInj[0][1], -1);
    EXPECT_EQ(m.InitConc[0][1], 2.5e-3);
    EXPECT_EQ(m.InitConcText[1], "2.5e-3 M");
    EXPECT_TRUE(m.Response[0][1]);
    EXPECT_EQ(m.RFactor[1], 0.5);
    EXPECT_EQ(m.InitConc[0][2], 0);
    EXPECT_TRUE(m.FitRFactor[2]);
    EXPECT_TRUE(m.SpecLocal[3]);
    EXPECT_EQ(m.InitConc[0][3], 42);  // a local line leaves row 0 alone
    EXPECT_EQ(m.NumFitParams, 3);     // B's conc and factor, C's factor
    EXPECT_EQ(msgs.Count(), 0u);
}

TEST(SpecPanel, TheTenthLineComesIntoUseBlank) {
    TSpecPanel p;
    p.show();
    p.resize(554, 400);  // every line in view while they are typed
    for (int line = 0; line < 8; ++line) {
        Type(p.NameBox[line], QString(QChar('A' + line)));
        Type(p.ConcBox[line], QString::number(line + 1));
        if (line % 3 == 0) p.LclCheck[line]->click();
    }
    ASSERT_EQ(p.GetNumLines(), 9);
    p.resize(554, 100);  // three rows in view
    EXPECT_TRUE(Shown(p.ScrollBar));
    p.ScrollBar->setValue(6);  // the thumb dragged straight to line 7
    ASSERT_EQ(p.GetFirstSpec(), 6);
    Type(p.NameBox[2], "I");
    ASSERT_EQ(p.GetNumLines(), 10);
    EXPECT_EQ(p.ScrollBar->maximum(), 9);
    // The tenth line has no blank line after it, and shows nothing of the
    // line its row showed before the scroll.
    EXPECT_EQ(p.NumLabel[3]->text(), "10");
    EXPECT_EQ(p.NameBox[3]->text(), "");
    EXPECT_FALSE(p.LclCheck[3]->isChecked());
    EXPECT_EQ(p.ConcBox[3]->text(), "");
    EXPECT_EQ(p.RFactorBox[3]->text(), "1.00");
    EXPECT_EQ(RowPicture(p, 3), "xxxx.xxx..");
    // Typing into it adds nothing.
    StepDown(p.ScrollBar);
    Type(p.NameBox[2], "J");
    EXPECT_EQ(p.GetNumLines(), 10);

    TModelData m;
    p.GetSpecies(m);
    EXPECT_EQ(m.NumSpeciesLines, 10);
    EXPECT_EQ(m.NumSpecies, 10);
    for (int s = 0; s < 9; ++s) EXPECT_EQ(m.SpecName[s], std::string(1, char('A' + s)));
    EXPECT_EQ(m.SpecName[9], "J");
    EXPECT_EQ(m.InitConc[0][7], 8);
    EXPECT_EQ(m.InitConc[0][9], 0);
    EXPECT_TRUE(m.SpecLocal[6]);
    EXPECT_FALSE(m.SpecLocal[9]);
}

TEST(SpecPanel, ScrollingKeepsEveryLineAndTellsTheOwner) {
    TSpecPanel p;
    p.show();
    p.resize(554, 100);
    for (int line = 2; line < 6; ++line) TypeNewLine(p, QStringLiteral("S%1").arg(line));
    std::vector<int> told;
    p.OnSpecScroll = [&](TSpecPanel*, int pos) { told.push_back(pos); };
    test::StepUp(p.ScrollBar, 10);
    EXPECT_EQ(p.GetFirstSpec(), 0);
    Type(p.NameBox[0], "X");
    Type(p.ConcBox[0], "7");
    StepDown(p.ScrollBar, 3);
    EXPECT_EQ(p.GetFirstSpec(), 3);
    EXPECT_EQ(p.NameBox[0]->text(), "S3");
    EXPECT_EQ(p.NumLabel[0]->text(), "4");
    EXPECT_EQ(told.back(), 3);
    // Set by the program: no event.
    told.clear();
    p.SetFirstSpec(1);
    EXPECT_EQ(p.ScrollBar->value(), 1);
    EXPECT_TRUE(told.empty());

    TModelData m;
    p.GetSpecies(m);
    EXPECT_EQ(m.SpecName[0], "X");
    EXPECT_EQ(m.InitConc[0][0], 7);
    EXPECT_EQ(m.SpecName[5], "S5");
    EXPECT_EQ(m.NumSpeciesLines, 7);

    // Growing the panel until every line fits hides the bar and shows line 1 again.
    p.resize(554, 400);
    EXPECT_FALSE(Shown(p.ScrollBar));
    EXPECT_EQ(p.GetFirstSpec(), 0);
    EXPECT_EQ(p.NameBox[0]->text(), "X");
}

TEST(SpecPanel, DataPageEditsOnlyItsOwnLocalSpecies) {
    test::ScriptedMessages msgs;
    TSpecPanel model;
    TypeNames(model, {"A", "L", "F"});
    Type(model.ConcBox[0], "5");
    model.RspCheck[0]->click();
    model.LclCheck[1]->click();
    model.LclCheck[2]->click();

    TSensTab page;
    page.Tag = 3;
    TSpecPanel& p = *page.SpecPanel;
    ASSERT_TRUE(p.GetIsDataPage());

    TModelData m;
    BeginModelSync(m, 4);
    model.GetSpecies(m);
    m.InitConc[0][1] = 11;
    page.GetPanelSpecies(m);
    ASSERT_EQ(p.GetNumLines(), 4);
    // Mirrored lines are read-only; local lines are edited here.
    EXPECT_EQ(p.NameBox[0]->text(), "A");
    EXPECT_TRUE(p.NameBox[0]->isReadOnly());
    EXPECT_FALSE(p.ConcBox[0]->isEnabled());
    EXPECT_EQ(p.ConcBox[0]->palette().color(QPalette::Base), QColor(192, 192, 192));
    EXPECT_EQ(p.ConcBox[0]->text(), "5");
    EXPECT_TRUE(p.RspCheck[0]->isChecked());
    EXPECT_TRUE(p.ConcBox[1]->isEnabled());
    EXPECT_FALSE(p.ConcBox[1]->isReadOnly());
    EXPECT_FALSE(p.LclCheck[1]->isEnabled());
    EXPECT_EQ(RowPicture(p, 1), "xxxx.xxx..");
    EXPECT_TRUE(p.NameBox[3]->isReadOnly());  // the blank line
    EXPECT_FALSE(Shown(p.Rule));

    Type(p.ConcBox[1], "3.5e-9");
    p.FitConcCheck[1]->click();
    p.RspCheck[1]->click();
    p.InjCheck[2]->click();
    test::StepUp(p.InjList[2]->Arrows, 5);
    EXPECT_EQ(p.InjList[2]->CurrentText(), "Inj 6");

    BeginModelSync(m, 4);
    model.GetSpecies(m);
    page.GetPanelSpecies(m);
    EXPECT_EQ(m.InitConc[3][1], 3.5e-9);
    EXPECT_TRUE(m.FitConc[3][1]);
    EXPECT_TRUE(m.Response[3][1]);
    EXPECT_EQ(m.AnalyteInj[3][1], -1);
    EXPECT_EQ(m.AnalyteInj[3][2], 5);
    EXPECT_FALSE(m.FitConc[3][2]);
    EXPECT_EQ(m.InitConc[0][1], 11);  // row 0 is the model page's
    EXPECT_EQ(m.InitConc[3][0], 0);   // a non-local species writes nothing here
    EXPECT_EQ(m.NumFitParams, 1);

    // A species line added on the model page comes into use here blank.
    Type(model.NameBox[3], "N");
    model.GetSpecies(m);
    page.GetPanelSpecies(m);
    EXPECT_EQ(p.GetNumLines(), 5);
    EXPECT_EQ(p.NameBox[3]->text(), "N");
    EXPECT_EQ(p.ConcBox[3]->text(), "");
    EXPECT_EQ(msgs.Count(), 0u);
}

TEST(SpecPanel, LoadedAndFittedValuesKeepTheirFullPrecision) {
    TModelData m;
    m.NumSpeciesLines = 3;
    m.SpecName[0] = "A";
    m.SpecName[1] = "B";
    m.AnalyteInj[0][0] = 1;
    m.AnalyteInj[0][1] = -1;
    m.InitConc[0][1] = 1e-9;
    m.FitConc[0][1] = true;
    m.RFactorText[1] = "2";
    m.RFactor[1] = 2;
    m.FitRFactor[1] = true;
    m.AnalyteInj[0][2] = -1;

    TSpecPanel p;
    p.SetSpecies(m);
    EXPECT_EQ(p.NameBox[1]->text(), "B");
    EXPECT_EQ(p.ConcBox[1]->text(), "1e-09");
    EXPECT_TRUE(p.InjCheck[0]->isChecked());
    EXPECT_EQ(p.InjList[0]->CurrentText(), "Inj 2");

    const double fitted = 1.234567890123e-7, factor = 0.98765432109;
    m.InitConc[0][1] = fitted;
    m.RFactor[1] = factor;
    p.SetFitResults(m);
    EXPECT_EQ(p.ConcBox[1]->text(), "1.235e-07");
    EXPECT_EQ(p.RFactorBox[1]->text(), "0.9877");
    TModelData back;
    p.GetSpecies(back);
    EXPECT_EQ(back.InitConc[0][1], fitted);
    EXPECT_EQ(back.InitConcText[1], "1.235e-07");
    EXPECT_EQ(back.RFactor[1], factor);
    EXPECT_EQ(back.AnalyteInj[0][0], 1);
    // Scrolling out and back in keeps the exact value too.
    p.SetFirstSpec(2);
    p.SetFirstSpec(0);
    p.GetSpecies(back);
    EXPECT_EQ(back.InitConc[0][1], fitted);
    // Once the user edits the text, the text is the value.
    TypeOver(p.ConcBox[1], "2e-7");
    p.GetSpecies(back);
    EXPECT_EQ(back.InitConc[0][1], 2e-7);
}

TEST(SpecPanel, AModelWithoutItsBlankLineKeepsItsLastSpecies) {
    for (const int lines : {2, MaxSpecies}) {
        TModelData m;
        m.NumSpeciesLines = lines;
        for (int s = 0; s < lines; ++s) {
            m.SpecName[s] = "S" + std::to_string(s);
            m.AnalyteInj[0][s] = -1;
            m.InitConc[0][s] = s + 1;
        }
        TSpecPanel p;
        p.SetSpecies(m);
        TModelData back;
        p.GetSpecies(back);
        EXPECT_EQ(back.NumSpecies, lines);
        EXPECT_EQ(back.SpecName[lines - 1], m.SpecName[lines - 1]);
        EXPECT_EQ(back.InitConc[0][lines - 1], lines);
        EXPECT_EQ(back.NumSpeciesLines, std::min(lines + 1, MaxSpecies));
    }
}

TEST(SpecPanel, ClearControlsReturnsToTheFirstState) {
    TSpecPanel p;
    p.show();
    p.resize(554, 100);
    for (int line = 2; line < 7; ++line) TypeNewLine(p, "S");
    p.LclCheck[0]->click();
    ASSERT_GT(p.GetFirstSpec(), 0);
    p.ClearControls();
    EXPECT_EQ(p.GetNumLines(), 3);
    EXPECT_EQ(p.GetFirstSpec(), 0);
    EXPECT_FALSE(Shown(p.ScrollBar));
    for (int r = 0; r < 2; ++r) EXPECT_EQ(RowPicture(p, r), "xxxx.xxx..") << r;
    EXPECT_EQ(RowPicture(p, 2), "xx........");
    TModelData m;
    p.GetSpecies(m);
    EXPECT_EQ(m.NumSpecies, 0);
    EXPECT_FALSE(m.SpecLocal[0]);

    // A record without species lines still leaves the blank line to type into.
    m.NumSpeciesLines = 0;
    p.SetSpecies(m);
    EXPECT_EQ(p.GetNumLines(), 1);
    EXPECT_EQ(RowPicture(p, 0), "xx........");
    Type(p.NameBox[0], "A");
    EXPECT_EQ(p.GetNumLines(), 2);
}
