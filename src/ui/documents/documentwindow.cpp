#include "ui/documents/documentwindow.h"

#include "db/dberror.h"
#include "db/query.h"
#include "documents/charge.h"
#include "documents/correction.h"
#include "documents/payment.h"
#include "reports/debtors.h"
#include "reports/registers.h"
#include "ui/common/controls.h"
#include "ui/common/failures.h"
#include "ui/common/resultsetmodel.h"
#include "ui/documents/documentpanels.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QLabel* label(const QString& text) {
    auto* l = new QLabel(text);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

} // namespace

DocumentWindow::DocumentWindow(AppContext& app, Prompter& prompter, QWidget* parent)
    // on top of the program's other windows, with only the close box in its title
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
      m_app(app), m_prompter(prompter),
      m_address(new AddressBoxes(app, prompter, AddressListForm::Selection, this)),
      m_account(Controls::edit("AccountEdit")), m_name(Controls::edit("NameEdit")),
      m_house(Controls::edit("HouseEdit")), m_building(Controls::edit("BuildingEdit")),
      m_apartment(Controls::edit("ApartmentEdit")), m_hasApartment(new QCheckBox),
      m_remember(new QCheckBox(QStringLiteral("Запомнить выбор полей"))),
      m_selectButton(new QPushButton(QStringLiteral("Выбрать абонентов (F3)"))),
      m_areaStrip(new QWidget), m_headerStrip(new QWidget), m_criteriaPanel(new QGroupBox),
      m_grid(new QTableView), m_gridModel(new ResultSetModel(this)),
      m_selectionMenu(new QMenu(this)) {
    setObjectName(QStringLiteral("TForm4"));
    m_address->setNames(
        {"RegionBox", "CityBox", "DistrictBox", "SettlementBox", "StreetBox", "AreaBox"},
        {"RegionClear", "CityClear", "DistrictClear", "SettlementClear", "StreetClear",
         "AreaClear"});
    connect(m_address, &AddressBoxes::chosen, this, [this](AddressLevel l, int) { chosen(l); });
    connect(m_address, &AddressBoxes::cleared, this, &DocumentWindow::cleared);
    m_hasApartment->setObjectName(QStringLiteral("HasApartmentBox"));
    m_hasApartment->setToolTip(QStringLiteral("Только абоненты с квартирой"));
    m_remember->setObjectName(QStringLiteral("RememberBox"));
    m_remember->setChecked(true);
    m_selectButton->setObjectName(QStringLiteral("SelectButton"));
    m_selectButton->setAutoDefault(false);
    connect(m_selectButton, &QPushButton::clicked, this, &DocumentWindow::select);
    connect(m_hasApartment, &QCheckBox::toggled, m_apartment, &QLineEdit::setDisabled);
    auto* f3 = new QShortcut(QKeySequence(Qt::Key_F3), this);
    f3->setContext(Qt::WindowShortcut);
    connect(f3, &QShortcut::activated, this, &DocumentWindow::select);

    // the area strip
    m_areaStrip->setObjectName(QStringLiteral("AreaStrip"));
    auto* area = new QHBoxLayout(m_areaStrip);
    area->setContentsMargins(0, 0, 0, 0);
    area->addWidget(new QLabel(QStringLiteral("Участок (ФИО контролера)")));
    area->addWidget(box(AddressLevel::Area), 1);
    area->addWidget(m_address->clearButton(AddressLevel::Area));

    m_headerStrip->setObjectName(QStringLiteral("HeaderStrip"));
    m_headerStrip->hide();

    // the debt-limit strip of the debtor list
    m_limitStrip = new QWidget;
    m_limitStrip->setObjectName(QStringLiteral("LimitStrip"));
    m_limit = Controls::edit("LimitEdit");
    m_limit->setMaximumWidth(100);
    m_limit->installEventFilter(this);
    auto* limit = new QHBoxLayout(m_limitStrip);
    limit->setContentsMargins(0, 0, 0, 0);
    limit->addWidget(new QLabel(QStringLiteral("Укажите мин.сумму")));
    limit->addWidget(new QLabel(QStringLiteral(" задолженности")));
    limit->addStretch();
    limit->addWidget(new QLabel(QStringLiteral("Предел :")));
    limit->addWidget(m_limit);
    m_limitStrip->hide();
    buildDocumentParts();

    m_criteriaPanel->setObjectName(QStringLiteral("CriteriaPanel"));
    buildCriteriaPanel(m_criteriaPanel);

    m_grid->setObjectName(QStringLiteral("SelectionGrid"));
    m_grid->setModel(m_gridModel);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->verticalHeader()->setDefaultSectionSize(18);
    m_grid->hide();
    m_gridModel->colourExcludedRows(&m_app.state.ColourExcluded);
    m_grid->installEventFilter(this);
    connect(m_grid, &QTableView::doubleClicked, this, [this] { addLineFromGrid(); });

    QAction* fresh = m_selectionMenu->addAction(QStringLiteral("Новая выборка"), this,
                                                [this] { setGridSql(m_selection.ListSql); });
    // (the payment and correction panels were hidden by the selection command)
    fresh->setObjectName(QStringLiteral("NewSelection"));
    QAction* add = m_selectionMenu->addAction(QStringLiteral("Добавлять"), this, [this] {
        setGridSql(SelectionSql::added(m_gridSql, m_selection.ListSql));
    });
    add->setObjectName(QStringLiteral("AddToSelection"));
    m_selectionMenu->addSeparator();
    QAction* remove =
        m_selectionMenu->addAction(QStringLiteral("Удалить из выборки"), this, [this] {
            setGridSql(SelectionSql::removed(m_gridSql, m_selection.SelectionFilter));
        });
    remove->setObjectName(QStringLiteral("RemoveFromSelection"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(2);
    layout->addWidget(m_headerStrip);
    layout->addWidget(m_areaStrip);
    layout->addWidget(m_limitStrip);
    layout->addWidget(m_criteriaPanel);
    layout->addWidget(m_grid, 1);
    layout->addWidget(m_serviceChecks);
    layout->addWidget(m_payment, 1);
    layout->addWidget(m_correction, 1);
    layout->addStretch(0); // takes the height while the grid is hidden
    layout->addWidget(m_notePanel);
    layout->addWidget(m_buttons);

    // on creation: every list filled with no current ids
    m_address->fillAll();
}

void DocumentWindow::buildCriteriaPanel(QWidget* panel) {
    auto* g = new QGridLayout(panel);
    g->setContentsMargins(4, 0, 4, 2);
    g->setHorizontalSpacing(4);
    g->setVerticalSpacing(2);
    // the panel's caption wraps inside the window's width (a group box title would widen it)
    auto* caption = new QLabel(QStringLiteral(
        "Выборка абонентов по критериям (если все поля оставить пустыми будут выбраны все "
        "абоненты из базы): "));
    caption->setObjectName(QStringLiteral("CriteriaCaption"));
    caption->setWordWrap(true);
    g->addWidget(caption, 0, 0, 1, 6);
    const int top = 1; // the rows below the caption
    auto addList = [&](int row, int col, const QString& caption, AddressLevel level) {
        g->addWidget(label(caption), row, col);
        g->addWidget(box(level), row, col + 1);
        g->addWidget(m_address->clearButton(level), row, col + 2);
    };
    g->addWidget(label(QStringLiteral("Лицевой счет")), top, 0);
    g->addWidget(m_account, top, 1, 1, 2);
    g->addWidget(label(QStringLiteral("ФИО")), top, 3);
    g->addWidget(m_name, top, 4, 1, 2);
    addList(top + 1, 0, QStringLiteral("Регион "), AddressLevel::Region);
    addList(top + 1, 3, QStringLiteral("Город"), AddressLevel::City);
    addList(top + 2, 0, QStringLiteral("Район"), AddressLevel::District);
    addList(top + 2, 3, QStringLiteral("Нас. пункт"), AddressLevel::Settlement);
    addList(top + 3, 0, QStringLiteral("Улица"), AddressLevel::Street);

    auto* house = new QHBoxLayout;
    house->setSpacing(4);
    house->addWidget(label(QStringLiteral("Дом")));
    house->addWidget(m_house);
    house->addWidget(label(QStringLiteral("Корп")));
    house->addWidget(m_building);
    house->addWidget(label(QStringLiteral("Квартира")));
    house->addWidget(m_apartment);
    house->addWidget(m_hasApartment);
    for (QLineEdit* e : {m_house, m_building, m_apartment})
        e->setMaximumWidth(48);
    g->addLayout(house, top + 3, 3, 1, 3);

    auto* commands = new QHBoxLayout;
    auto* clearAllButton = new QPushButton(QStringLiteral("Очистить все поля"));
    clearAllButton->setObjectName(QStringLiteral("ClearAllButton"));
    clearAllButton->setAutoDefault(false);
    connect(clearAllButton, &QPushButton::clicked, this, &DocumentWindow::clearAll);
    commands->addWidget(m_remember);
    commands->addStretch();
    commands->addWidget(clearAllButton);
    commands->addWidget(m_selectButton);
    g->addLayout(commands, top + 4, 0, 1, 6);
    g->setColumnStretch(1, 1);
    g->setColumnStretch(4, 1);

    // Enter moves the focus along the form; Left in the apartment box goes back to the house
    for (QWidget* w : std::initializer_list<QWidget*>{
             m_account, m_name, box(AddressLevel::Region), box(AddressLevel::City),
             box(AddressLevel::District), box(AddressLevel::Settlement), box(AddressLevel::Street),
             m_house, m_building, m_apartment})
        w->installEventFilter(this);
}

bool DocumentWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (watched == m_limit) {
        // digits; "-" puts or takes a leading minus; one decimal point ("," gives it too)
        const QString t = static_cast<QKeyEvent*>(event)->text();
        if (key == Qt::Key_Backspace || t.isEmpty() || !t[0].isPrint() || t[0].isDigit())
            return QWidget::eventFilter(watched, event);
        QString v = m_limit->text();
        if (t == u"-") {
            v = v.startsWith(u'-') ? v.mid(1) : u'-' + v;
            m_limit->setText(v);
            m_limit->setCursorPosition(int(v.size()));
        } else if ((t == u"." || t == u",") && !v.contains(u'.')) {
            m_limit->insert(QStringLiteral("."));
        }
        return true;
    }
    if (watched == m_grid) {
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return QWidget::eventFilter(watched, event);
        addLineFromGrid(); // Enter acts as a double click
        return true;
    }
    if (watched == m_apartment && key == Qt::Key_Left) {
        Controls::focusNext(m_house);
        return true;
    }
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return QWidget::eventFilter(watched, event);
    QWidget* next = nullptr;
    if (watched == m_account)
        next = m_name;
    else if (watched == m_name)
        next = box(AddressLevel::Region);
    else if (watched == box(AddressLevel::Region) || watched == box(AddressLevel::City))
        next = box(AddressLevel::District);
    else if (watched == box(AddressLevel::District))
        next = box(AddressLevel::Settlement);
    else if (watched == box(AddressLevel::Settlement))
        next = box(AddressLevel::Street);
    else if (watched == box(AddressLevel::Street))
        next = m_house;
    else if (watched == m_house || watched == m_building)
        next = m_apartment;
    else if (watched == m_apartment)
        next = m_selectButton;
    if (!next)
        return QWidget::eventFilter(watched, event);
    Controls::focusNext(next);
    return true;
}

QComboBox* DocumentWindow::box(AddressLevel level) const {
    return m_address->box(level);
}

void DocumentWindow::chosen(AddressLevel level) {
    m_address->cascadeChoice(level);
}

void DocumentWindow::cleared(AddressLevel level) {
    m_address->refillFrom(level);
}

void DocumentWindow::clearAll() {
    for (QLineEdit* e : {m_house, m_building, m_apartment, m_name, m_account})
        e->clear();
    const int area = m_address->ids.area;
    m_address->ids = {};
    m_address->ids.area = area;
    m_address->fill({AddressLevel::Region, AddressLevel::City, AddressLevel::District,
                     AddressLevel::Settlement, AddressLevel::Street});
}

void DocumentWindow::showEvent(QShowEvent* event) {
    m_account->clear();
    m_name->clear();
    if (!m_remember->isChecked()) {
        m_house->clear();
        m_building->clear();
        m_apartment->clear();
        m_hasApartment->setChecked(false);
        m_address->ids = {};
        m_address->fillAll();
    }
    m_account->setFocus();
    if (const auto type = documentType()) {
        m_save->setText(DocCaption::save(*type));
        m_toggle->setVisible(*type != DocType::Charge);
        m_serviceChecks->setVisible(*type == DocType::Charge);
        if (*type == DocType::Charge)
            for (QCheckBox* c : m_checks)
                c->setChecked(false);
        if (*type == DocType::Payment)
            succeeded(m_prompter, [&] { m_payment->setMethods(paymentMethods(m_app.db())); });
        if (!m_storedLoaded) { // the grid stays empty until the operator selects
            m_gridOpen = false;
            m_gridModel->setRows(ResultSet());
        }
    }
    QWidget::showEvent(event);
}

void DocumentWindow::closeEvent(QCloseEvent* event) {
    m_storedLoaded = false;
    m_grid->hide();
    m_payment->hide();
    m_correction->hide();
    m_toggle->hide();
    m_areaStrip->hide();
    QWidget::closeEvent(event);
}

void DocumentWindow::openPlainSelection() {
    openMode(SelectionCaption::Plain, false, true, false, QSize(588, 242));
}

void DocumentWindow::openMassSelection() {
    openMode(SelectionCaption::Plain, false, false, false, QSize(588, 240));
    if (parentWidget()) // above the processing panel, which stands in the middle
        move(x(), parentWidget()->frameGeometry().top() + 90);
}

void DocumentWindow::openMode(const QString& caption, bool headerStrip, bool areaStrip, bool grid,
                              QSize size) {
    m_headerStrip->setVisible(headerStrip);
    m_areaStrip->setVisible(areaStrip);
    m_limitStrip->setVisible(caption == SelectionCaption::Debtors);
    m_grid->setVisible(grid);
    m_criteriaPanel->show();
    m_notePanel->setVisible(headerStrip);
    m_buttons->setVisible(headerStrip);
    if (!headerStrip) {
        m_serviceChecks->hide();
        m_payment->hide();
        m_correction->hide();
        m_toggle->hide();
    }
    setWindowTitle(caption);
    resize(size);
    if (!m_placed && parentWidget()) {
        m_placed =
            true; // first opened in the middle of the main window, then where the user put it
        Controls::centreOver(this, parentWidget());
    }
    show();
    raise();
    activateWindow();
}

bool DocumentWindow::documentMode() const {
    return !m_headerStrip->isHidden();
}

SelectionCriteria DocumentWindow::criteria() const {
    SelectionCriteria c;
    c.account = m_account->text();
    c.name = m_name->text();
    c.house = m_house->text();
    c.building = m_building->text();
    c.apartment = m_apartment->text();
    c.hasApartment = m_hasApartment->isChecked();
    auto chosenId = [this](AddressLevel level) { return m_address->chosenId(level); };
    c.region = chosenId(AddressLevel::Region);
    c.city = chosenId(AddressLevel::City);
    c.district = chosenId(AddressLevel::District);
    c.settlement = chosenId(AddressLevel::Settlement);
    c.street = chosenId(AddressLevel::Street);
    c.area = chosenId(AddressLevel::Area);
    return c;
}

void DocumentWindow::select() {
    const QString caption = windowTitle();
    const bool plain = !documentMode() && caption == SelectionCaption::Plain;
    m_selection = buildSelection(criteria(), plain, m_app.state.ShownServices);
    m_app.selection.ListSql = m_selection.ListSql;
    m_app.selection.SelectionFilter = m_selection.SelectionFilter;

    if (documentMode()) {
        showPanel(false);
        if (m_gridOpen && m_gridModel->rowCount() > 0) {
            m_selectionMenu->popup(
                m_selectButton->mapToGlobal(QPoint(10, m_selectButton->height())));
            return;
        }
        setGridSql(m_selection.ListSql);
        return;
    }
    if (plain && m_target && m_target->showSelection(m_selection))
        close();
    if (caption == SelectionCaption::Debtors) {
        if (m_limit->text().isEmpty())
            m_limit->setText(QStringLiteral("0"));
        if (const QString problem = debtorLimitProblem(m_limit->text()); !problem.isEmpty()) {
            m_prompter.warn(problem);
            return;
        }
        ReportTable table;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const bool done = succeeded(m_prompter, [&] {
            fillDebtorList(m_app, table, {m_limit->text(), m_selection.SelectionFilter});
        });
        QApplication::restoreOverrideCursor();
        if (done) {
            emit reportReady(table);
            close();
        }
        return;
    }
    if (caption == SelectionCaption::PaymentRegister ||
        caption == SelectionCaption::ChargeRegister) {
        m_app.selection.ReportClientFilter = reportClientFilter(m_selection.SelectionFilter);
        emit reportFilterChosen();
        close();
    }
}

void DocumentWindow::openDebtorSelection() {
    m_limit->clear();
    openMode(SelectionCaption::Debtors, false, false, false, QSize(588, 242));
}

void DocumentWindow::openRegisterSelection(bool payments) {
    if (payments)
        openMode(SelectionCaption::PaymentRegister, false, true, false, QSize(588, 242));
    else
        openMode(SelectionCaption::ChargeRegister, false, false, false, QSize(588, 242));
}

void DocumentWindow::setGridSql(const QString& sql) {
    if (!m_app.connected())
        return;
    if (!succeeded(m_prompter, [&] {
            ResultSet rows = m_app.db().query(sql);
            m_gridSql = sql;
            m_gridOpen = true;
            m_gridModel->setRows(std::move(rows));
        }))
        return;
    finishGrid();
}

void DocumentWindow::finishGrid() {
    static const int widths[] = {50, 200, 100, 100, 50, 50, 50};
    for (int c = 0; c < 7; ++c)
        m_grid->setColumnWidth(c, widths[c]);
    for (int c : {10, 11})
        if (c < m_gridModel->columnCount())
            m_grid->setColumnWidth(c, 0);
    m_grid->setFocus();
}

// --- documents ---

namespace {

// The document window's caption shows how far a long routine has come.
class CaptionProgress : public Progress {
public:
    explicit CaptionProgress(QWidget* window) : m_window(window) {}
    void processEvents() override { QCoreApplication::processEvents(); }
    void setText(const QString& text) override { m_window->setWindowTitle(text); }

private:
    QWidget* m_window;
};

} // namespace

void DocumentWindow::buildDocumentParts() {
    m_typeLabel = new QLabel(QStringLiteral("Тип документа  № "));
    m_typeLabel->setObjectName(QStringLiteral("TypeLabel"));
    QFont bold = m_typeLabel->font();
    bold.setBold(true);
    m_typeLabel->setFont(bold);
    m_number = Controls::edit("NumberEdit");
    m_number->setMaximumWidth(80);
    m_date = Controls::datePicker("DatePicker");
    m_toggle = new QToolButton;
    m_toggle->setObjectName(QStringLiteral("ToggleButton"));
    m_toggle->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    m_toggle->setToolTip(QStringLiteral("Показать/убрать набранную информацию"));
    m_toggle->hide();
    connect(m_toggle, &QToolButton::clicked, this, [this] {
        QWidget* panel =
            documentType() == DocType::Payment ? static_cast<QWidget*>(m_payment) : m_correction;
        showPanel(panel->isHidden());
    });
    auto* header = new QHBoxLayout(m_headerStrip);
    header->setContentsMargins(0, 0, 0, 0);
    header->addWidget(m_typeLabel);
    header->addWidget(m_number);
    header->addWidget(new QLabel(QStringLiteral("от")));
    header->addWidget(m_date);
    header->addStretch();
    header->addWidget(m_toggle);

    m_serviceChecks = new QWidget;
    m_serviceChecks->setObjectName(QStringLiteral("ServiceChecks"));
    auto* checks = new QHBoxLayout(m_serviceChecks);
    checks->setContentsMargins(0, 0, 0, 0);
    for (const TVidUslugi& s : m_app.state.ShownServices) {
        auto* c = new QCheckBox(s.KRATKO);
        c->setObjectName(QStringLiteral("ServiceCheck%1").arg(s.IDUSL));
        c->setProperty("service", s.IDUSL);
        m_checks.push_back(c);
        checks->addWidget(c, 1);
    }
    m_serviceChecks->hide();

    m_payment = new PaymentPanel(m_app, m_prompter);
    m_payment->hide();
    connect(m_payment, &PaymentPanel::backToSelection, this, [this] {
        showPanel(false);
        m_account->setFocus();
    });
    m_correction = new CorrectionPanel(m_app, m_prompter, m_date);
    m_correction->hide();

    m_notePanel = new QWidget;
    auto* note = new QHBoxLayout(m_notePanel);
    note->setContentsMargins(0, 0, 0, 0);
    note->addWidget(new QLabel(QStringLiteral("Примечание :")));
    m_note = Controls::edit("NoteEdit");
    note->addWidget(m_note, 1);
    m_notePanel->hide();

    m_buttons = new QWidget;
    auto* buttons = new QHBoxLayout(m_buttons);
    buttons->setContentsMargins(0, 4, 0, 0);
    m_save = new QPushButton(QStringLiteral("Начисление"));
    m_save->setObjectName(QStringLiteral("SaveButton"));
    m_close = new QPushButton(QStringLiteral("Закрыть"));
    m_close->setObjectName(QStringLiteral("CloseButton"));
    for (QPushButton* b : {m_save, m_close})
        b->setAutoDefault(false);
    buttons->addStretch();
    buttons->addWidget(m_save);
    buttons->addWidget(m_close);
    m_buttons->hide();
    connect(m_save, &QPushButton::clicked, this, &DocumentWindow::save);
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
}

std::optional<DocType> DocumentWindow::documentType() const {
    if (!documentMode())
        return std::nullopt;
    for (DocType t : {DocType::Charge, DocType::Correction, DocType::Payment})
        if (m_typeLabel->text() == DocCaption::header(t))
            return t;
    return std::nullopt;
}

void DocumentWindow::showPanel(bool shown) {
    const auto type = documentType();
    QWidget* panel = type == DocType::Payment      ? static_cast<QWidget*>(m_payment)
                     : type == DocType::Correction ? m_correction
                                                   : nullptr;
    m_payment->setVisible(shown && panel == m_payment);
    m_correction->setVisible(shown && panel == m_correction);
    // the panel lies over the criteria and the grid
    const bool covered = shown && panel;
    m_criteriaPanel->setVisible(!covered);
    m_grid->setVisible(!covered);
}

void DocumentWindow::layOutDocument(DocType type) {
    m_typeLabel->setText(DocCaption::header(type));
    m_save->setText(DocCaption::save(type));
    m_payment->hide();
    m_correction->hide();
    m_criteriaPanel->show();
    openMode(SelectionCaption::Document, true, false, true, QSize(std::max(width(), 588), 535));
}

void DocumentWindow::newDocument(DocType type) {
    if (!m_app.connected())
        return;
    NewDocument offered;
    if (!succeeded(m_prompter, [&] { offered = ::newDocument(m_app.db(), type); }))
        return;
    m_storedLoaded = false;
    if (type == DocType::Correction)
        m_correction->reset();
    if (type == DocType::Payment)
        m_payment->reset();
    m_number->setText(QString::number(offered.number));
    m_date->setDate(QDate::currentDate());
    m_docId = offered.id;
    m_note->clear();
    layOutDocument(type);
}

void DocumentWindow::openForSubscriber(DocType type, const QString& account, const QString& note) {
    newDocument(type);
    if (documentType() != type)
        return;
    m_account->setText(account);
    select();
    if (m_gridModel->rowCount() > 0) {
        m_grid->selectRow(0);
        addLineFromGrid();
    }
    if (!note.isEmpty())
        m_note->setText(note);
}

void DocumentWindow::loadDocument(int docId) {
    if (!m_app.connected())
        return;
    DocType t = DocType::Charge;
    if (!succeeded(m_prompter, [&] { t = storedDocumentType(m_app.db(), docId); }))
        return;
    DocumentHeader header;
    QString listSql;
    std::vector<int> services;
    bool ok = false;
    if (t == DocType::Charge) {
        StoredCharge c;
        ok = succeeded(m_prompter, [&] { c = loadCharge(m_app, docId); });
        header = c.header;
        listSql = c.ListSql;
        services = c.services;
    } else if (t == DocType::Correction) {
        StoredCorrection c;
        ok = succeeded(m_prompter, [&] { c = loadCorrection(m_app, docId); });
        header = c.header;
        listSql = c.ListSql;
        if (ok)
            m_correction->load(c.lines, c.service);
    } else {
        StoredPayment p;
        ok = succeeded(m_prompter, [&] {
            p = loadPayment(m_app, docId);
            m_payment->setMethods(paymentMethods(m_app.db()));
        });
        header = p.header;
        listSql = p.ListSql;
        if (ok)
            m_payment->load(p.lines);
    }
    if (!ok)
        return;
    m_number->setText(header.number);
    m_date->setDate(header.date);
    m_docId = docId;
    m_note->setText(header.note);
    m_storedLoaded = true;
    layOutDocument(t);
    setGridSql(listSql);
    for (QCheckBox* c : m_checks)
        c->setChecked(std::find(services.begin(), services.end(), c->property("service").toInt()) !=
                      services.end());
    if (t != DocType::Charge)
        showPanel(true);
}

std::vector<int> DocumentWindow::tickedServices() const {
    std::vector<int> out;
    for (QCheckBox* c : m_checks)
        if (c->isChecked())
            out.push_back(c->property("service").toInt());
    return out;
}

void DocumentWindow::addLineFromGrid() {
    const auto type = documentType();
    if (!type || *type == DocType::Charge || !m_gridOpen || m_gridModel->rowCount() == 0)
        return;
    const int row = std::max(0, m_grid->currentIndex().row());
    const ResultSet& rows = m_gridModel->rows();
    const auto text = [&](const char16_t* column) {
        const int c = rows.columnIndex(QStringView(column));
        return c >= 0 ? rows.at(row, c).toText() : QString();
    };
    const int idc = text(u"IDC").toInt();
    QString address;
    if (!succeeded(m_prompter, [&] { address = composedAddress(m_app.db(), idc); }))
        return;
    if (*type == DocType::Payment) {
        PaymentLine l;
        l.subscriber = idc;
        l.name = text(u"Фамилия_Имя_Отчество");
        l.account = text(u"Лицевой_счет");
        l.address = address;
        showPanel(true);
        m_payment->addLine(l);
    } else {
        CorrectionLine l;
        l.subscriber = idc;
        l.name = text(u"Фамилия_Имя_Отчество");
        l.account = text(u"Лицевой_счет");
        l.address = address;
        l.residents = text(u"KOL").toLongLong();
        showPanel(true);
        m_correction->addLine(l);
    }
}

void DocumentWindow::save() {
    const auto type = documentType();
    if (!type)
        return;
    DocumentHeader h;
    h.id = m_docId;
    h.stored = m_storedLoaded;
    h.number = m_number->text();
    h.date = m_date->date();
    h.note = m_note->text();
    SaveResult r;
    CaptionProgress progress(this);
    const QString caption = windowTitle();
    const bool ran = succeeded(m_prompter, [&] {
        switch (*type) {
        case DocType::Charge: {
            ChargeInput input{h, {}, tickedServices()};
            if (m_gridOpen)
                input.rows = documentRows(m_gridModel->rows());
            r = charge(m_app, input, &progress);
            break;
        }
        case DocType::Correction:
            r = correct(m_app, {h, m_correction->service(), m_correction->lines()});
            break;
        case DocType::Payment:
            r = pay(m_app, {h, m_payment->lines()});
            break;
        }
    });
    setWindowTitle(caption);
    if (!ran)
        return; // nothing was written; the window keeps what was typed
    if (!r.ok()) {
        if (r.warning)
            m_prompter.warn(r.refusal);
        else
            m_prompter.notify(r.refusal);
        return;
    }
    if (r.docId == 0)
        return; // a payment without lines: nothing happens
    m_docId = r.docId;
    if (r.renumbered)
        m_prompter.notify(DocText::renumbered(h.number.toInt(), r.number));
    if (*type == DocType::Payment && paymentAsksRecalc(m_app, h) &&
        m_prompter.ask(QStringLiteral("ВНИМАНИЕ!!!"), DocText::RecalcQuestion)) {
        succeeded(m_prompter, [&] { recalcPayers(m_app, m_payment->lines(), &progress); });
        setWindowTitle(caption);
    }
    close();
}
