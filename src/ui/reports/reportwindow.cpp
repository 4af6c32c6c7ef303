#include "ui/reports/reportwindow.h"

#include "ui/common/controls.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

constexpr int DefaultColumnWidth = 64;
constexpr int DefaultRowHeight = 18;

QFont gridFont() {
    QFont f(QStringLiteral("Tahoma"));
    f.setPointSize(8);
    return f;
}

QFont cellFont(QFont base, int style) {
    base.setBold(style & ReportTable::Bold);
    base.setUnderline(style & ReportTable::Underline);
    return base;
}

int alignmentOf(const ReportTable::Cell& c) {
    return (c.centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter |
           (c.wordWrap ? int(Qt::TextWordWrap) : 0);
}

// Draws a cell's text with its own style and the frame rule's edges.
class ReportCellDelegate : public QStyledItemDelegate {
public:
    ReportCellDelegate(const ReportTable& table, QObject* parent)
        : QStyledItemDelegate(parent), m_table(table) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const int row = index.row(), column = index.column();
        const ReportTable::Cell& cell = m_table.cell(column, row);
        p->save();
        if (option.state & QStyle::State_Selected)
            p->fillRect(option.rect, option.palette.highlight());
        p->setFont(cellFont(option.font, cell.style));
        p->setPen(option.state & QStyle::State_Selected ? option.palette.highlightedText().color()
                                                        : option.palette.text().color());
        p->drawText(option.rect.adjusted(2, 1, -2, -1), alignmentOf(cell), cell.text);
        const CellFrame frame = reportCellFrame(m_table.title, row, column);
        if (frame.edges != CellFrame::None) {
            p->setPen(frame.black ? Qt::black : Qt::white);
            const QRect r = option.rect.adjusted(0, 0, -1, -1);
            if (frame.edges & CellFrame::Top)
                p->drawLine(r.topLeft(), r.topRight());
            if (frame.edges & CellFrame::Left)
                p->drawLine(r.topLeft(), r.bottomLeft());
            if (frame.edges & CellFrame::Right)
                p->drawLine(r.topRight(), r.bottomRight());
            if (frame.edges & CellFrame::Bottom)
                p->drawLine(r.bottomLeft(), r.bottomRight());
        }
        p->restore();
    }

private:
    const ReportTable& m_table;
};

} // namespace

ReportWindow::ReportWindow(Prompter& prompter, QWidget* parent)
    : QWidget(parent, Qt::Window), m_prompter(prompter), m_grid(new QTableWidget(this)) {
    setObjectName(QStringLiteral("TForm9"));
    setWindowTitle(QStringLiteral("Печать"));
    resize(800, 560);

    auto* bar = new QToolBar(this);
    QAction* printAction = bar->addAction(style()->standardIcon(QStyle::SP_FileDialogDetailedView),
                                          QStringLiteral("Печать"), this, &ReportWindow::print);
    printAction->setObjectName(QStringLiteral("PrintButton"));
    QAction* saveAction =
        bar->addAction(style()->standardIcon(QStyle::SP_DialogSaveButton),
                       QStringLiteral("Сохранить в файл CSV"), this, &ReportWindow::saveCsv);
    saveAction->setObjectName(QStringLiteral("SaveButton"));
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);

    m_grid->setObjectName(QStringLiteral("ReportGrid"));
    m_grid->setFont(gridFont());
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    m_grid->setShowGrid(false); // the grid's own lines are white: only the frames show
    m_grid->horizontalHeader()->hide();
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setDefaultSectionSize(DefaultColumnWidth);
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_grid->verticalHeader()->setDefaultSectionSize(DefaultRowHeight);
    m_grid->verticalHeader()->setMinimumSectionSize(1);
    m_grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_grid->setItemDelegate(new ReportCellDelegate(m_table, m_grid));
    m_grid->setWordWrap(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(m_grid);

    chooseCsvFile = [this] {
        return QFileDialog::getSaveFileName(this, QStringLiteral("Сохранить как"), QDir::homePath(),
                                            QStringLiteral("Файлы CSV (*.csv)"));
    };
}

void ReportWindow::showTable(const ReportTable& table) {
    m_table = table;
    setWindowTitle(m_table.title);
    m_grid->clearSpans();
    m_grid->clear();
    m_grid->setRowCount(m_table.rowCount());
    m_grid->setColumnCount(m_table.columnCount());
    for (int c = 0; c < m_table.columnCount(); ++c)
        m_grid->setColumnWidth(c, m_table.columnWidth(c) > 0 ? m_table.columnWidth(c)
                                                             : DefaultColumnWidth);
    for (int r = 0; r < m_table.rowCount(); ++r) {
        m_grid->setRowHeight(r, m_table.rowHeight(r) > 0 ? m_table.rowHeight(r) : DefaultRowHeight);
        for (int c = 0; c < m_table.columnCount(); ++c) {
            auto* item = new QTableWidgetItem(m_table.text(c, r));
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            m_grid->setItem(r, c, item);
        }
    }
    for (const ReportTable::Merge& m : m_table.merges())
        if (m.columns > 1 || m.rows > 1)
            m_grid->setSpan(m.row, m.column, m.rows, m.columns);
    show();
    raise();
    activateWindow();
    m_grid->viewport()->update();
}

void ReportWindow::showEvent(QShowEvent* event) {
    if (!m_placed) { // first opened centred on the desktop
        m_placed = true;
        Controls::centreOnScreen(this);
    }
    QWidget::showEvent(event);
}

void ReportWindow::saveCsv() {
    QString path = chooseCsvFile ? chooseCsvFile() : QString();
    if (path.isEmpty())
        return; // cancelled: nothing written, nothing said
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".csv"); // as the filter of the dialog says
    QFile file(path);
    const QByteArray bytes = m_table.toCsv();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size() || !file.flush()) {
        m_prompter.error(QStringLiteral("Не удалось сохранить файл %1: %2")
                             .arg(QDir::toNativeSeparators(path), file.errorString()));
        file.close();
        return;
    }
    file.close();
}

void ReportWindow::print() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog preview(&printer, this);
    preview.setWindowTitle(QStringLiteral("Предварительный просмотр"));
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* p) { paintPages(p); });
    preview.exec();
}

void ReportWindow::paintPages(QPrinter* printer) const {
    QPainter painter;
    if (!painter.begin(printer))
        return;
    const QRectF page = printer->pageLayout().paintRectPixels(printer->resolution());
    // screen pixels (96 per inch) to printer pixels, shrunk to the page's width when needed
    int tableWidth = 0;
    for (int c = 0; c < m_table.columnCount(); ++c)
        tableWidth += m_table.columnWidth(c) > 0 ? m_table.columnWidth(c) : DefaultColumnWidth;
    double scale = printer->resolution() / 96.0;
    if (tableWidth * scale > page.width() && tableWidth > 0)
        scale = page.width() / tableWidth;
    const double header = 10 * printer->resolution() / 96.0; // the page header's height
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(8 * std::min(1.0, scale * 96.0 / printer->resolution()));
    auto columnX = [&](int column) {
        double x = 0;
        for (int c = 0; c < column; ++c)
            x += (m_table.columnWidth(c) > 0 ? m_table.columnWidth(c) : DefaultColumnWidth) * scale;
        return x;
    };
    auto spanOf = [&](int column, int row) -> const ReportTable::Merge* {
        for (const auto& m : m_table.merges())
            if (m.column == column && m.row == row)
                return &m;
        return nullptr;
    };
    auto covered = [&](int column, int row) {
        for (const auto& m : m_table.merges())
            if (column >= m.column && column < m.column + m.columns && row >= m.row &&
                row < m.row + m.rows && !(column == m.column && row == m.row))
                return true;
        return false;
    };
    double y = header;
    for (int r = 0; r < m_table.rowCount(); ++r) {
        const double h =
            (m_table.rowHeight(r) > 0 ? m_table.rowHeight(r) : DefaultRowHeight) * scale;
        if (y + h > page.height() && y > header) {
            printer->newPage();
            y = header;
        }
        for (int c = 0; c < m_table.columnCount(); ++c) {
            if (covered(c, r))
                continue;
            const ReportTable::Cell& cell = m_table.cell(c, r);
            if (cell.text.isEmpty())
                continue;
            double w = columnX(c + 1) - columnX(c), cellHeight = h;
            if (const auto* m = spanOf(c, r)) {
                w = columnX(c + m->columns) - columnX(c);
                for (int k = 1; k < m->rows; ++k)
                    cellHeight += (m_table.rowHeight(r + k) > 0 ? m_table.rowHeight(r + k)
                                                                : DefaultRowHeight) *
                                  scale;
            }
            painter.setFont(cellFont(font, cell.style));
            painter.drawText(QRectF(columnX(c) + 2 * scale, y, w - 4 * scale, cellHeight),
                             alignmentOf(cell), cell.text);
        }
        y += h;
    }
    painter.end();
}
