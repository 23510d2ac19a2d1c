#pragma once
// The model file's form against the records it fills and writes: the model
// record, scratch pages for the set blocks and the results page's texts. The
// main window's commands ask, apply and report around it.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/dataset/senstab_core.h"
#include "engine/model/model_data.h"
#include "engine/model/results_view.h"

namespace kivra {

// The version a model file's first line names: 30, 32, 33, 34 or 35; 0 when
// it is not a model file, -1 for a version 3 form that is not read.
int ModelFileVersion(std::string_view firstLine);

// The model part, from the second line, into model. False after a message.
bool ReadModelPart(TSensTabCore::FileText& f, int version, TModelData& model);
// The count of set blocks that follows the model part. False after a message.
bool ReadSetCount(TSensTabCore::FileText& f, int& sets);
// The model's slot flags and the sets set blocks, each into a new scratch page
// (Tag its place), the shared stocks into model. False after a message.
bool ReadSetBlocks(TSensTabCore::FileText& f, int version, int sets, TModelData& model,
                   std::vector<std::unique_ptr<TSensTabCore>>& pages);
// The results part into view. A missing or damaged part leaves view empty and
// returns false, without a message.
bool ReadResultsPart(TSensTabCore::FileText& f, TResultsView& view);

void WriteResultsPart(std::string& out, const TResultsView& view);
// The whole file in the current form (version 3.5), through a temporary file:
// the model part, the set block of each page in order, the results part.
// False after a message. fingerprint, when given, gets ModelFileFingerprint's
// value of what was written.
bool WriteModelFile(const std::string& fileName, const TModelData& model,
                    const std::vector<TSensTabCore*>& pages, const TResultsView& results,
                    std::uint64_t* fingerprint = nullptr);
// A hash of the text WriteModelFile would write, without writing it: two
// states that would be saved alike have the same value.
std::uint64_t ModelFileFingerprint(const TModelData& model, const std::vector<TSensTabCore*>& pages,
                                   const TResultsView& results);

} // namespace kivra
