#include <gtest/gtest.h>
#include <map>
#include <string>

#include "engine/calculator/km_calc.h"
#include "tests/support/scripted_messages.h"

namespace kivra {
namespace {

using Box = KmCalcBox;
using Boxes = std::map<Box, std::string>;

// The calculator over a map of box texts instead of edit boxes.
class MapCalc : public TKmCalcCore {
public:
    Boxes Texts{{Box::Flow, "100"},   {Box::Temp, "30"},   {Box::Height, "0.005"},
                {Box::Length, "0.24"}, {Box::Width, "0.05"}, {Box::MW, ""},
                {Box::Radius, ""},     {Box::Friction, ""}, {Box::Diff, ""},
                {Box::Km, ""}};

protected:
    std::string BoxText(Box box) const override { return Texts.at(box); }
    void SetBoxText(Box box, const std::string& text) override { Texts[box] = text; }
};

TEST(KmCalc, WaterViscosityAtRoomTemperatures) {
    EXPECT_NEAR(WaterViscosity(20), 0.0100849, 5e-8);
    EXPECT_NEAR(WaterViscosity(30), 0.0080034, 5e-8);
    EXPECT_EQ(FormatCalcValue(150000), "1.50000e+05");
}

// Each step reads the six-digit text the one before it wrote, so the way back
// ends one digit off in D.
TEST(KmCalc, AllDownFromMWAndAllUpBack) {
    test::ScriptedMessages msgs;
    MapCalc calc;
    calc.Texts[Box::MW] = "150000";
    ASSERT_TRUE(calc.AllDown());
    EXPECT_EQ(calc.Texts[Box::Radius], "3.51786e-07");
    EXPECT_EQ(calc.Texts[Box::Friction], "5.30709e-08");
    EXPECT_EQ(calc.Texts[Box::Diff], "7.88279e-07");
    EXPECT_EQ(calc.Texts[Box::Km], "3.32571e+09");

    calc.Texts[Box::Radius] = calc.Texts[Box::Friction] = calc.Texts[Box::Diff] = "";
    ASSERT_TRUE(calc.AllUp());
    EXPECT_EQ(calc.Texts[Box::Diff], "7.88280e-07");
    EXPECT_EQ(calc.Texts[Box::Friction], "5.30709e-08");
    EXPECT_EQ(calc.Texts[Box::Radius], "3.51786e-07");
    EXPECT_EQ(calc.Texts[Box::MW], "150000");
    EXPECT_EQ(msgs.Count(), 0u);
}

struct ErrorCase {
    const char* Name;
    bool (TKmCalcCore::*Step)();
    Boxes Changes;
    const char* Message;
};

TEST(KmCalc, StepsWithoutARealResultShowAMessageAndChangeNoBox) {
    const char* const noResult = "Result is not a finite real number";
    const char* const noVbar = "Partial specific volume is not positive at this temperature";
    const char* const noEta = "Viscosity of water is not positive at this temperature";
    const char* const noKelvin = "Temperature is at or below absolute zero";
    const ErrorCase cases[] = {
        {"f zero", &TKmCalcCore::FD, {{Box::Friction, "0"}}, "Frictional coefficient is zero"},
        {"f not a number", &TKmCalcCore::FD, {{Box::Friction, "abc"}}, "Frictional coefficient is zero"},
        {"D empty", &TKmCalcCore::DF, {{Box::Diff, ""}}, "Diffusion coefficient is zero"},
        {"width first", &TKmCalcCore::DKm, {{Box::Width, "0"}, {Box::Height, "0"}}, "Flow cell width is zero"},
        {"height", &TKmCalcCore::DKm, {{Box::Height, "0"}, {Box::Length, "0"}}, "Flow cell height is zero"},
        {"length", &TKmCalcCore::KmD, {{Box::Length, "x"}}, "Flow cell length is zero"},
        {"MW", &TKmCalcCore::KmD, {{Box::MW, "0"}, {Box::Flow, "0"}}, "Molecular Weight is zero"},
        {"flow", &TKmCalcCore::KmD, {{Box::Flow, "0"}}, "Flow rate is zero"},
        {"below 0 K f", &TKmCalcCore::FD, {{Box::Temp, "-300"}}, noKelvin},
        {"at 0 K D", &TKmCalcCore::DF, {{Box::Temp, "-273.15"}}, noKelvin},
        {"vbar up", &TKmCalcCore::RadMW, {{Box::Temp, "-2000"}}, noVbar},
        {"vbar down", &TKmCalcCore::MWRad, {{Box::Temp, "-1800"}}, noVbar},
        {"eta cold", &TKmCalcCore::RadF, {{Box::Temp, "-50"}}, noEta},
        {"eta hot", &TKmCalcCore::FRad, {{Box::Temp, "400"}}, noEta},
        {"cube root of negative MW", &TKmCalcCore::MWRad, {{Box::MW, "-150000"}}, noResult},
        {"square root of negative km", &TKmCalcCore::KmD, {{Box::Km, "-3e9"}}, noResult},
        {"cube root of negative flow", &TKmCalcCore::DKm, {{Box::Flow, "-100"}}, noResult},
        {"MW overflows", &TKmCalcCore::RadMW, {{Box::Radius, "1e200"}}, noResult},
        {"D overflows", &TKmCalcCore::FD, {{Box::Friction, "1e-323"}}, noResult},
        {"velocity overflows", &TKmCalcCore::KmD, {{Box::Flow, "1e308"}, {Box::Width, "1e-200"}}, noResult},
        {"input overflows", &TKmCalcCore::RadF, {{Box::Radius, "1e999"}}, noResult},
    };
    for (const ErrorCase& c : cases) {
        SCOPED_TRACE(c.Name);
        test::ScriptedMessages msgs;
        MapCalc calc;
        calc.Texts[Box::MW] = "150000";
        calc.Texts[Box::Radius] = "3.51786e-07";
        calc.Texts[Box::Friction] = "5.30709e-08";
        calc.Texts[Box::Diff] = "7.88279e-07";
        calc.Texts[Box::Km] = "3.32571e+09";
        for (const auto& [box, text] : c.Changes) calc.Texts[box] = text;
        const Boxes before = calc.Texts;
        EXPECT_FALSE((calc.*c.Step)());
        EXPECT_EQ(calc.Texts, before);
        ASSERT_EQ(msgs.Count(), 1u);
        EXPECT_EQ(msgs.Last().Text, c.Message);
        EXPECT_EQ(msgs.Last().Caption, "Calculation Error");
        EXPECT_EQ(msgs.Last().Buttons, MsgButtons::Ok);
        EXPECT_EQ(msgs.Last().Icon, MsgIcon::None);
    }
}

// A failed step ends the chain and empties the boxes it did not reach: what
// stays shown, and Copy, belongs to the inputs.
TEST(KmCalc, ChainsStopAtTheFirstMessage) {
    test::ScriptedMessages msgs;
    MapCalc calc;
    calc.Texts[Box::Diff] = "7.88279e-07";
    calc.Texts[Box::Km] = "3.32571e+09";
    EXPECT_FALSE(calc.AllDown());  // MW empty: radius and f become 0, then f = 0 stops
    EXPECT_EQ(calc.Texts[Box::Radius], "0.00000e+00");
    EXPECT_EQ(calc.Texts[Box::Friction], "0.00000e+00");
    EXPECT_EQ(calc.Texts[Box::Diff], "");
    EXPECT_EQ(calc.Texts[Box::Km], "");

    calc.Texts[Box::MW] = "150000";
    calc.Texts[Box::Km] = "3.32571e+09";
    calc.Texts[Box::Flow] = "0";
    EXPECT_FALSE(calc.AllUp());
    EXPECT_EQ(calc.Texts[Box::Diff] + calc.Texts[Box::Friction] + calc.Texts[Box::Radius], "");
    EXPECT_EQ(calc.Texts[Box::Km], "3.32571e+09");
    ASSERT_EQ(msgs.Count(), 2u);
    EXPECT_EQ(msgs.All()[0].Text, "Frictional coefficient is zero");
    EXPECT_EQ(msgs.All()[1].Text, "Flow rate is zero");
}

} // namespace
} // namespace kivra
