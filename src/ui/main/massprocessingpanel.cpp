#include "ui/main/massprocessingpanel.h"

#include "app/clients.h"
#include "db/dberror.h"
#include "ui/common/addressboxes.h"
#include "ui/common/controls.h"
#include "ui/common/failures.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>

namespace {
constexpr int PanelWidth = 430;

class BarProgress : public Progress {
public:
    explicit BarProgress(QProgressBar* bar) : m_bar(bar) {}
    void processEvents() override { QApplication::processEvents(); }
    void setValue(int value, int maximum) override {
        m_bar->setMaximum(maximum);
        m_bar->setValue(value);
    }

private:
    QProgressBar* m_bar;
};
} // namespace

MassProcessingPanel::MassProcessingPanel(AppContext& app, Prompter& prompter,
                                         SelectedClients& selection, QWidget* parent)
    : QFrame(parent), m_app(app), m_prompter(prompter), m_selection(selection),
      m_kind(new QComboBox), m_service(new QComboBox), m_second(new QComboBox),
      m_tariff(new QLineEdit), m_house(new QLineEdit), m_building(new QLineEdit),
      m_addressGroup(new QGroupBox(QStringLiteral("Адресные данные"))),
      m_address(new AddressBoxes(app, prompter, AddressListForm::MassProcessing, this)),
      m_progress(new QProgressBar), m_buttons(new QWidget) {
    setObjectName(QStringLiteral("MassPanel"));
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);
    m_kind->setObjectName(QStringLiteral("MassKindBox"));
    m_service->setObjectName(QStringLiteral("MassServiceBox"));
    m_second->setObjectName(QStringLiteral("MassSecondBox"));
    m_tariff->setObjectName(QStringLiteral("MassTariffEdit"));
    Controls::DecimalCommaKeys::install(m_tariff);
    m_house->setObjectName(QStringLiteral("MassHouseEdit"));
    m_building->setObjectName(QStringLiteral("MassBuildingEdit"));
    m_progress->setObjectName(QStringLiteral("MassProgress"));
    m_kind->addItems(
        {QStringLiteral("Изменить тариф"), QStringLiteral("Включить/исключить из начисления"),
         QStringLiteral("Изменить участок (контролера)"), QStringLiteral("Изменить адрес")});
    m_service->setPlaceholderText(QStringLiteral("Выберите услугу"));
    m_tariff->setPlaceholderText(QStringLiteral("Новый тариф"));
    m_address->setNames({"MassRegionBox", "MassCityBox", "MassDistrictBox", "MassSettlementBox",
                         "MassStreetBox", "MassAreaBox"},
                        {"MassRegionClear", "MassCityClear", "MassDistrictClear",
                         "MassSettlementClear", "MassStreetClear", "MassAreaClear"});
    connect(m_kind, &QComboBox::activated, this, &MassProcessingPanel::kindChosen);
    connect(m_address, &AddressBoxes::chosen, this,
            [this](AddressLevel level, int) { m_address->cascadeChoice(level); });

    auto* g = new QGridLayout(m_addressGroup);
    const char* captions[] = {"Регион", "Город", "Район", "Нас. пункт", "Улица"};
    for (int i = 0; i < 5; ++i) {
        m_address->clearButton(AddressLevel(i))->hide(); // the panel's lists have none
        g->addWidget(new QLabel(QString::fromUtf8(captions[i])), i, 0);
        g->addWidget(m_address->box(AddressLevel(i)), i, 1, 1, 3);
    }
    g->addWidget(new QLabel(QStringLiteral("Дом")), 5, 0);
    g->addWidget(m_house, 5, 1);
    g->addWidget(new QLabel(QStringLiteral("Корпус")), 5, 2);
    g->addWidget(m_building, 5, 3);

    // the areas are only read, for the area kind's list
    m_address->box(AddressLevel::Area)->hide();
    m_address->clearButton(AddressLevel::Area)->hide();

    auto* ok = new QPushButton(QStringLiteral("О К"));
    ok->setObjectName(QStringLiteral("MassOk"));
    auto* cancelButton = new QPushButton(QStringLiteral("Отмена"));
    cancelButton->setObjectName(QStringLiteral("MassCancel"));
    connect(ok, &QPushButton::clicked, this, &MassProcessingPanel::ok);
    connect(cancelButton, &QPushButton::clicked, this, &MassProcessingPanel::cancel);
    auto* b = new QHBoxLayout(m_buttons);
    b->setContentsMargins(0, 0, 0, 0);
    b->addWidget(m_progress, 1);
    b->addWidget(ok);
    b->addWidget(cancelButton);

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Выберите обработку")), 0, 0);
    layout->addWidget(m_kind, 0, 1);
    layout->addWidget(m_tariff, 1, 0);
    layout->addWidget(m_service, 1, 1);
    layout->addWidget(m_second, 2, 0, 1, 2);
    layout->addWidget(m_addressGroup, 3, 0, 1, 2);
    layout->setRowStretch(4, 1);
    layout->addWidget(m_buttons, 5, 0, 1, 2);
    hide();
}

void MassProcessingPanel::place(int height, int buttonsTop) {
    Q_UNUSED(buttonsTop); // the layout keeps the buttons at the bottom
    QWidget* main = parentWidget();
    resize(PanelWidth, height);
    move((main->width() - PanelWidth) / 2 + 5, (main->height() - height) / 2 - 10);
}

void MassProcessingPanel::hideKinds() {
    m_tariff->hide();
    m_service->hide();
    m_second->hide();
    m_addressGroup->hide();
}

void MassProcessingPanel::open() {
    // the areas, as the card lists them
    m_address->fill(AddressLevel::Area);
    m_tariff->clear();
    m_house->clear();
    m_building->clear();
    m_kind->setCurrentIndex(-1);
    m_progress->setValue(0);
    m_progress->hide();
    hideKinds();
    place(180, 136);
    show();
    raise();
}

void MassProcessingPanel::kindChosen(int kind) {
    hideKinds();
    place(180, 136);
    switch (Clients::MassKind(kind)) {
    case Clients::MassKind::Tariff:
        m_tariff->show();
        m_service->clear();
        for (const TVidUslugi& s : m_app.state.ShownServices)
            m_service->addItem(s.NAME);
        m_service->setCurrentIndex(-1);
        m_service->show();
        break;
    case Clients::MassKind::Inclusion:
        m_second->clear();
        m_second->addItems({QStringLiteral("Включить"), QStringLiteral("Исключить")});
        m_second->setCurrentIndex(0);
        m_second->show();
        break;
    case Clients::MassKind::Area: {
        m_second->clear();
        QComboBox* areas = m_address->box(AddressLevel::Area);
        for (int i = 0; i < areas->count(); ++i)
            m_second->addItem(areas->itemText(i));
        m_second->setCurrentIndex(-1);
        m_second->show();
        break;
    }
    case Clients::MassKind::Address:
        place(280, 236);
        m_addressGroup->show();
        m_address->ids = {};
        m_address->fill({AddressLevel::Region, AddressLevel::City, AddressLevel::District,
                         AddressLevel::Settlement, AddressLevel::Street});
        break;
    }
}

void MassProcessingPanel::ok() {
    const int kind = m_kind->currentIndex();
    if (kind < 0)
        return; // no kind chosen: nothing changes, the panel stays
    Clients::MassChange change;
    change.kind = Clients::MassKind(kind);
    if (m_service->currentIndex() >= 0)
        change.service = m_service->currentIndex();
    change.tariff = m_tariff->text().trimmed();
    change.exclude = m_second->currentIndex() == 1;
    if (change.kind == Clients::MassKind::Area) {
        // the area at the chosen position of the area list, never a typed text
        const int i = m_second->currentIndex();
        QComboBox* areas = m_address->box(AddressLevel::Area);
        if (i >= 0 && i < areas->count()) {
            areas->setCurrentIndex(i);
            change.area = m_address->chosenId(AddressLevel::Area);
        }
    }
    const AddressIds& ids = m_address->ids;
    change.RG = ids.region;
    change.GD = ids.city;
    change.RN = ids.district;
    change.NP = ids.settlement;
    change.ST = ids.street;
    change.house = m_house->text();
    change.building = m_building->text();
    const std::vector<int> clients = m_selection.selectedClientIds();
    if (clients.empty()) {
        m_prompter.notify(QStringLiteral("Не выбрано ни одного абонента. Выберите абонентов в окне "
                                         "«Отбор абонентов» (F3), затем нажмите «О К»."));
        return;
    }
    m_progress->show();
    BarProgress progress(m_progress);
    QString refusal;
    if (!succeeded(m_prompter,
                   [&] { refusal = Clients::massProcess(m_app, clients, change, &progress); }))
        return;
    if (!refusal.isEmpty()) {
        m_prompter.notify(refusal);
        return;
    }
    hide();
    hideKinds();
    // the list reopened when the core announced the change; a new address may take
    // subscribers into the selection or out of it, so that one selects again
    if (change.kind == Clients::MassKind::Address)
        emit addressesChanged();
}

void MassProcessingPanel::cancel() {
    hide();
    hideKinds();
}
