#pragma once
// The questions the data file routines put to the user: which part of a
// multi-part file to load, which traces of a page to save. The program installs
// an implementation over its dialogs; tests install one that answers from a
// script. Without one, every question is cancelled.
#include <string>
#include <vector>

namespace kivra {

// Parts of a page's traces, as bits of a part mask.
constexpr int PartData = 1;
constexpr int PartSim = 2;
constexpr int PartRes = 4;

// The ticks of the save question. OneFile only counts when two or more parts are ticked.
struct SaveParts {
    bool Data = false;
    bool Sim = false;
    bool Res = false;
    bool OneFile = false;
};

class FileChoices {
public:
    virtual ~FileChoices() = default;
    // Which part of a multi-part data file becomes the page's data. `parts` are the
    // mask bits the file holds (only those may be chosen), `preset` the part selected
    // when the question opens. Returns 1, 2 or 4, or 0 when the user cancels.
    virtual int ChooseLoadPart(int parts, int preset) = 0;
    // Which traces of the page to save; false when the user cancels.
    virtual bool ChooseSaveParts(SaveParts& parts) = 0;
};

// Installs the implementation every later question goes to; null restores the
// default, which cancels.
void SetFileChoices(FileChoices* choices);
FileChoices& CurrentFileChoices();

// One file to save: the parts it holds and the title of its save dialog.
struct SaveRequest {
    int Mask = 0;
    std::string Title;
};

// The files a save answer asks for, in the order they are asked: one file with every
// ticked part, or one file per ticked part (data, simulation, residuals).
std::vector<SaveRequest> SaveRequests(const SaveParts& parts);

} // namespace kivra
