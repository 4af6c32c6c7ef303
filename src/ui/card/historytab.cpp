#include "ui/card/historytab.h"

#include "common/period.h"
#include "ui/common/controls.h"
#include "ui/common/failures.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QStyle>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

HistoryTab::HistoryTab(AppContext& app, Prompter& prompter, QWidget* parent)
    : QWidget(parent), m_app(app), m_prompter(prompter), m_yearLabel(new QLabel),
      m_grid(new QTableWidget(12, 9)), m_checkList(new QWidget), m_menu(new QMenu(this)) {
    setObjectName(u"HistoryTab"_s);
    m_yearLabel->setObjectName(u"YearLabel"_s);
    QFont bold = m_yearLabel->font();
    bold.setBold(true);
    m_yearLabel->setFont(bold);
    auto* back = new QToolButton;
    back->setObjectName(u"YearBack"_s);
    back->setArrowType(Qt::LeftArrow);
    back->setToolTip(u"Смена года истории"_s);
    auto* forward = new QToolButton;
    forward->setObjectName(u"YearForward"_s);
    forward->setArrowType(Qt::RightArrow);
    forward->setToolTip(u"Смена года истории"_s);
    auto* again = new QToolButton;
    again->setObjectName(u"HistoryRefresh"_s);
    again->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    auto* print = new QToolButton;
    print->setObjectName(u"HistoryPrint"_s);
    print->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    print->setToolTip(u"Распечатать"_s);
    connect(back, &QToolButton::clicked, this, [this] { showYear(m_year - 1); });
    connect(forward, &QToolButton::clicked, this, [this] { showYear(m_year + 1); });
    connect(again, &QToolButton::clicked, this, [this] { showYear(m_year); });
    connect(print, &QToolButton::clicked, this, &HistoryTab::printRequested);
    auto* top = new QHBoxLayout;
    top->addWidget(m_yearLabel);
    top->addWidget(back);
    top->addWidget(forward);
    top->addWidget(again);
    top->addStretch();
    top->addWidget(print);

    m_grid->setObjectName(u"HistoryGrid"_s);
    m_grid->setHorizontalHeaderLabels({u"ПЕРИОД"_s, u"Нач сальдо"_s, u"Начислено"_s, u"Льготы"_s,
                                       u"Перерасчет"_s, u"Итого"_s, u"Оплачено"_s, u"Квитанция"_s,
                                       u"Кон сальдо"_s});
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setDefaultSectionSize(18);
    m_grid->setColumnHidden(7, true); // printed, not shown
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    connect(m_grid, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int previous, int) {
                if (row >= 0 && row != previous)
                    monthSelected(row);
            });
    connect(m_grid, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        monthSelected(row);
        if (!m_menu->isEmpty())
            m_menu->popup(QCursor::pos() + QPoint(20, 20));
    });

    m_checkList->setObjectName(u"HistoryServices"_s);
    auto* checks = new QHBoxLayout(m_checkList);
    checks->setContentsMargins(0, 0, 0, 0);
    for (const TVidUslugi& s : m_app.state.ShownServices) {
        auto* c = new QCheckBox(s.KRATKO);
        c->setObjectName(u"HistoryService%1"_s.arg(s.IDUSL));
        c->setProperty("service", s.IDUSL);
        connect(c, &QCheckBox::toggled, this, &HistoryTab::refresh);
        m_checks.push_back(c);
        checks->addWidget(c, 1);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_grid, 1);
    layout->addWidget(m_checkList);
}

void HistoryTab::prepare() {
    m_year = m_app.state.CurrentPeriod.mid(3, 4).toInt();
    m_yearLabel->setText(QString::number(m_year));
    m_computed = false;
    m_history = History();
    for (QCheckBox* c : m_checks) {
        c->blockSignals(true);
        c->setChecked(false);
        c->blockSignals(false);
    }
    m_grid->clearContents();
    m_menu->clear();
}

void HistoryTab::visited() {
    if (!m_computed)
        showYear(m_year);
}

void HistoryTab::showYear(int year) {
    const int client = m_app.selection.CurrentClientId;
    if (!m_app.connected() || client <= 0)
        return;
    History h;
    if (!succeeded(m_prompter, [&] { h = calculationHistory(m_app, client, year); }))
        return;
    m_history = std::move(h);
    m_year = year;
    m_computed = true;
    m_yearLabel->setText(QString::number(year));
    refresh();
}

void HistoryTab::refresh() {
    std::vector<int> ticked;
    for (QCheckBox* c : m_checks)
        if (c->isChecked())
            ticked.push_back(c->property("service").toInt());
    fillHistoryTable(m_table, m_history, ticked);
    static const QColor colours[] = {Qt::white,
                                     Controls::FigureColour::Opening,
                                     Qt::white,
                                     Qt::white,
                                     Qt::white,
                                     Controls::FigureColour::Total,
                                     Controls::FigureColour::Paid,
                                     Qt::white,
                                     Controls::FigureColour::Closing};
    for (int r = 0; r < 12; ++r)
        for (int c = 0; c < 9; ++c) {
            auto* item = new QTableWidgetItem(m_table.text(c, r + 1));
            item->setBackground(colours[c]);
            item->setForeground(Qt::black);
            m_grid->setItem(r, c, item);
        }
}

void HistoryTab::monthSelected(int row) {
    m_menu->clear();
    const QString period = m_table.text(0, row + 1);
    if (period.isEmpty())
        return;
    std::vector<THistDok> docs;
    if (!succeeded(m_prompter, [&] { docs = monthDocuments(m_app, m_history, period); }))
        return;
    for (const THistDok& d : docs) {
        const int id = d.document;
        m_menu->addAction(historyItem(d), this, [this, id] { emit documentRequested(id); });
    }
}
