#pragma once
// The km calculator without its window: the conversions between molecular
// weight, hydrodynamic radius, frictional coefficient, diffusion coefficient
// and the flow cell's mass-transport coefficient km, in the units its boxes
// show (cm, g, s, ul/min, degrees Celsius, RU/(M s)).
#include <initializer_list>
#include <string>

namespace kivra {

// Partial specific volume of a protein in cm3/g at tempC degrees Celsius.
double PartialSpecificVolume(double tempC);
// Viscosity of water in poise at tempC degrees Celsius (a rational fit, valid
// near room temperature; it has a pole near -35 and turns negative above ~330).
double WaterViscosity(double tempC);
// Mean flow velocity in cm/s of flow ul/min through a channel width x height cm.
double MeanFlowVelocity(double flow, double width, double height);

// A sphere of radius r cm and partial specific volume vbar.
double MWFromRadius(double radius, double vbar);
double RadiusFromMW(double mw, double vbar);
// Stokes' law, f = 6 pi eta r.
double FrictionFromRadius(double radius, double eta);
double RadiusFromFriction(double friction, double eta);
// Einstein's relation, D = k T / f, with the temperature in Celsius; the same
// formula serves both ways.
double DiffFromFriction(double friction, double tempC);
double FrictionFromDiff(double diff, double tempC);
// The flow cell's transport coefficient for a mean velocity v and a cell of
// height h and length l: km = 1.467 (D^2 v / (h l))^(1/3), scaled to RU/(M s)
// by 1e7 x MW.
double KmFromDiff(double diff, double mw, double velocity, double height, double length);
double DiffFromKm(double km, double mw, double velocity, double height, double length);

// Six significant digits in exponent form, "1.50000e+05"; never locale-dependent.
std::string FormatCalcValue(double value);

enum class KmCalcBox { Flow, Temp, Height, Length, Width, MW, Radius, Friction, Diff, Km };

// The calculator's steps over boxes that the window provides. Each step reads
// the leading number of the boxes it needs (no number counts as 0) and writes
// one box; a step that cannot give a finite real result shows a "Calculation
// Error" message, changes no box and returns false.
class TKmCalcCore {
public:
    virtual ~TKmCalcCore() = default;

    bool RadMW();  // radius -> MW
    bool MWRad();  // MW -> radius
    bool FRad();   // f -> radius
    bool RadF();   // radius -> f
    bool DF();     // D -> f
    bool FD();     // f -> D
    bool KmD();    // km -> D
    bool DKm();    // D -> km
    // km to D to f to radius, and MW to radius to f to D to km. Each stops at
    // the first step that fails and empties the boxes it did not reach, so
    // that nothing shown or copied belongs to other inputs.
    bool AllUp();
    bool AllDown();

protected:
    virtual std::string BoxText(KmCalcBox box) const = 0;
    virtual void SetBoxText(KmCalcBox box, const std::string& text) = 0;

private:
    double Value(KmCalcBox box) const;
    bool Write(KmCalcBox box, double value);
    bool Convert(KmCalcBox from, KmCalcBox to, double (*term)(double), const char* noTerm,
                 double (*formula)(double, double));
    // The three geometry checks that both km steps make, in their order.
    bool GeometryGiven();
    // The steps in order, each writing its box; true when all of them did.
    struct ChainStep {
        bool (TKmCalcCore::*Step)();
        KmCalcBox Target;
    };
    bool RunChain(std::initializer_list<ChainStep> steps);
};

} // namespace kivra
