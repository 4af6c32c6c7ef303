#include "ui/documents/documentwindow.h"

#include "db/dberror.h"
#include "db/query.h"
#include "ui/common/controls.h"
#include "ui/common/failures.h"
#include "ui/common/resultsetmodel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
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

    QAction* fresh = m_selectionMenu->addAction(QStringLiteral("Новая выборка"), this,
                                                [this] { setGridSql(m_selection.ListSql); });
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
    layout->addWidget(m_criteriaPanel);
    layout->addWidget(m_grid, 1);
    layout->addStretch(0); // takes the height while the grid is hidden

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
    QWidget::showEvent(event);
}

void DocumentWindow::openPlainSelection() {
    openMode(SelectionCaption::Plain, false, true, false, QSize(588, 242));
}

void DocumentWindow::openMassSelection() {
    openMode(SelectionCaption::Plain, false, false, false, QSize(588, 240));
    if (parentWidget()) // above the processing panel, which stands in the middle
        move(x(), parentWidget()->frameGeometry().top() + 90);
}

void DocumentWindow::openDocumentMode() {
    openMode(SelectionCaption::Document, true, true, true, QSize(std::max(width(), 588), 535));
}

void DocumentWindow::openMode(const QString& caption, bool headerStrip, bool areaStrip, bool grid,
                              QSize size) {
    m_headerStrip->setVisible(headerStrip);
    m_areaStrip->setVisible(areaStrip);
    m_grid->setVisible(grid);
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
