// The results page: time, counts, residual standard deviation and data files
// above a grid of the fitted values, their errors and correlations. The texts
// come from TMainFormCore::Results; this file shows and lays them out.
#include <QAbstractItemDelegate>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QTableWidget>

#include "app/mainform.h"

namespace kivra {
namespace {

constexpr int TopHeight = 86;
constexpr int Margin = 25;
constexpr int RowHeight = 24;

// The grid's cells are drawn by the window, centred, on the white page.
class TResultGridDelegate : public QAbstractItemDelegate {
public:
    TResultGridDelegate(TMainForm* form, QObject* parent) : QAbstractItemDelegate(parent), Form(form) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        // The view's rows follow the header, which shows row 0.
        Form->ResultGridDrawCell(*painter, index.column(), index.row() + 1, option.rect);
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override { return {64, RowHeight}; }

private:
    TMainForm* Form;
};

QFrame* WhitePanel(QWidget* parent) {
    auto* panel = new QFrame(parent);
    QPalette p = panel->palette();
    p.setColor(QPalette::Window, Qt::white);
    panel->setPalette(p);
    panel->setAutoFillBackground(true);
    return panel;
}

QLabel* Label(QWidget* parent, int left, int top, const QString& text, int pixels, bool bold = false) {
    auto* label = new QLabel(text, parent);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    label->setFont(font);
    label->move(left, top);
    label->adjustSize();
    return label;
}

// Right edge of the widest visible label, so that the next column starts clear of it.
int RightOf(std::initializer_list<QLabel*> labels) {
    int right = 0;
    for (QLabel* l : labels)
        if (!l->isHidden() && l->x() + l->width() > right) right = l->x() + l->width();
    return right;
}

} // namespace

void TMainForm::BuildResultPage() {
    auto* page = new TPanel;
    ResultPage = page;
    QPalette white = page->palette();
    white.setColor(QPalette::Window, Qt::white);
    page->setPalette(white);
    page->setAutoFillBackground(true);

    ResultPanelTop = WhitePanel(page);
    ResultPanelLeft = WhitePanel(page);
    ResultPanelRight = WhitePanel(page);
    ResultPanelBottom = WhitePanel(page);
    ResultPanelTop->setGeometry(0, 0, 570, TopHeight);
    ResultPanelLeft->resize(Margin, 0);
    ResultPanelRight->resize(Margin, 0);
    ResultPanelBottom->resize(0, Margin);

    Label1 = Label(ResultPanelTop, 25, 4, QStringLiteral("Fit Results"), 21, true);
    TimeLabel = Label(ResultPanelTop, 171, 10, QString(), 13);
    TimeLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    NumParamLabel = Label(ResultPanelTop, 25, 30, QStringLiteral("Parameters:"), 13);
    NumPointsLabel = Label(ResultPanelTop, 25, 47, QStringLiteral("Data Points:"), 13);
    ChisqLabel = Label(ResultPanelTop, 25, 64, QStringLiteral("Residual Ssq:"), 13);
    DataFileHeader = Label(ResultPanelTop, 161, 30, QStringLiteral("Data Files:"), 13);
    for (int i = 0; i < MaxSets; ++i) {
        FileLabels[i] = Label(ResultPanelTop, i < 3 ? 217 : 332, 30 + 17 * (i % 3), QString(), 11);
        FileLabels[i]->hide();
    }

    ResultGrid = new QTableWidget(page);
    ResultGrid->setItemDelegate(new TResultGridDelegate(this, ResultGrid));
    ResultGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ResultGrid->setSelectionMode(QAbstractItemView::NoSelection);
    ResultGrid->setFocusPolicy(Qt::NoFocus);
    ResultGrid->verticalHeader()->hide();
    ResultGrid->verticalHeader()->setDefaultSectionSize(RowHeight);
    ResultGrid->horizontalHeader()->setDefaultSectionSize(64);
    ResultGrid->horizontalHeader()->setFixedHeight(RowHeight);
    ResultGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    ResultGrid->horizontalHeader()->setStyleSheet(QStringLiteral("QHeaderView::section { background-color: white; }"));
    ResultGrid->setColumnCount(6);
    ResultGrid->setRowCount(2);

    page->OnResize = [this](TPanel*) { ArrangeResults(); };
    PageHolder->addTab(ResultPage, QStringLiteral("Results"));
}

void TMainForm::ResultsChanged() {
    if (Destroying) return;
    const TResultsView& r = Results;
    PageHolder->setTabVisible(PageHolder->indexOf(ResultPage), r.Shown);
    auto set = [](QLabel* label, const std::string& text) {
        label->setText(QString::fromStdString(text));
        label->adjustSize();
    };
    set(TimeLabel, r.TimeText);
    set(NumParamLabel, r.NumParamText);
    set(NumPointsLabel, r.NumPointsText);
    set(ChisqLabel, r.ChisqText);
    set(DataFileHeader, r.DataFileHeaderText);
    for (int i = 0; i < MaxSets; ++i) {
        set(FileLabels[i], r.FileLabels[i]);
        FileLabels[i]->setVisible(!r.FileLabels[i].empty());
    }
    // Each column starts clear of the one before, however wide the font.
    DataFileHeader->move(std::max(161, RightOf({NumParamLabel, NumPointsLabel, ChisqLabel}) + 8), 30);
    const int fileLeft = std::max(217, DataFileHeader->x() + DataFileHeader->width() + 8);
    for (int i = 0; i < 3; ++i) FileLabels[i]->move(fileLeft, 30 + 17 * i);
    const int secondLeft = std::max(fileLeft + 115, RightOf({FileLabels[0], FileLabels[1], FileLabels[2]}) + 12);
    for (int i = 3; i < MaxSets; ++i) FileLabels[i]->move(secondLeft, 30 + 17 * (i - 3));

    const bool grid = r.Rows > 0 && r.Cols > 0 &&
                      r.Cells.size() >= static_cast<std::size_t>(r.Rows) * static_cast<std::size_t>(r.Cols);
    const int rows = grid ? r.Rows : 0, cols = grid ? r.Cols : 0;
    ResultGrid->clear();
    ResultGrid->setColumnCount(cols);
    ResultGrid->setRowCount(rows > 0 ? rows - 1 : 0);
    const QFontMetrics cellMetrics(ResultGrid->font());
    const QFontMetrics headMetrics(ResultGrid->horizontalHeader()->font());
    Results.ColWidths.assign(static_cast<std::size_t>(cols), 0);
    for (int c = 0; c < cols; ++c) {
        const QString head = QString::fromStdString(Results.Cell(0, c));
        ResultGrid->setHorizontalHeaderItem(c, new QTableWidgetItem(head));
        int widest = headMetrics.horizontalAdvance(head);
        for (int row = 1; row < rows; ++row) {
            const QString text = QString::fromStdString(Results.Cell(row, c));
            ResultGrid->setItem(row - 1, c, new QTableWidgetItem(text));
            widest = std::max(widest, cellMetrics.horizontalAdvance(text));
        }
        Results.ColWidths[static_cast<std::size_t>(c)] = widest + 10;
        ResultGrid->setColumnWidth(c, widest + 10);
    }
    ArrangeResults();
}

void TMainForm::ResultGridDrawCell(QPainter& painter, int col, int row, const QRect& rect) {
    if (row < 0 || row >= Results.Rows || col < 0 || col >= Results.Cols) return;
    const QString text = QString::fromStdString(Results.Cell(row, col));
    const QFontMetrics metrics(painter.font());
    const int x = rect.left() + (rect.width() - metrics.horizontalAdvance(text)) / 2;
    const int y = rect.top() + (rect.height() - metrics.height()) / 2;
    painter.save();
    painter.setPen(Qt::black);
    painter.drawText(x, y + metrics.ascent(), text);
    painter.restore();
}

void TMainForm::ArrangeResults() {
    if (Destroying || !ResultGrid) return;
    // The margins are reckoned from the page holder: less 8 across and 28 down
    // (its frame and tab row) it is the page, and the grid comes out as large
    // as its rows and columns. The panels are then placed on the page itself.
    const int clientWidth = PageHolder->contentsRect().width(), clientHeight = PageHolder->contentsRect().height();
    const int pageWidth = ResultPage->width(), pageHeight = ResultPage->height();
    const int cols = ResultGrid->columnCount();
    const int rows = ResultGrid->rowCount() + 1;  // the header shows row 0
    int w = cols + 1;
    for (int c = 0; c < cols; ++c) w += ResultGrid->columnWidth(c);
    const int left = ResultPanelLeft->width();
    int right = clientWidth - left - w - 8;
    int reserve = rows + 1;
    if (right < Margin) {
        right = Margin;
        reserve = rows + 18;  // room for a horizontal scroll bar
    }
    TimeLabel->move(std::max(170, clientWidth - right - TimeLabel->width() - 8), TimeLabel->y());
    reserve += RowHeight * rows;
    int bottom = clientHeight - TopHeight - reserve - 28;
    if (bottom < Margin) bottom = Margin;

    ResultPanelTop->setGeometry(0, 0, pageWidth, TopHeight);
    ResultPanelBottom->setGeometry(0, pageHeight - bottom, pageWidth, bottom);
    const int middle = std::max(0, pageHeight - TopHeight - bottom);
    ResultPanelLeft->setGeometry(0, TopHeight, left, middle);
    ResultPanelRight->setGeometry(pageWidth - right, TopHeight, right, middle);
    ResultGrid->setGeometry(left, TopHeight, std::max(0, pageWidth - left - right), middle);
}

} // namespace kivra
