#pragma once
// The kinetic model record that carries the scheme between the panels, the data
// pages, the fit and the files. It is a snapshot: the panels and pages own what
// they edit, and the pointer fields borrow the pages' arrays until the next
// model synchronisation.
#include <array>
#include <string>

#include "engine/numeric/owned_array.h"

namespace kivra {

constexpr int MaxReactions = 10;
constexpr int MaxSpecies = 10;
constexpr int MaxSets = 6;
constexpr int MaxInj = 6;

// Injected concentration of each species after the analyte split, per slot,
// species and curve. Owned by a data page.
using SpecConcTable = std::array<std::array<OwnedArray<double>, MaxSpecies>, MaxInj>;

// The reaction scheme: held by the model record and copied into each data page.
struct TReactionScheme {
    int ReactA[MaxReactions] = {};
    int ReactB[MaxReactions] = {};
    int Product[MaxReactions] = {};
    double Kfwd[MaxReactions] = {};
    double Krev[MaxReactions] = {};
    bool FitKfwd[MaxReactions] = {};
    bool FitKrev[MaxReactions] = {};
    int KfwdLink[MaxReactions] = {};  // 0 own value, +n kfwd of reaction n, -n krev of reaction n
    int KrevLink[MaxReactions] = {};
    bool MassTransport[MaxReactions] = {};
};

struct TModelData : TReactionScheme {
    // Species; per-set tables hold non-local species in row 0, local ones in row k.
    std::string SpecName[MaxSpecies];
    bool SpecLocal[MaxSpecies] = {};
    int AnalyteInj[MaxSets][MaxSpecies] = {};
    double InitConc[MaxSets][MaxSpecies] = {};
    std::string InitConcText[MaxSpecies];
    bool FitConc[MaxSets][MaxSpecies] = {};
    bool Response[MaxSets][MaxSpecies] = {};
    double RFactor[MaxSpecies] = {};
    std::string RFactorText[MaxSpecies];
    bool FitRFactor[MaxSpecies] = {};

    // Per set, published by each data page at synchronisation
    std::string DataFile[MaxSets];
    int NumCurves[MaxSets] = {};
    double* RefIndex[MaxSets][MaxInj] = {};
    bool* FitRefIndex[MaxSets][MaxInj] = {};
    int StartFitMode[MaxSets][MaxInj] = {};
    int StopFitMode[MaxSets][MaxInj] = {};
    double* InjStart[MaxSets][MaxInj] = {};
    double* InjStop[MaxSets][MaxInj] = {};
    SpecConcTable* SpecConc[MaxSets] = {};
    bool* Excluded[MaxSets] = {};
    double StockConc[MaxSets][MaxInj] = {};
    bool FitStockLocal[MaxSets][MaxInj] = {};
    bool StockGlobal[MaxInj] = {};
    bool FitStockGlobal[MaxInj] = {};

    // Counts
    int NumDataPoints = 0;
    int NumSets = 0;
    int NumFitParams = 0;
    int NumSpecies = 0;
    int NumReactions = 0;
    int NumSpeciesLines = 0;
    int NumReactionLines = 0;
    double TotalChisq = 0;
};

} // namespace kivra
