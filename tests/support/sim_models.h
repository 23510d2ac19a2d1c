#pragma once
// Small reaction schemes for the simulation tests, built in the model record
// or straight into a page's model copy.
#include "pages/model_data.h"
#include "pages/senstab_core.h"

namespace kivra::test {

// A record with no reactions and no fed species, as the panels leave it when empty.
TModelData EmptyModel();
// Appends reaction a + b = p (-1: no such reactant) and raises NumReactions.
void AddReaction(TModelData& m, int a, int b, int p, double kf, double kr);
// Species s counts in the response with the given R factor.
void Respond(TModelData& m, int s, double factor);

// A page whose model copy is set directly, without the record.
class SchemePage : public TSensTabCore {
public:
    explicit SchemePage(int species);
    void Add(int a, int b, int p, double kf, double kr);
};

// curves x points evenly spaced from t0, nothing loaded.
bool MakeSet(TSensTabCore& page, int curves, int points, double dt, double t0 = 0);
void Inject(TSensTabCore& page, int slot, int curve, double start, double stop, double conc);

} // namespace kivra::test
