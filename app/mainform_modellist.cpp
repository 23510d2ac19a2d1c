// The plot page: the owner-drawn model list on the left, the data pages'
// overview plots tiled on the right.
#include <QAbstractItemDelegate>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPainter>
#include <QScrollBar>
#include <QSplitter>
#include <QTimer>

#include "app/mainform.h"
#include "widgets/plot.h"

static void InitMainFormResources() { Q_INIT_RESOURCE(mainform); }

namespace kivra {
namespace {

constexpr int ModelItemHeight = 18;

// Every line of the model list is drawn by the window.
class TModelListDelegate : public QAbstractItemDelegate {
public:
    TModelListDelegate(TMainForm* form, QObject* parent) : QAbstractItemDelegate(parent), Form(form) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        Form->ModelListDrawItem(*painter, index.row(), option.rect);
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return {1, ModelItemHeight};
    }

private:
    TMainForm* Form;
};

QColor MarkupColour(int rgb) { return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

} // namespace

void TMainForm::BuildPlotPage() {
    InitMainFormResources();
    ContractedBmp = QPixmap(QStringLiteral(":/bitmaps/CONTRACTED"), "XPM");
    ContractedFitBmp = QPixmap(QStringLiteral(":/bitmaps/CONTRACTEDFIT"), "XPM");
    ExpandedBmp = QPixmap(QStringLiteral(":/bitmaps/EXPANDED"), "XPM");

    PlotPage = new QWidget;
    auto* layout = new QHBoxLayout(PlotPage);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* splitter = new QSplitter(Qt::Horizontal, PlotPage);
    layout->addWidget(splitter);

    ModelList = new QListWidget(splitter);
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(12);
    ModelList->setFont(font);
    ModelList->setFocusPolicy(Qt::NoFocus);
    ModelList->setSelectionMode(QAbstractItemView::NoSelection);
    ModelList->setUniformItemSizes(true);
    ModelList->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    ModelList->setItemDelegate(new TModelListDelegate(this, ModelList));
    // The list is built anew on a click: let the click finish first.
    connect(ModelList, &QListWidget::clicked, this, [this](const QModelIndex& index) {
        const int row = index.row();
        QTimer::singleShot(0, this, [this, row] { ModelListClick(row); });
    });

    PlotPanel = new TPanel(splitter);
    PlotPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PlotPanel->OnResize = [this](TPanel*) { PlotResize(); };
    splitter->addWidget(ModelList);
    splitter->addWidget(PlotPanel);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setChildrenCollapsible(false);
    ModelList->setMinimumWidth(1);
    splitter->setSizes({223, 347});

    PageHolder->addTab(PlotPage, QStringLiteral("Plot"));
}

void TMainForm::ModelListChanged() {
    if (Destroying || !ModelList) return;
    const int top = ModelList->verticalScrollBar()->value();
    ModelList->clear();
    for (const TModelLine& line : ModelListState.Lines()) ModelList->addItem(QString::fromStdString(line.Text));
    ModelList->doItemsLayout();
    ModelList->verticalScrollBar()->setValue(top < ModelList->count() ? top : 0);
}

void TMainForm::ModelListClick(int index) { ToggleModelLine(index); }

void TMainForm::ModelListDrawItem(QPainter& painter, int index, const QRect& rect) {
    painter.save();
    painter.fillRect(rect, ModelList->palette().base());
    const auto& lines = ModelListState.Lines();
    if (index < 0 || index >= static_cast<int>(lines.size())) {
        painter.restore();
        return;
    }
    const TModelLine& line = lines[static_cast<std::size_t>(index)];
    const TDispState& state = *line.State;
    if (state.IsGroup) {
        const QPixmap& bmp = state.Expanded ? ExpandedBmp : state.HasFit ? ContractedFitBmp : ContractedBmp;
        painter.drawPixmap(rect.left() + state.Indent - 10, rect.top(), bmp);
    }
    int x = rect.left() + state.Indent;
    const int y = rect.top();
    for (const MarkupRun& run : ParseMarkup(line.Text)) {
        if (run.Glyph) {
            painter.setPen(Qt::black);
            painter.drawPolyline(QPolygon({QPoint(x, y + 7), QPoint(x + 5, y + 7), QPoint(x + 3, y + 5)}));
            painter.drawPolyline(QPolygon({QPoint(x + 5, y + 9), QPoint(x, y + 9), QPoint(x + 2, y + 11)}));
            x += 7;
            continue;
        }
        QFont font = ModelList->font();
        font.setBold(run.Bold);
        font.setItalic(run.Italic);
        font.setUnderline(run.Underline);
        painter.setFont(font);
        painter.setPen(MarkupColour(run.Colour));
        const QFontMetrics metrics(font);
        for (const QChar c : QString::fromStdString(run.Text)) {
            painter.drawText(x, y + metrics.ascent(), QString(c));
            x += metrics.horizontalAdvance(c);
        }
    }
    painter.restore();
}

void TMainForm::ArrangePlots(std::span<QWidget* const> controls, QWidget* parent, int index) {
    if (controls.empty() || !parent) return;
    const int n = static_cast<int>(controls.size());
    // A maximised control that no longer exists shows them all.
    if (index >= n) index = -1;
    if (index < 0) {
        const std::vector<TileRect> cells = TileRects(n, parent->width(), parent->height());
        for (int i = 0; i < n; ++i) {
            const TileRect& r = cells[static_cast<std::size_t>(i)];
            controls[static_cast<std::size_t>(i)]->setGeometry(r.Left, r.Top, r.Width, r.Height);
            controls[static_cast<std::size_t>(i)]->show();
        }
        return;
    }
    for (int i = 0; i < n; ++i)
        if (i != index) controls[static_cast<std::size_t>(i)]->hide();
    controls[static_cast<std::size_t>(index)]->setGeometry(0, 0, parent->width(), parent->height());
}

} // namespace kivra
