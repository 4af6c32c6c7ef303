#include "ui/card/cardwindow.h"

#include "app/benefits.h"
#include "app/clients.h"
#include "db/dberror.h"
#include "period/balance.h"
#include "ui/card/benefitwindow.h"
#include "ui/common/addressboxes.h"
#include "ui/common/controls.h"
#include "ui/common/failures.h"
#include "ui/common/resultsetmodel.h"

#include "ui/card/historytab.h"
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

using Controls::edit;
using Controls::NoDate;

void setDate(QDateEdit* picker, QDate date) {
    picker->setDate(date.isValid() ? date : NoDate);
}
QDate dateOf(const QDateEdit* picker) {
    return picker->date() > NoDate ? picker->date() : QDate();
}

// The tariff column edits with the decimal-comma rule of the area boxes.
class DecimalCommaDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* box = qobject_cast<QLineEdit*>(editor))
            Controls::DecimalCommaKeys::install(box);
        return editor;
    }
};

QTableWidgetItem* cell(const QString& text, const QColor& background = {}) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    if (background.isValid())
        item->setBackground(background);
    return item;
}

} // namespace

CardWindow::CardWindow(AppContext& app, Prompter& prompter, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint),
      m_app(app), m_prompter(prompter), m_tabs(new QTabWidget),
      m_history(new HistoryTab(app, prompter)), m_account(edit("Edit1")), m_name(edit("Edit2")),
      m_residents(edit("Edit9")), m_totalArea(edit("Edit11")), m_livingArea(edit("Edit12")),
      m_house(edit("Edit3")), m_building(edit("Edit4")), m_flat(edit("Edit5")),
      m_zip(edit("Edit10")), m_passSeries(edit("PassSeries")), m_passNumber(edit("PassNumber")),
      m_passIssuer(edit("PassIssuer")), m_passDate(Controls::datePicker("PassDate", true)),
      m_birthDate(Controls::datePicker("BirthDate", true)),
      m_passportPanel(new QGroupBox(QStringLiteral("Паспортные данные"))), m_period(new QLabel),
      m_debt(new QLabel), m_tariffs(new QTableWidget), m_figures(new QTableWidget),
      m_excluded(new QCheckBox(QStringLiteral("Исключен из начисления   "))),
      m_correction(new QPushButton(QStringLiteral("Корректировка"))),
      m_payment(new QPushButton(QStringLiteral("Внести оплату"))),
      m_recalculate(new QPushButton(QStringLiteral("Пересчитать сальдо"))),
      m_address(new AddressBoxes(app, prompter, AddressListForm::Card, this)),
      m_benefits(new QTableView), m_benefitModel(new ResultSetModel(this)) {
    setObjectName(QStringLiteral("TForm2"));
    setWindowTitle(QStringLiteral("Карточка абонента"));
    m_address->setNames(
        {"ComboBox1", "ComboBox2", "ComboBox3", "ComboBox4", "ComboBox5", "ComboBox6"},
        {"RegionClear", "CityClear", "DistrictClear", "SettlementClear", "StreetClear",
         "AreaClear"});

    m_tabs->setObjectName(QStringLiteral("PageControl1"));
    m_tabs->addTab(buildCalculationTab(), QStringLiteral("Расчет"));
    m_tabs->addTab(buildDataTab(), QStringLiteral("Данные об абоненте"));
    m_tabs->addTab(m_history, QStringLiteral("История расчетов"));
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (index == 1 && m_address->box(AddressLevel::Region)->count() == 0)
            dataTabVisited();
        if (index == 2)
            m_history->visited();
    });
    connect(m_history, &HistoryTab::documentRequested, this, &CardWindow::documentRequested);
    connect(m_history, &HistoryTab::printRequested, this, &CardWindow::printHistory);

    auto* ok = new QPushButton(QStringLiteral("О К"));
    ok->setObjectName(QStringLiteral("OkButton"));
    auto* cancelButton = new QPushButton(QStringLiteral("Отмена"));
    cancelButton->setObjectName(QStringLiteral("CancelButton"));
    for (QPushButton* b : {ok, cancelButton})
        b->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &CardWindow::ok);
    connect(cancelButton, &QPushButton::clicked, this, &CardWindow::cancel);
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    esc->setContext(Qt::WindowShortcut);
    connect(esc, &QShortcut::activated, this, &CardWindow::cancel);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(m_tabs);
    layout->addLayout(buttons);

    // key rules and whole-text selection on click
    for (QLineEdit* e :
         {m_account, m_name, m_residents, m_totalArea, m_livingArea, m_house, m_building, m_flat})
        e->installEventFilter(this);
    for (QLineEdit* e : {m_account, m_name, m_residents, m_totalArea, m_livingArea, m_house,
                         m_building, m_flat, m_zip})
        connect(e, &QLineEdit::textEdited, this, [this] { m_modified = true; });
    for (QLineEdit* e : {m_totalArea, m_livingArea})
        Controls::DecimalCommaKeys::install(e);
    connect(m_excluded, &QCheckBox::toggled, this, [this](bool on) {
        QFont f = m_excluded->font();
        f.setBold(on);
        m_excluded->setFont(f);
        if (on)
            warnAboutBenefits();
    });
    connect(m_address, &AddressBoxes::chosen, this,
            [this](AddressLevel level, int) { addressChosen(int(level)); });
    connect(m_address, &AddressBoxes::cleared, this, [this](AddressLevel) { ZapAdres(); });
    // a holder saved in the benefit window: the list shows it, and the card counts as changed
    // a document changed the figures: the card shows them, unless the operator is editing it
    connect(&m_app.changes, &ChangeNotifier::documentsChanged, this, [this] {
        if (isVisible() && !m_modified && m_app.selection.CurrentClientId > 0)
            ZapKart(m_app.selection.CurrentClientId);
    });
    connect(&m_app.changes, &ChangeNotifier::benefitsChanged, this, [this](int clientId) {
        if (isVisible() && clientId == m_app.selection.CurrentClientId) {
            reloadBenefits();
            m_modified = true;
        }
    });
    setFixedSize(700, 520);
}

CardWindow::~CardWindow() {
    // an editor still open in the tariff grid commits while the children are destroyed
    disconnect(m_tariffs, nullptr, this, nullptr);
}

QWidget* CardWindow::buildCalculationTab() {
    auto* tab = new QWidget;
    auto* passport = new QToolButton;
    passport->setObjectName(QStringLiteral("SpeedButton1"));
    passport->setToolTip(QStringLiteral("Паспортные данные"));
    passport->setText(QStringLiteral("…"));
    connect(passport, &QToolButton::clicked, this, [this] {
        m_passportPanel->move(128, 4);
        m_passportPanel->show();
        m_passportPanel->raise();
    });

    m_period->setObjectName(QStringLiteral("Label9"));
    m_debt->setObjectName(QStringLiteral("Label24"));
    QFont bold = m_debt->font();
    bold.setBold(true);
    m_debt->setFont(bold);

    auto* head = new QGridLayout;
    head->addWidget(new QLabel(QStringLiteral("Лицевой счет")), 0, 0);
    head->addWidget(m_account, 0, 1);
    head->addWidget(new QLabel(QStringLiteral("ФИО абонента")), 0, 2);
    head->addWidget(m_name, 0, 3);
    head->addWidget(passport, 0, 4);
    head->setColumnStretch(3, 1);
    m_account->setMaximumWidth(110);

    auto* group = new QGroupBox(QStringLiteral("Расчетные данные"));
    auto* g = new QGridLayout(group);
    g->addWidget(new QLabel(QStringLiteral("Проживающих:")), 0, 0);
    g->addWidget(m_residents, 0, 1);
    g->addWidget(new QLabel(QStringLiteral("Общая площадь")), 1, 0);
    g->addWidget(m_totalArea, 1, 1);
    g->addWidget(new QLabel(QStringLiteral("Жилая площадь")), 2, 0);
    g->addWidget(m_livingArea, 2, 1);
    for (QLineEdit* e : {m_residents, m_totalArea, m_livingArea})
        e->setMaximumWidth(70);
    m_tariffs->setObjectName(QStringLiteral("StringGrid3"));
    m_tariffs->setColumnCount(2);
    m_tariffs->setHorizontalHeaderLabels({QString(), QStringLiteral("Тариф")});
    m_tariffs->verticalHeader()->hide();
    m_tariffs->verticalHeader()->setDefaultSectionSize(20);
    m_tariffs->setColumnWidth(0, 70);
    m_tariffs->setColumnWidth(1, 80);
    m_tariffs->setEditTriggers(QAbstractItemView::AllEditTriggers);
    m_tariffs->setItemDelegateForColumn(1, new DecimalCommaDelegate(m_tariffs));
    m_tariffs->setFixedWidth(70 + 80 + 2 * m_tariffs->frameWidth() + 18);
    connect(m_tariffs, &QTableWidget::itemChanged, this, [this] { m_modified = true; });
    g->addWidget(m_tariffs, 0, 2, 4, 1);
    g->setRowStretch(3, 1);
    m_excluded->setObjectName(QStringLiteral("CheckBox1"));

    m_figures->setObjectName(QStringLiteral("StringGrid1"));
    m_figures->setColumnCount(8);
    m_figures->setHorizontalHeaderLabels({QString(), QStringLiteral("Нач сальдо"),
                                          QStringLiteral("Начислено"), QStringLiteral("Льготы"),
                                          QStringLiteral("Перерасчет"), QStringLiteral("Итого"),
                                          QStringLiteral("Оплачено"), QStringLiteral("К оплате")});
    m_figures->verticalHeader()->hide();
    m_figures->verticalHeader()->setDefaultSectionSize(20);
    m_figures->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_figures->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_figures->setColumnWidth(0, 80);
    for (int c = 1; c <= 6; ++c)
        m_figures->setColumnWidth(c, 70);
    m_figures->setColumnWidth(7, 72);

    m_correction->setObjectName(QStringLiteral("Button6"));
    m_payment->setObjectName(QStringLiteral("Button5"));
    m_recalculate->setObjectName(QStringLiteral("Button7"));
    connect(m_recalculate, &QPushButton::clicked, this, &CardWindow::recalculate);
    connect(m_correction, &QPushButton::clicked, this, [this] {
        if (m_modified &&
            m_prompter.ask(QStringLiteral("СОХРАНИТЬ?"), QStringLiteral("Сохранить изменения?"))) {
            if (!SohrKart())
                return;
            m_modified = false;
        } else if (m_modified) {
            return;
        }
        emit correctionRequested(m_account->text(), m_name->text());
    });
    connect(m_payment, &QPushButton::clicked, this,
            [this] { emit paymentRequested(m_account->text()); });
    auto* commands = new QHBoxLayout;
    commands->addWidget(m_excluded);
    commands->addStretch();
    commands->addWidget(m_correction);
    commands->addWidget(m_payment);
    commands->addWidget(m_recalculate);

    auto* info = new QHBoxLayout;
    info->addWidget(m_period);
    info->addStretch();
    info->addWidget(m_debt);

    auto* layout = new QVBoxLayout(tab);
    layout->addLayout(head);
    layout->addLayout(info);
    layout->addWidget(group);
    layout->addLayout(commands);
    layout->addWidget(m_figures, 1);

    // the passport panel lies over the tab
    m_passportPanel->setParent(tab);
    m_passportPanel->setObjectName(QStringLiteral("PanelPass"));
    m_passportPanel->setAutoFillBackground(true);
    auto* p = new QGridLayout(m_passportPanel);
    p->addWidget(new QLabel(QStringLiteral("Серия")), 0, 0);
    p->addWidget(m_passSeries, 0, 1);
    p->addWidget(new QLabel(QStringLiteral("№")), 0, 2);
    p->addWidget(m_passNumber, 0, 3);
    p->addWidget(new QLabel(QStringLiteral("выдан: кем")), 1, 0);
    p->addWidget(m_passIssuer, 1, 1, 1, 3);
    p->addWidget(new QLabel(QStringLiteral("когда")), 2, 0);
    p->addWidget(m_passDate, 2, 1);
    p->addWidget(new QLabel(QStringLiteral("Дата рождения")), 3, 0);
    p->addWidget(m_birthDate, 3, 1);
    auto* close = new QPushButton(QStringLiteral("Закрыть"));
    close->setObjectName(QStringLiteral("PassClose"));
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, m_passportPanel, &QWidget::hide);
    p->addWidget(close, 3, 3);
    m_passportPanel->setFixedSize(420, 150);
    m_passportPanel->hide();
    return tab;
}

QWidget* CardWindow::buildDataTab() {
    auto* tab = new QWidget;
    using L = AddressLevel;
    auto* area = new QHBoxLayout;
    area->addWidget(new QLabel(QStringLiteral("Участок (или ФИО контролера) :")));
    area->addWidget(m_address->box(L::Area), 1);
    area->addWidget(m_address->clearButton(L::Area));

    auto* benefits = new QGroupBox(QStringLiteral("Льготы абонента"));
    auto* add = new QToolButton;
    add->setObjectName(QStringLiteral("AddHolderButton"));
    add->setToolTip(QStringLiteral("Добавить информацию о льготнике"));
    add->setText(QStringLiteral("+"));
    auto* correct = new QToolButton;
    correct->setObjectName(QStringLiteral("CorrectHolderButton"));
    correct->setToolTip(QStringLiteral("Откорректировать информацию"));
    correct->setText(QStringLiteral("✎"));
    connect(add, &QToolButton::clicked, this, &CardWindow::newHolder);
    connect(correct, &QToolButton::clicked, this, &CardWindow::correctHolder);
    m_benefits->setObjectName(QStringLiteral("DBGrid1"));
    m_benefits->setModel(m_benefitModel);
    m_benefits->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_benefits->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_benefits->setSelectionMode(QAbstractItemView::SingleSelection);
    m_benefits->verticalHeader()->setFixedWidth(14);
    m_benefits->verticalHeader()->setDefaultSectionSize(18);
    m_benefitModel->colourExcludedRows(); // holders excluded from the benefit
    connect(m_benefits, &QTableView::doubleClicked, this, &CardWindow::correctHolder);
    auto* tools = new QVBoxLayout;
    tools->addWidget(add);
    tools->addWidget(correct);
    tools->addStretch();
    auto* b = new QHBoxLayout(benefits);
    b->addWidget(m_benefits, 1);
    b->addLayout(tools);

    auto* address = new QGroupBox(QStringLiteral("Адрес: "));
    auto* g = new QGridLayout(address);
    const struct {
        L level;
        const char* caption;
    } lists[] = {{L::Region, "Регион "},
                 {L::City, "Город"},
                 {L::District, "Район"},
                 {L::Settlement, "Нас. пункт"},
                 {L::Street, "Улица"}};
    int row = 0;
    for (const auto& l : lists) {
        g->addWidget(new QLabel(QString::fromUtf8(l.caption)), row, 0);
        g->addWidget(m_address->box(l.level), row, 1, 1, 5);
        g->addWidget(m_address->clearButton(l.level), row, 6);
        ++row;
    }
    g->addWidget(new QLabel(QStringLiteral("Дом")), row, 0);
    g->addWidget(m_house, row, 1);
    g->addWidget(new QLabel(QStringLiteral("Корп")), row, 2);
    g->addWidget(m_building, row, 3);
    g->addWidget(new QLabel(QStringLiteral("Квартира")), row, 4);
    g->addWidget(m_flat, row, 5);
    ++row;
    g->addWidget(new QLabel(QStringLiteral("Индекс")), row, 0);
    g->addWidget(m_zip, row, 1);
    for (QLineEdit* e : {m_house, m_building, m_flat, m_zip})
        e->setMaximumWidth(80);

    auto* layout = new QVBoxLayout(tab);
    layout->addLayout(area);
    layout->addWidget(benefits, 1);
    layout->addWidget(address);
    return tab;
}

void CardWindow::setBenefitWindow(BenefitWindow* window) {
    m_benefitWindow = window;
}

void CardWindow::ZapKart(int clientId) {
    Card::Data d;
    std::vector<Card::Figures> figures;
    Money total;
    if (!succeeded(m_prompter, [&] {
            d = Card::load(m_app, clientId);
            figures = Card::figures(m_app, clientId, &total);
        }))
        return;
    m_account->setText(d.LS);
    m_name->setText(d.FIO);
    m_house->setText(d.DOM);
    m_building->setText(d.KORP);
    m_flat->setText(d.KVART);
    m_passSeries->setText(d.PAS_S);
    m_passNumber->setText(d.PAS_N);
    m_passIssuer->setText(d.PAS_K);
    setDate(m_passDate, d.PAS_D);
    setDate(m_birthDate, d.DATA_ROZHD);
    m_residents->setText(d.KOL);
    m_totalArea->setText(d.OB_PL);
    m_livingArea->setText(d.ZH_PL);
    m_zip->setText(d.ZIP);
    m_address->ids = {d.RG, d.GD, d.RN, d.NP, d.ST, d.UCH};
    m_excluded->setChecked(d.excluded); // ticking it warns about benefit holders
    m_period->setText(QStringLiteral("Период расчета  ") + m_app.state.CurrentPeriod);

    const auto& services = m_app.state.ShownServices;
    const int rows = int(services.size());
    {
        const QSignalBlocker block(m_tariffs);
        m_tariffs->setRowCount(rows);
        for (int k = 0; k < rows; ++k) {
            m_tariffs->setItem(k, 0, cell(services[size_t(k)].KRATKO, palette().button().color()));
            m_tariffs->setItem(k, 1, new QTableWidgetItem(d.tariffs[size_t(k)]));
        }
    }
    static const QColor colours[] = {{},
                                     Controls::FigureColour::Opening,
                                     Qt::white,
                                     Qt::white,
                                     Qt::white,
                                     Controls::FigureColour::Total,
                                     Controls::FigureColour::Paid,
                                     Controls::FigureColour::Closing};
    m_figures->setRowCount(rows);
    for (int k = 0; k < rows; ++k) {
        const Card::Figures& f = figures[size_t(k)];
        const Money values[] = {f.opening, f.charged, f.benefits, f.corrections,
                                f.total,   f.paid,    f.toPay};
        m_figures->setItem(k, 0, cell(f.KRATKO, palette().button().color()));
        for (int c = 1; c < 8; ++c)
            m_figures->setItem(k, c, cell(values[c - 1].toText(), colours[c]));
    }
    m_debt->setText(QStringLiteral("Общий долг на текущий момент: ") + total.toText() +
                    QStringLiteral(" руб."));
    const bool documents = !m_app.selection.NewClientMode;
    m_correction->setEnabled(documents);
    m_payment->setEnabled(documents);
    m_recalculate->setEnabled(documents);
    if (!isVisible()) {
        if (!m_placed) {
            m_placed = true;
            Controls::centreOnScreen(this);
        }
        show();
    }
    raise();
    activateWindow();
}

void CardWindow::showEvent(QShowEvent* event) {
    m_modified = false;
    m_address->clearItems(AddressLevel::Region); // the data tab reloads on its next visit
    m_history->prepare();
    m_tabs->setCurrentIndex(0);
    if (auto* cancelButton = findChild<QPushButton*>(QStringLiteral("CancelButton")))
        cancelButton->setFocus();
    QWidget::showEvent(event);
}

void CardWindow::closeEvent(QCloseEvent* event) {
    // the close box is "Отмена": a new subscriber's empty row is removed with its journal line
    event->ignore();
    cancel();
}

void CardWindow::hideEvent(QHideEvent* event) {
    m_modified = false;
    QWidget::hideEvent(event);
}

void CardWindow::dataTabVisited() {
    reloadBenefits();
    ZapAdres();
    // the lists show the stored address and change nothing of it; only a subscriber without a
    // region is proposed the first one
    QComboBox* region = m_address->box(AddressLevel::Region);
    if (m_address->ids.region <= 0 && region->count() > 0) {
        region->setCurrentIndex(0);
        emit region->activated(0);
    }
    m_address->box(AddressLevel::District)->setFocus();
}

void CardWindow::ZapAdres() {
    m_address->fillAll();
}

void CardWindow::addressChosen(int level) {
    switch (AddressLevel(level)) {
    case AddressLevel::City:
        m_address->ids.settlement = 0;
        [[fallthrough]];
    case AddressLevel::Region:
    case AddressLevel::District:
    case AddressLevel::Settlement:
        ZapAdres();
        break;
    case AddressLevel::Street:
    case AddressLevel::Area:
        break;
    }
    m_modified = true;
}

void CardWindow::reloadBenefits() {
    succeeded(m_prompter, [&] {
        m_benefitModel->setRows(
            m_app.db().query(Benefits::listSql(m_app.selection.CurrentClientId)));
    });
    static const int widths[] = {0, 240, 240, 0};
    for (int c = 0; c < 4 && c < m_benefitModel->columnCount(); ++c)
        m_benefits->setColumnWidth(c, widths[c]);
}

void CardWindow::newHolder() {
    if (m_benefitWindow)
        m_benefitWindow->openNew();
}

void CardWindow::correctHolder() {
    const QModelIndex current = m_benefits->currentIndex();
    if (!m_benefitWindow || !current.isValid() || m_benefitModel->rowCount() == 0)
        return;
    // the holder of the selected row, found by its IDL
    m_benefitWindow->openCorrection(int(m_benefitModel->rows().at(current.row(), 0).toInteger()));
}

Card::Data CardWindow::fields() const {
    Card::Data d;
    d.LS = m_account->text();
    d.FIO = m_name->text();
    d.DOM = m_house->text();
    d.KORP = m_building->text();
    d.KVART = m_flat->text();
    d.ZIP = m_zip->text();
    d.PAS_S = m_passSeries->text();
    d.PAS_N = m_passNumber->text();
    d.PAS_K = m_passIssuer->text();
    d.PAS_D = dateOf(m_passDate);
    d.DATA_ROZHD = dateOf(m_birthDate);
    d.KOL = m_residents->text();
    d.OB_PL = m_totalArea->text();
    d.ZH_PL = m_livingArea->text();
    const AddressIds& ids = m_address->ids;
    d.RG = ids.region;
    d.GD = ids.city;
    d.RN = ids.district;
    d.NP = ids.settlement;
    d.ST = ids.street;
    d.UCH = ids.area;
    d.excluded = m_excluded->isChecked();
    for (int k = 0; k < m_tariffs->rowCount(); ++k)
        d.tariffs.push_back(m_tariffs->item(k, 1) ? m_tariffs->item(k, 1)->text().trimmed()
                                                  : QString());
    return d;
}

bool CardWindow::SohrKart() {
    QString refusal;
    if (!succeeded(m_prompter,
                   [&] { refusal = Card::save(m_app, m_app.selection.CurrentClientId, fields()); }))
        return false;
    if (!refusal.isEmpty()) {
        m_prompter.notify(refusal);
        return false;
    }
    m_app.selection.NewClientMode = false; // the new subscriber is complete
    return true;
}

void CardWindow::ok() {
    if (!SohrKart())
        return; // the window stays open with what was typed
    m_passportPanel->hide();
    hide();
}

void CardWindow::cancel() {
    if (m_app.selection.NewClientMode) {
        const int id = m_app.selection.CurrentClientId;
        if (!succeeded(m_prompter, [&] { Clients::cancelNewClient(m_app, id); }))
            return;
        m_app.selection.NewClientMode = false;
    }
    m_passportPanel->hide();
    hide();
}

void CardWindow::recalculate() {
    const int id = m_app.selection.CurrentClientId;
    if (!succeeded(m_prompter, [&] { PereschetSaldoOdnogo(m_app, id); }))
        return;
    m_app.selection.NewClientMode = false;
    ZapKart(id);
}

void CardWindow::warnAboutBenefits() {
    if (!m_app.connected() || m_app.selection.CurrentClientId == 0)
        return;
    int holders = 0;
    if (succeeded(
            m_prompter,
            [&] { holders = Card::benefitHolders(m_app, m_app.selection.CurrentClientId); }) &&
        holders > 0)
        m_prompter.notify(QStringLiteral("У данного абонента есть льгота! Проверте её!"));
}

bool CardWindow::eventFilter(QObject* watched, QEvent* event) {
    auto* field = qobject_cast<QLineEdit*>(watched);
    if (!field)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::MouseButtonRelease &&
        (field == m_residents || field == m_totalArea || field == m_livingArea ||
         field == m_house || field == m_building || field == m_flat)) {
        QTimer::singleShot(0, field, &QLineEdit::selectAll);
        return false;
    }
    if (event->type() == QEvent::FocusOut && field == m_residents &&
        (m_residents->text().isEmpty() || m_residents->text() == u"0")) {
        warnAboutBenefits();
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (enter) {
        QWidget* next = field == m_account     ? m_name
                        : field == m_name      ? m_residents
                        : field == m_residents ? m_totalArea
                        : field == m_totalArea ? m_livingArea
                                               : nullptr;
        if (next)
            Controls::focusNext(next);
        return next != nullptr || field == m_livingArea;
    }
    const QString text = key->text();
    if (text.isEmpty() || !text.at(0).isPrint() || key->key() == Qt::Key_Backspace)
        return false; // Backspace, arrows and the like pass
    const QChar c = text.at(0);
    if (field == m_residents)
        return !(c >= u'0' && c <= u'9');
    return false; // the areas have the decimal-comma rule of their own
}

void CardWindow::printHistory() {
    // the address boxes show the card's settlement and street once the data tab was filled
    if (m_address->box(AddressLevel::Region)->count() == 0)
        dataTabVisited();
    HistoryPrintHeader h;
    h.name = m_name->text();
    h.address = m_address->box(AddressLevel::Settlement)->currentText() +
                QStringLiteral(",  ул. ") + m_address->box(AddressLevel::Street)->currentText() +
                QStringLiteral(",  д.") + m_house->text();
    if (!m_building->text().isEmpty())
        h.address += QStringLiteral(",  крп.") + m_building->text();
    if (!m_flat->text().isEmpty())
        h.address += QStringLiteral(",  кв.") + m_flat->text();
    // one tariff per service: each service's short name and tariff
    QStringList tariffs;
    for (int k = 0; k < m_tariffs->rowCount(); ++k) {
        const QString tariff = m_tariffs->item(k, 1) ? m_tariffs->item(k, 1)->text() : QString();
        if (!tariff.isEmpty() && m_tariffs->item(k, 0))
            tariffs << m_tariffs->item(k, 0)->text() + u' ' + tariff;
    }
    h.tariff = tariffs.join(QStringLiteral("; "));
    h.residents = m_residents->text();
    h.year = m_history->year();
    ReportTable table;
    fillHistoryPrint(table, m_history->table(), h);
    emit reportReady(table);
}
