#include "engine/calculator/km_calc.h"

#include <charconv>
#include <cmath>

#include "engine/model/model_sync.h"
#include "platform/core/messages.h"

namespace kivra {
namespace {

constexpr double Boltzmann = 1.38e-16;              // erg/K
constexpr double FourPiAvogadro = 7.567682012267538e+24;  // 4 pi x 6.02217e23
constexpr double SixPi = 18.84955592153876;
constexpr double TransportFactor = 1.467;          // km = 1.467 (D^2 v / (h l))^(1/3)
constexpr double KmScale = 1e7;                    // times MW: RU/(M s) from cm/s

const char* const Caption = "Calculation Error";
const char* const NoResult = "Result is not a finite real number";
const char* const NoVbar = "Partial specific volume is not positive at this temperature";
const char* const NoEta = "Viscosity of water is not positive at this temperature";
const char* const NoKelvin = "Temperature is at or below absolute zero";

bool Fail(const char* text) {
    ShowMessage(text, Caption);
    return false;
}

bool Usable(double x) { return x > 0 && std::isfinite(x); }

} // namespace

double PartialSpecificVolume(double tempC) { return (tempC - 25) * 0.000425 + 0.73; }

double WaterViscosity(double tempC) {
    const double t = tempC;
    return (0.01793842 - 0.00064159 * t + 2.08023e-05 * t * t - 5.7572e-08 * t * t * t) /
           (1 + 1.17755e-05 * t - 3.8648e-05 * t * t + 3.76249e-05 * t * t * t);
}

double MeanFlowVelocity(double flow, double width, double height) {
    return flow / (60000 * width * height);
}

double MWFromRadius(double radius, double vbar) {
    return FourPiAvogadro * radius * radius * radius / (3 * vbar);
}

double RadiusFromMW(double mw, double vbar) { return std::pow(3 * mw * vbar / FourPiAvogadro, 1.0 / 3); }

double FrictionFromRadius(double radius, double eta) { return SixPi * eta * radius; }

double RadiusFromFriction(double friction, double eta) { return friction / (SixPi * eta); }

double DiffFromFriction(double friction, double tempC) { return Boltzmann * (tempC + 273.15) / friction; }

double FrictionFromDiff(double diff, double tempC) { return DiffFromFriction(diff, tempC); }

double KmFromDiff(double diff, double mw, double velocity, double height, double length) {
    return KmScale * mw * TransportFactor * std::pow(diff * diff * velocity / (height * length), 1.0 / 3);
}

double DiffFromKm(double km, double mw, double velocity, double height, double length) {
    const double c = km / (KmScale * mw) / TransportFactor;
    return std::sqrt(c * c * c * height * length / velocity);
}

std::string FormatCalcValue(double value) {
    char buffer[40];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 5);
    return std::string(buffer, r.ptr);
}

double TKmCalcCore::Value(KmCalcBox box) const { return LeadingNumber(BoxText(box)); }

// The one place a result reaches a box, so no box ever shows inf or nan.
bool TKmCalcCore::Write(KmCalcBox box, double value) {
    if (!std::isfinite(value)) return Fail(NoResult);
    SetBoxText(box, FormatCalcValue(value));
    return true;
}

bool TKmCalcCore::GeometryGiven() {
    if (Value(KmCalcBox::Width) == 0) return Fail("Flow cell width is zero");
    if (Value(KmCalcBox::Height) == 0) return Fail("Flow cell height is zero");
    if (Value(KmCalcBox::Length) == 0) return Fail("Flow cell length is zero");
    return true;
}

// A step whose formula needs one positive term of the temperature.
bool TKmCalcCore::Convert(KmCalcBox from, KmCalcBox to, double (*term)(double), const char* noTerm,
                          double (*formula)(double, double)) {
    const double t = term(Value(KmCalcBox::Temp));
    if (!Usable(t)) return Fail(noTerm);
    return Write(to, formula(Value(from), t));
}

bool TKmCalcCore::RadMW() {
    return Convert(KmCalcBox::Radius, KmCalcBox::MW, PartialSpecificVolume, NoVbar, MWFromRadius);
}

bool TKmCalcCore::MWRad() {
    return Convert(KmCalcBox::MW, KmCalcBox::Radius, PartialSpecificVolume, NoVbar, RadiusFromMW);
}

bool TKmCalcCore::FRad() {
    return Convert(KmCalcBox::Friction, KmCalcBox::Radius, WaterViscosity, NoEta, RadiusFromFriction);
}

bool TKmCalcCore::RadF() {
    return Convert(KmCalcBox::Radius, KmCalcBox::Friction, WaterViscosity, NoEta, FrictionFromRadius);
}

bool TKmCalcCore::DF() {
    const double diff = Value(KmCalcBox::Diff);
    if (diff == 0) return Fail("Diffusion coefficient is zero");
    const double temp = Value(KmCalcBox::Temp);
    if (!(temp + 273.15 > 0)) return Fail(NoKelvin);
    return Write(KmCalcBox::Friction, FrictionFromDiff(diff, temp));
}

bool TKmCalcCore::FD() {
    const double friction = Value(KmCalcBox::Friction);
    if (friction == 0) return Fail("Frictional coefficient is zero");
    const double temp = Value(KmCalcBox::Temp);
    if (!(temp + 273.15 > 0)) return Fail(NoKelvin);
    return Write(KmCalcBox::Diff, DiffFromFriction(friction, temp));
}

bool TKmCalcCore::KmD() {
    if (!GeometryGiven()) return false;
    const double mw = Value(KmCalcBox::MW);
    if (mw == 0) return Fail("Molecular Weight is zero");
    const double flow = Value(KmCalcBox::Flow);
    if (flow == 0) return Fail("Flow rate is zero");
    const double v = MeanFlowVelocity(flow, Value(KmCalcBox::Width), Value(KmCalcBox::Height));
    if (!std::isfinite(v)) return Fail(NoResult);
    return Write(KmCalcBox::Diff, DiffFromKm(Value(KmCalcBox::Km), mw, v, Value(KmCalcBox::Height),
                                             Value(KmCalcBox::Length)));
}

bool TKmCalcCore::DKm() {
    if (!GeometryGiven()) return false;
    const double v =
        MeanFlowVelocity(Value(KmCalcBox::Flow), Value(KmCalcBox::Width), Value(KmCalcBox::Height));
    return Write(KmCalcBox::Km, KmFromDiff(Value(KmCalcBox::Diff), Value(KmCalcBox::MW), v,
                                           Value(KmCalcBox::Height), Value(KmCalcBox::Length)));
}

bool TKmCalcCore::RunChain(std::initializer_list<ChainStep> steps) {
    bool going = true;
    for (const ChainStep& s : steps) {
        if (going) going = (this->*s.Step)();
        if (!going) SetBoxText(s.Target, "");
    }
    return going;
}

bool TKmCalcCore::AllUp() {
    return RunChain({{&TKmCalcCore::KmD, KmCalcBox::Diff},
                     {&TKmCalcCore::DF, KmCalcBox::Friction},
                     {&TKmCalcCore::FRad, KmCalcBox::Radius}});
}

bool TKmCalcCore::AllDown() {
    return RunChain({{&TKmCalcCore::MWRad, KmCalcBox::Radius},
                     {&TKmCalcCore::RadF, KmCalcBox::Friction},
                     {&TKmCalcCore::FD, KmCalcBox::Diff},
                     {&TKmCalcCore::DKm, KmCalcBox::Km}});
}

} // namespace kivra
