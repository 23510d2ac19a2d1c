#include "app/report.h"

#include <algorithm>

#include "engine/report/report_model.h"
#include "engine/session/results.h"
#include "platform/qt/canvas.h"
#include "platform/qt/printer.h"
#include "widgets/plot.h"

namespace kivra {
namespace {

// The bytes of one character of UTF-8 text starting at i.
std::size_t CharLength(const std::string& s, std::size_t i) {
    std::size_t n = 1;
    while (i + n < s.size() && (static_cast<unsigned char>(s[i + n]) & 0xC0) == 0x80) ++n;
    return n;
}

bool IsHeading(const std::string& line) { return !line.empty() && line[0] != '\t' && line[0] != ' '; }

// The width of text drawn a character at a time, as the model lines are.
int DrawnWidth(Canvas& c, const std::string& text) {
    int width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = CharLength(text, i);
        width += c.TextWidth(text.substr(i, n));
        i += n;
    }
    return width;
}

int DataPassFlags(const TReportSettings& s) {
    int flags = s.DataSim == TDataSim::Data  ? PrintData
                : s.DataSim == TDataSim::Sim ? PrintSim
                                             : PrintData | PrintSim;
    if (s.ResidualMode == TResidualMode::WithData) flags |= PrintResiduals;
    if (s.UseColor) flags |= PrintColour;
    if (s.CopyFormat) flags |= PrintKeepView;
    return flags;
}

} // namespace

TReport::TReport(Printer& printer, const TReportSettings& settings) : P(printer), S(settings) {}

bool TReport::Print(const TReportContent& content) {
    P.SetPaper(S.PaperWidth, S.PaperHeight, S.Landscape);
    if (!P.BeginDoc()) return false;
    StampedPage = 0;
    PrintTimeStamp();
    G = PageGeometry(P.PageWidth(), P.PageHeight(), P.Resolution());
    if (S.Plots) PrintPlots(content.Plots);
    if (S.Model && content.Model) PrintModel(*content.Model);
    if (S.FitResults && content.ResultsShown) PrintFitResults(content.Results);
    if (S.Monte && content.MonteShown) PrintMonte(content.Monte, content.Histograms);
    P.EndDoc();
    return true;
}

void TReport::StartPage() {
    P.NewPage();
    PrintTimeStamp();
}

void TReport::PrintTimeStamp() {
    if (!S.TimeStamp || !P.Printing() || StampedPage == P.PageNumber()) return;
    StampedPage = P.PageNumber();
    Canvas& c = P.GetCanvas();
    const Font savedFont = c.font;
    const Brush savedBrush = c.brush;
    c.font = Font{};
    c.font.name = "Arial";
    c.font.size = 12;
    c.brush.style = BrushStyle::Clear;
    const std::string text = ReportStampText(Clock());
    c.TextOut(P.PageWidth() - c.TextWidth(text) - 50, 0, text);
    c.font = savedFont;
    c.brush = savedBrush;
}

void TReport::SetFont(int size) {
    Canvas& c = P.GetCanvas();
    c.font = Font{};
    c.font.name = "Arial";
    c.font.size = size;
    c.brush.style = BrushStyle::Clear;
}

// ---- plots ----------------------------------------------------------------------------

void TReport::PrintPlots(const std::vector<TPlot*>& plots) {
    const int n = static_cast<int>(plots.size());
    if (n == 0) return;
    Canvas& c = P.GetCanvas();
    const int lineWidth = ReportPenWidth(S.LineWidth), axisWidth = ReportPenWidth(S.AxisWidth);
    auto pass = [&](TPlotMode mode, int flags) {
        PlacePlots(*this, mode, n, [&](int p, int x, int y, int w, int h) {
            TPlot* plot = plots[static_cast<std::size_t>(p)];
            return plot && plot->Print(c, x, y, w, h, lineWidth, axisWidth, flags);
        });
    };
    pass(S.PlotMode, DataPassFlags(S));
    pass(ResidualPassMode(S.ResidualMode), PrintResiduals);
}

// ---- model ----------------------------------------------------------------------------

void TReport::PrintModel(const TModelData& model) {
    const std::vector<TModelReportLine> lines =
        ModelReportLines(model, {S.Species, S.Reactions, S.InjConc, S.RefIndex});
    if (lines.empty()) return;
    Canvas& c = P.GetCanvas();
    SetFont(10);
    const int H = c.TextHeight("0") * 8 / 7, W = c.TextWidth("0");
    PlaceSection((static_cast<int>(lines.size()) + 1) * H, H);
    const int cellSize = InjCellSize(lines);
    auto draw = [&](const TModelReportLine& line) {
        DrawModelLine(line, H, W, cellSize);
        G.PrintY += H;
    };
    for (std::size_t i = 0; i < lines.size();) {
        // The injection columns are a table: its captions, its header line
        // and its rows, sliced over pages as every table of the report is.
        std::size_t head = i;
        int lead = 0;
        for (; head < lines.size() && lines[head].Caption; ++head) lead += IsHeading(lines[head].Text) ? H + H / 2 : H;
        std::size_t end = head;
        while (end < lines.size() && lines[end].InjColumns) ++end;
        if (end == head) {
            draw(lines[i++]);
        } else {
            for (const TTableSlice& slice :
                 SliceTable(static_cast<int>(end - head), H, G.PrintY + lead, G.PrintTop, G.PrintBottom, lead)) {
                if (slice.NewPageBefore) NewPage();
                for (; i < head; ++i) draw(lines[i]);  // the captions, over the first slice only
                draw(lines[head]);
                for (int r = slice.First; r < slice.End; ++r) draw(lines[head + static_cast<std::size_t>(r)]);
            }
            i = end;
        }
        if (G.PrintY > G.PrintBottom) NewPage();
    }
}

int TReport::InjCellSize(const std::vector<TModelReportLine>& lines) {
    Canvas& c = P.GetCanvas();
    int size = 10;
    for (const TModelReportLine& line : lines) {
        const std::size_t first = line.InjColumns ? line.Text.find_first_not_of(' ') : std::string::npos;
        if (first == std::string::npos) continue;
        SetFont(10);
        const int column = (G.PrintRight - G.PrintLeft - DrawnWidth(c, line.Text.substr(0, first))) / MaxInj;
        for (std::size_t b = first; b < line.Text.size();) {
            const std::size_t e = std::min(line.Text.find('\t', b), line.Text.size());
            const std::string cell = line.Text.substr(b, e - b);
            for (; size > MinCellSize; --size) {
                SetFont(size);
                if (DrawnWidth(c, cell) + c.TextWidth("0") <= column) break;
            }
            b = e + 1;
        }
    }
    SetFont(10);
    return size;
}

void TReport::DrawModelLine(const TModelReportLine& text, int H, int W, int cellSize) {
    const std::string& line = text.Text;
    Canvas& c = P.GetCanvas();
    c.pen = Pen{colors::Black, 2};
    const int tab = std::max(1, 10 * W), left = G.PrintLeft, y = G.PrintY;
    const bool heading = IsHeading(line);
    if (heading) SetFont(12);
    // The injection columns start where the line's blanks end.
    const std::size_t firstCell = text.InjColumns ? line.find_first_not_of(' ') : std::string::npos;
    int cellsLeft = left, cell = 0;
    int x = left;
    for (std::size_t i = 0; i < line.size();) {
        const char ch = line[i];
        if (i == firstCell) {
            cellsLeft = x;
            SetFont(cellSize);
        }
        if (ch == '\t' && text.InjColumns) {
            x = cellsLeft + ++cell * ((G.PrintRight - cellsLeft) / MaxInj);
            ++i;
        } else if (ch == '\t') {
            int next = left + ((x - left) / tab + 1) * tab;
            if (next - x < 2 * W) next += tab;
            x = next;
            ++i;
        } else if (ch == '=' && i + 1 < line.size() && line[i + 1] == ' ') {
            // The two half-arrows of an equilibrium.
            c.MoveTo(x, y + 8 * H / 20);
            c.LineTo(x + W, y + 8 * H / 20);
            c.LineTo(x + W - W / 3, y + 6 * H / 20);
            c.MoveTo(x + W, y + 11 * H / 20);
            c.LineTo(x, y + 11 * H / 20);
            c.LineTo(x + W / 3, y + 13 * H / 20);
            x += W;
            ++i;
        } else {
            const std::size_t n = CharLength(line, i);
            const std::string one = line.substr(i, n);
            c.TextOut(x, y, one);
            x += c.TextWidth(one);
            i += n;
        }
    }
    if (heading) G.PrintY += H / 2;
    if (heading || firstCell != std::string::npos) SetFont(10);
}

// ---- tables ---------------------------------------------------------------------------

void TReport::DrawTable(int x0, const std::vector<Column>& columns, int rows, int H, int lead) {
    Canvas& c = P.GetCanvas();
    const int d = H / 10, W = c.TextWidth("0");
    for (const TTableSlice& slice : SliceTable(rows, H, G.PrintY, G.PrintTop, G.PrintBottom, lead)) {
        if (slice.NewPageBefore) NewPage();
        std::vector<int> shown{0};
        for (int r = slice.First; r < slice.End; ++r) shown.push_back(r);
        const int y = G.PrintY, th = static_cast<int>(shown.size()) * H;
        c.pen = Pen{colors::Black, 2};
        c.MoveTo(x0, y);
        c.LineTo(x0, y + th);
        int x = x0;
        for (const Column& col : columns) {
            const int x2 = x + col.Width;
            c.MoveTo(x, y);
            c.LineTo(x2, y);
            c.LineTo(x2, y + th);
            c.LineTo(x, y + th);
            c.MoveTo(x, y + H);
            c.LineTo(x2, y + H);
            for (std::size_t k = 0; k < shown.size(); ++k) {
                const std::string text = col.Text(shown[k]);
                if (text.empty()) continue;
                const int left = col.LeftAligned && shown[k] > 0 ? x + W : (x + x2) / 2 - c.TextWidth(text) / 2;
                c.TextOut(left, y + static_cast<int>(k) * H + d, text);
            }
            x = x2;
        }
        G.PrintY += th;
    }
}

// ---- fit results ----------------------------------------------------------------------

void TReport::PrintFitResults(const TReportResults& results) {
    const TResultsView* v = results.View;
    if (!v || v->Rows < 1 || v->Cols < 1 ||
        v->Cells.size() < static_cast<std::size_t>(v->Rows) * static_cast<std::size_t>(v->Cols))
        return;
    const int fixedCols = std::min(5, v->Cols);
    // One parameter has no correlations: no table, no heading.
    const bool fit = S.Fit, corr = S.Correlations && v->Cols > 5;
    if (!fit && !corr) return;

    Canvas& c = P.GetCanvas();
    SetFont(10);
    const int p = std::max(1, c.TextWidth("0"));
    const int s = results.ScreenZeroWidth > 0 ? results.ScreenZeroWidth : p;
    const int H = c.TextHeight("0") * 7 / 6, TH = v->Rows * H;
    auto cell = [v](int row, int col) -> std::string {
        return v->Cells[static_cast<std::size_t>(row) * static_cast<std::size_t>(v->Cols) + static_cast<std::size_t>(col)];
    };
    auto column = [&](int col) {
        Column out;
        const std::size_t k = static_cast<std::size_t>(col);
        if (k < results.ColWidths.size() && results.ColWidths[k] > 0) {
            out.Width = static_cast<int>(static_cast<long long>(results.ColWidths[k]) * p / s);
        } else {
            for (int r = 0; r < v->Rows; ++r) out.Width = std::max(out.Width, c.TextWidth(cell(r, col)));
            out.Width += std::max(10 * p / s, p);
        }
        out.Text = [cell, col](int row) { return cell(row, col); };
        return out;
    };
    auto columns = [&](int from, int to) {
        std::vector<Column> out;
        for (int col = from; col < to; ++col) out.push_back(column(col));
        return out;
    };

    if (fit) {
        PlaceSection(TH + 7 * H, H);
        const int sectionTop = G.PrintY;
        SetFont(12);
        c.TextOut(G.PrintLeft, G.PrintY, "Fit Results");
        G.PrintY += H / 2;
        SetFont(10);
        const int indent = c.TextWidth("   ");
        c.TextOut(G.PrintLeft + indent, G.PrintY + H, v->NumPointsText);
        c.TextOut(G.PrintLeft + indent, G.PrintY + 2 * H, v->NumParamText);
        c.TextOut(G.PrintLeft + indent, G.PrintY + 3 * H, v->ChisqText);
        c.TextOut(G.PrintLeft + 30 * p, G.PrintY + H, v->DataFileHeaderText);
        for (int k = 0; k < MaxSets; ++k) {
            const std::string& file = v->FileLabels[k];
            if (file.empty()) continue;
            if (k < 3)
                c.TextOut(G.PrintLeft + 40 * p, G.PrintY + (k + 1) * H, file);
            else
                c.TextOut(G.PrintLeft + 60 * p, G.PrintY + (k - 2) * H, file);
        }
        G.PrintY += 5 * H;
        const int lead = G.PrintY - sectionTop;
        std::vector<Column> table = columns(0, fixedCols);
        if (corr) {
            int x = G.PrintLeft;
            for (const Column& col : table) x += col.Width;
            std::vector<Column> correlations = columns(5, v->Cols);
            if (x + (v->Cols - 5) * correlations.front().Width <= G.PrintRight) {
                // Beside the fit table, on its rows.
                table.insert(table.end(), correlations.begin(), correlations.end());
                DrawTable(G.PrintLeft, table, v->Rows, H, lead);
            } else {
                DrawTable(G.PrintLeft, table, v->Rows, H, lead);
                G.PrintY += 2 * H;
                DrawTable(G.PrintLeft, correlations, v->Rows, H, 0);
            }
        } else {
            DrawTable(G.PrintLeft, table, v->Rows, H, lead);
        }
        return;
    }
    PlaceSection(TH + 4 * H, H);
    SetFont(12);
    c.TextOut(G.PrintLeft, G.PrintY, "Correlations");
    G.PrintY += 2 * H;
    SetFont(10);
    DrawTable(G.PrintLeft, columns(5, v->Cols), v->Rows, H, 2 * H);
}

// ---- Monte Carlo ----------------------------------------------------------------------

void TReport::PrintMonte(const TMonteNumbers& numbers, const std::vector<TReportHistogram>& histograms) {
    Canvas& c = P.GetCanvas();
    const int n = static_cast<int>(histograms.size());
    if (S.MonteReport) {
        SetFont(10);
        const int H = c.TextHeight("0") * 7 / 6, TH = (n + 1) * H;
        PlaceSection(TH + 8 * H, H);
        SetFont(12);
        c.TextOut(G.PrintLeft, G.PrintY, "Monte Carlo Results");
        SetFont(10);
        const std::vector<std::string> lines = MonteReportLines(numbers);
        for (std::size_t i = 0; i < lines.size(); ++i)
            c.TextOut(G.PrintLeft, G.PrintY + static_cast<int>(i + 2) * H, lines[i]);
        G.PrintY += 8 * H;
        const std::vector<TMonteSummary> rows(histograms.begin(), histograms.end());
        std::vector<Column> table(4);
        for (int col = 0; col < 4; ++col) {
            for (int r = 0; r <= n; ++r)
                table[static_cast<std::size_t>(col)].Width =
                    std::max(table[static_cast<std::size_t>(col)].Width, c.TextWidth(PrintMonteTable(rows, r, col)));
            table[static_cast<std::size_t>(col)].Width = table[static_cast<std::size_t>(col)].Width * 7 / 6;
            table[static_cast<std::size_t>(col)].Text = [&rows, col](int r) { return PrintMonteTable(rows, r, col); };
        }
        table[0].LeftAligned = true;
        DrawTable(G.PrintLeft, table, n + 1, H, 8 * H);
        G.PrintY += H;
    }
    if (S.MonteGraphs && n > 0) {
        const int w = (G.PrintRight - G.PrintLeft) / 2, h = (G.PrintBottom - G.PrintTop) / 4;
        const int lineWidth = ReportPenWidth(S.LineWidth), axisWidth = ReportPenWidth(S.AxisWidth);
        int x = G.PrintLeft;
        for (const TReportHistogram& hist : histograms) {
            if (G.PrintY + h > G.PrintBottom) NewPage();
            if (hist.Print) hist.Print(c, x, G.PrintY, w, h, lineWidth, axisWidth, S.UseColor);
            x += w;
            if (x > G.PrintRight - w / 2) {
                x = G.PrintLeft;
                G.PrintY += h;
            }
        }
    }
}

} // namespace kivra
