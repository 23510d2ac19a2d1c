#include "engine/report/report_settings.h"

#include "engine/model/model_sync.h"

namespace kivra {

int ReportPenWidth(const std::string& text) {
    double v = 0;
    if (!StrictNumber(text, v) || !(v >= 0 && v <= 50)) return 0;
    return static_cast<int>(v);
}

TPlotMode ResidualPassMode(TResidualMode mode) {
    switch (mode) {
    case TResidualMode::FullPage: return TPlotMode::FullPage;
    case TResidualMode::HalfPage: return TPlotMode::HalfPage;
    case TResidualMode::AllOnOnePage: return TPlotMode::AllOnOnePage;
    case TResidualMode::None:
    case TResidualMode::WithData: break;
    }
    return TPlotMode::None;
}

} // namespace kivra
