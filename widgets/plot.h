#pragma once
// The graph of one data set: measured curves, simulations and residuals, a
// selection rectangle with a coordinate read-out, zoom, single-curve view,
// point toggling and the injection time lines of the injection dialog.
// A plot owns no data: it draws the borrowed arrays as they stand.
#include <QImage>
#include <QSlider>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "engine/plot/plot_math.h"
#include "platform/qt/canvas.h"

class QMenu;

namespace kivra {

// Sums of flags for TPlot::Print.
constexpr int PrintData = 1;
constexpr int PrintSim = 2;
constexpr int PrintResiduals = 4;
constexpr int PrintColour = 8;
constexpr int PrintKeepView = 16;

class TPlot : public QWidget {
    Q_OBJECT
public:
    explicit TPlot(QWidget* parent = nullptr);

    // Borrows the arrays (a null ri means a data page, non-null the injection
    // dialog). The same arrays again (sim aside) change nothing; new ones
    // reset the view and hide data and simulation until the owner shows them.
    void SetDataPtrs(int nCurves, double** data, double** sim, double** time, int** flags,
                     bool* excluded, int* counts, double* start, double* stop, double* ri);
    // All curves, no residuals, no selection.
    void ClearFlags();
    int FindClosestSens(int x, int y) const;
    void FindClosestCurve();

    // ---- drawing (plot_draw.cpp) ----
    void Plot(Canvas& c, int x, int y, int w, int h, bool printing);
    void Residual(Canvas& c, int x, int y, int w, int h, bool printing, bool underPlot);
    static void DrawPoint(Canvas& c, int size);
    bool Print(Canvas& c, int x, int y, int w, int h, int dataPenWidth, int framePenWidth, int flags);

    // ---- properties ----
    std::string GetTitle() const { return Title; }
    void SetTitle(const std::string& title);
    bool GetRes() const { return ShowRes; }
    void SetRes(bool v);
    bool GetShowTitle() const { return ShowTitle; }
    void SetShowTitle(bool v);
    bool GetShowData() const { return ShowData; }
    void SetShowData(bool v);
    bool GetShowSim() const { return ShowSim; }
    void SetShowSim(bool v);
    bool GetTimeLines() const { return ShowTimeLines; }
    void SetTimeLines(bool v);
    bool GetZoomed() const { return IsZoomed; }
    void SetZoomed(bool v);
    bool GetZoomable() const;  // CanZoom
    int GetCurve() const { return CurrCurve; }
    void SetCurve(int n);
    int GetStartPos() const { return StartPos; }
    void SetStartPos(int p);
    double GetStartValue() const;
    void SetStartValue(double t);
    int GetStopPos() const { return StopPos; }
    void SetStopPos(int p);
    double GetStopValue() const;
    void SetStopValue(double t);
    double GetSelX1() const;
    double GetSelY1() const;
    double GetSelX2() const;
    double GetSelY2() const;
    QMenu* PopupMenu() const { return Popup; }
    void SetPopupMenu(QMenu* menu) { Popup = menu; }

    // Raised when the shown curve changes; the handler may replace the new curve.
    std::function<void(TPlot* sender, int oldCurve, int& newCurve)> OnCurveChange;
    // Raised after the picture was drawn anew (the time lines' positions are new).
    std::function<void()> OnPainted;

    // The frame of the last drawing and the state the mouse works on.
    const PlotFrame& Frame() const { return F; }
    const PlotArrays& Arrays() const { return A; }
    Point GetSelCorner1() const { return SelCorner1; }
    Point GetSelCorner2() const { return SelCorner2; }
    bool IsDragging() const { return Dragging; }
    std::string GetAnchorText() const { return AnchorText; }
    std::string GetCursorText() const { return CursorText; }
    bool GetColour() const { return Colour; }
    int GetDataPenWidth() const { return DataPenWidth; }
    int GetFramePenWidth() const { return FramePenWidth; }

    // Draws the whole control again now; the selection goes, unless a drag is on.
    void Repaint();
    // The off-screen picture the control shows.
    const QImage& Picture() const { return Buffer; }

    // Mouse operations, also driven by the widget's events.
    void MouseDown(Qt::MouseButton button, int x, int y);
    void MouseMove(int x, int y);
    void MouseUp(Qt::MouseButton button);
    void DblClick();

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    void RequestRepaint();
    void SetViewFlag(bool& flag, bool v);
    void PaintPicture();
    // Makes the picture when there is none of the control's size yet.
    void EnsurePicture();
    void DrawSelection(Canvas& c) const;
    void DrawReadout(Canvas& c, bool withCursor);
    void EraseReadout(Canvas& c);
    void SetReadoutFont(Canvas& c) const;
    std::string CoordText(Point p) const;
    bool Shown() const { return ShowData || ShowSim; }
    bool HasScales() const { return F.XScale != 0 && F.YScale != 0; }
    bool CurveOk(int k) const { return k >= 0 && k < A.NumCurves; }
    // Shared by both time lines.
    void SetLineValue(double* times, int& pos, Color colour, double t);
    void SetLinePos(double* times, int& pos, Color colour, int p);
    void DrawTimeLine(Canvas& c, int pos, Color colour, int width) const;
    int LinePosition(double t) const;

    // Drawing helpers (plot_draw.cpp).
    void DrawCurves(Canvas& c, bool printing, int markerSize, const PixelBox& box);
    void DrawSimulation(Canvas& c, const PixelBox& box);
    void DrawResidualMarkers(Canvas& c, bool printing, int w, const PixelBox& box);
    void DrawYTicks(Canvas& c, const std::vector<double>& ticks, const std::vector<std::string>& labels,
                    int tz, int th);
    void DrawXTicks(Canvas& c, bool labels, int tz, int th);
    void DrawFrame(Canvas& c);
    void DrawTitle(Canvas& c, const std::string& text);
    // Nothing was drawn: the pixel conversions answer 0 until the next drawing.
    void NoFrame();
    bool CurveShown(int k) const { return !A.IsExcluded(k) && (CurrCurve == -1 || CurrCurve == k); }

    PlotArrays A;
    PlotFrame F;
    int CurrCurve = -1;
    bool ShowRes = false;
    bool ShowTitle = false;
    bool ShowData = false;
    bool ShowSim = false;
    bool IsZoomed = false;
    bool ShowTimeLines = false;
    bool Colour = true;
    std::string Title;
    std::string AnchorText;
    std::string CursorText;
    int StartPos = -1;
    int StopPos = -1;
    int DataPenWidth = 1;
    int FramePenWidth = 1;
    bool Dragging = false;
    Point SelCorner1{-1, -1};
    Point SelCorner2{-1, -1};
    QMenu* Popup = nullptr;

    // The range chosen by the last zoom, and whether it was chosen on the
    // residual view: the other view keeps the zoomed time span but finds its
    // own y range, instead of showing values that cannot lie in it.
    PlotFrame ZoomRange;
    bool ZoomOnResiduals = false;
    bool ResidualView() const { return ShowRes && ShowData && ShowSim; }

    QImage Buffer;
    bool NeedsPaint = true;
};

// The track bar that moves a time line of the injection dialog.
class TPlotTrack : public QSlider {
    Q_OBJECT
public:
    explicit TPlotTrack(QWidget* parent = nullptr) : QSlider(Qt::Horizontal, parent) {}
};

} // namespace kivra
