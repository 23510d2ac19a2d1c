#include "engine/files/file_choices.h"

namespace kivra {
namespace {

class CancellingChoices final : public FileChoices {
public:
    int ChooseLoadPart(int, int) override { return 0; }
    bool ChooseSaveParts(SaveParts&) override { return false; }
};

CancellingChoices cancellingChoices;
FileChoices* currentChoices = &cancellingChoices;

} // namespace

void SetFileChoices(FileChoices* choices) {
    currentChoices = choices ? choices : &cancellingChoices;
}

FileChoices& CurrentFileChoices() { return *currentChoices; }

std::vector<SaveRequest> SaveRequests(const SaveParts& parts) {
    const int ticked = int(parts.Data) + int(parts.Sim) + int(parts.Res);
    if (ticked >= 2 && parts.OneFile) {
        const int mask = (parts.Data ? PartData : 0) | (parts.Sim ? PartSim : 0) |
                         (parts.Res ? PartRes : 0);
        return {{mask, "Save Data As"}};
    }
    std::vector<SaveRequest> files;
    if (parts.Data) files.push_back({PartData, "Save Data As"});
    if (parts.Sim) files.push_back({PartSim, "Save Simulation As"});
    if (parts.Res) files.push_back({PartRes, "Save Residuals As"});
    return files;
}

} // namespace kivra
