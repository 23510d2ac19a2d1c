#pragma once
// The Monte Carlo histogram of one parameter: a title band with the
// parameter's label and "mean ± sd", 20 bars around the median, and the
// range's Low, Centre and High under the axis. The numbers are those of
// THistogramCore; this class draws them on the screen and on the printer.
#include <QImage>
#include <QWidget>
#include <string>

#include "engine/plot/histogram_core.h"
#include "platform/qt/canvas.h"

namespace kivra {

class THistogram : public QWidget, public THistogramCore {
    Q_OBJECT
public:
    // Position and size are the caller's.
    THistogram(QWidget* parent, int capacity, const std::string& title);

    // Draws the control into its picture and shows it at once.
    void Paint();
    // The screen drawing on any canvas of w x h pixels.
    void Draw(Canvas& c, int w, int h);
    // Draws into the rectangle on a printer page (nothing without results);
    // hatched bars, in colour or in black and white.
    void Print(Canvas& c, int left, int top, int width, int height, int dataPenWidth, int framePenWidth,
               bool useColor);
    // The picture the control shows.
    const QImage& Picture() const { return Buffer; }

protected:
    void ResultAdded() override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    QImage Buffer;
};

} // namespace kivra
