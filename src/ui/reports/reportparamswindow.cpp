#include "ui/reports/reportparamswindow.h"

#include "ui/common/controls.h"
#include "ui/common/failures.h"
#include "ui/documents/documentwindow.h"
#include "ui/reports/reportwindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

const QString Title = u"Параметры отчёта"_s;
const QString Filtered = u"  (Произведена фильтрация абонентов)"_s;

QCheckBox* check(const QString& text, const char* name) {
    auto* c = new QCheckBox(text);
    c->setObjectName(QString::fromLatin1(name));
    return c;
}

QComboBox* combo(const char* name) {
    auto* c = new QComboBox;
    c->setObjectName(QString::fromLatin1(name));
    c->setMinimumWidth(160);
    return c;
}

} // namespace

ReportParamsWindow::ReportParamsWindow(AppContext& app, Prompter& prompter, ReportWindow& report,
                                       DocumentWindow& documents, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint), m_app(app), m_prompter(prompter),
      m_report(report), m_documents(documents) {
    setObjectName(u"TForm8"_s);
    setWindowTitle(Title);
    m_day = dayPanel();
    m_period = periodPanel();
    m_charge = chargePanel();
    auto* ok = new QPushButton(u"О К"_s);
    ok->setObjectName(u"OkButton"_s);
    auto* cancel = new QPushButton(u"Отмена"_s);
    cancel->setObjectName(u"CancelButton"_s);
    connect(ok, &QPushButton::clicked, this, &ReportParamsWindow::run);
    connect(cancel, &QPushButton::clicked, this, &QWidget::close);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    for (QWidget* w : {m_day, m_period, m_charge})
        layout->addWidget(w);
    layout->addStretch();
    layout->addLayout(buttons);
    // the selection sets the filter of the registers
    connect(&m_documents, &DocumentWindow::reportFilterChosen, this, [this] {
        if (isVisible() && !windowTitle().endsWith(Filtered))
            setWindowTitle(windowTitle() + Filtered);
    });
    if (m_app.connected())
        succeeded(m_prompter, [&] { m_methods = registerMethods(m_app.db()); });
    fillMethods(m_dayMethod);
    fillMethods(m_periodMethod);
}

QWidget* ReportParamsWindow::dayPanel() {
    auto* panel = new QWidget;
    panel->setObjectName(u"DayPanel"_s);
    m_dayPicker = Controls::datePicker("DayPicker");
    m_dayMethod = combo("DayMethodBox");
    m_dayDocument = combo("DayDocumentBox");
    m_dayAllMethods = check(u"Все способы оплаты"_s, "DayAllMethods");
    m_dayAllDocuments = check(u"Все документы этого дня"_s, "DayAllDocuments");
    auto* g = new QGridLayout(panel);
    g->addWidget(new QLabel(u"Выберите день :"_s), 0, 0);
    g->addWidget(m_dayPicker, 0, 1);
    auto* methods = new QGroupBox;
    auto* ml = new QVBoxLayout(methods);
    ml->addWidget(new QLabel(u"Способ оплаты"_s));
    ml->addWidget(m_dayMethod);
    ml->addWidget(m_dayAllMethods);
    auto* docs = new QGroupBox;
    auto* dl = new QVBoxLayout(docs);
    dl->addWidget(new QLabel(u"Номер документа"_s));
    dl->addWidget(m_dayDocument);
    dl->addWidget(m_dayAllDocuments);
    g->addWidget(methods, 1, 0);
    g->addWidget(docs, 1, 1);
    connect(m_dayPicker, &QDateEdit::dateChanged, this, [this] { fillDocuments(); });
    return panel;
}

QWidget* ReportParamsWindow::periodPanel() {
    auto* panel = new QWidget;
    panel->setObjectName(u"PeriodPanel"_s);
    m_from = Controls::datePicker("FromPicker");
    m_to = Controls::datePicker("ToPicker");
    m_periodMethod = combo("PeriodMethodBox");
    m_periodAllMethods = check(u"Все способы оплаты"_s, "PeriodAllMethods");
    m_byName = check(u"Показать абонентов"_s, "ByNameCheck");
    auto* filter = new QPushButton(u"Фильтр абонентов"_s);
    filter->setObjectName(u"PaymentFilterButton"_s);
    connect(filter, &QPushButton::clicked, this,
            [this] { m_documents.openRegisterSelection(true); });
    auto* g = new QGridLayout(panel);
    auto* heading = new QLabel(u"Реестр платежей"_s);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    g->addWidget(heading, 0, 0, 1, 4);
    g->addWidget(new QLabel(u"Укажите временной промежуток"_s), 1, 0, 1, 4);
    g->addWidget(new QLabel(u"с"_s), 2, 0);
    g->addWidget(m_from, 2, 1);
    g->addWidget(new QLabel(u"по"_s), 2, 2);
    g->addWidget(m_to, 2, 3);
    g->addWidget(new QLabel(u"Способ оплаты"_s), 3, 0, 1, 2);
    g->addWidget(m_periodMethod, 3, 2, 1, 2);
    g->addWidget(m_periodAllMethods, 4, 2, 1, 2);
    g->addWidget(m_byName, 5, 0, 1, 2);
    g->addWidget(filter, 5, 2, 1, 2);
    return panel;
}

QWidget* ReportParamsWindow::chargePanel() {
    auto* panel = new QWidget;
    panel->setObjectName(u"ChargePanel"_s);
    m_periodText = new QLabel;
    m_periodText->setObjectName(u"ChargePeriodLabel"_s);
    QFont bold = m_periodText->font();
    bold.setBold(true);
    m_periodText->setFont(bold);
    auto* back = new QToolButton;
    back->setObjectName(u"PeriodBack"_s);
    back->setArrowType(Qt::LeftArrow);
    auto* forward = new QToolButton;
    forward->setObjectName(u"PeriodForward"_s);
    forward->setArrowType(Qt::RightArrow);
    connect(back, &QToolButton::clicked, this, [this] { stepPeriod(-1); });
    connect(forward, &QToolButton::clicked, this, [this] { stepPeriod(1); });
    m_bySubscriber = check(u"Поабонентный перечень"_s, "BySubscriberCheck");
    m_bySettlement = new QRadioButton(u"В разрезе населенных пунктов"_s);
    m_bySettlement->setObjectName(u"BySettlementRadio"_s);
    m_byStreet = new QRadioButton(u"В разрезе улиц"_s);
    m_byStreet->setObjectName(u"ByStreetRadio"_s);
    m_chargeFilter = new QPushButton(u"Фильтр абонентов"_s);
    m_chargeFilter->setObjectName(u"ChargeFilterButton"_s);
    m_chargeFilter->hide();
    connect(m_chargeFilter, &QPushButton::clicked, this, [this] {
        m_app.selection.ReportClientFilter.clear();
        m_documents.openRegisterSelection(false);
    });
    connect(m_bySubscriber, &QCheckBox::toggled, this, [this](bool on) {
        m_bySettlement->setEnabled(!on);
        m_byStreet->setEnabled(!on);
        m_chargeFilter->setVisible(on);
    });
    auto* g = new QGridLayout(panel);
    auto* heading = new QLabel(u"Реестр начислений"_s);
    heading->setFont(bold);
    g->addWidget(heading, 0, 0, 1, 4);
    g->addWidget(new QLabel(u"Укажите период:"_s), 1, 0);
    g->addWidget(m_periodText, 1, 1);
    auto* steps = new QHBoxLayout;
    steps->setSpacing(0);
    steps->addWidget(back);
    steps->addWidget(forward);
    g->addLayout(steps, 1, 2);
    auto* group = new QGroupBox(u"Параметры отчета  "_s);
    auto* gl = new QVBoxLayout(group);
    gl->addWidget(m_bySubscriber);
    gl->addWidget(m_bySettlement);
    gl->addWidget(m_byStreet);
    gl->addWidget(m_chargeFilter);
    g->addWidget(group, 2, 0, 1, 4);
    return panel;
}

void ReportParamsWindow::fillMethods(QComboBox* box) {
    box->clear();
    for (const RegisterMethod& m : m_methods)
        box->addItem(m.name, m.code);
    box->setCurrentIndex(-1);
}

void ReportParamsWindow::fillDocuments() {
    m_dayDocument->clear();
    if (!m_app.connected())
        return;
    succeeded(m_prompter, [&] { m_dayDocuments = documentsOfDay(m_app, m_dayPicker->date()); });
    for (const DayDocument& d : m_dayDocuments)
        m_dayDocument->addItem(d.number, d.id);
    m_dayDocument->setCurrentIndex(-1);
}

void ReportParamsWindow::stepPeriod(int months) {
    if (auto p = Period::parse(m_periodText->text()))
        m_periodText->setText((months > 0 ? p->next() : p->prev()).toText());
}

void ReportParamsWindow::showEvent(QShowEvent* event) {
    setWindowTitle(Title);
    m_app.selection.ReportClientFilter.clear();
    for (QDateEdit* d : {m_dayPicker, m_from, m_to})
        d->setDate(QDate::currentDate());
    for (QCheckBox* c : {m_dayAllMethods, m_dayAllDocuments, m_periodAllMethods, m_byName})
        c->setChecked(false);
    fillDocuments();
    QWidget::showEvent(event);
}

void ReportParamsWindow::open(Mode mode) {
    // one panel at a time: a report chosen while another is shown replaces it
    m_mode = mode;
    m_day->setVisible(mode == Mode::DayRegister);
    m_period->setVisible(mode == Mode::PeriodRegister);
    m_charge->setVisible(mode == Mode::ChargeRegister);
    if (mode == Mode::ChargeRegister)
        m_periodText->setText(m_app.state.CurrentPeriod);
    adjustSize();
    if (!m_placed && parentWidget()) {
        m_placed = true;
        Controls::centreOver(this, parentWidget());
    }
    if (isVisible()) {
        setWindowTitle(Title);
        m_app.selection.ReportClientFilter.clear();
    }
    show();
    raise();
    activateWindow();
}

std::optional<int> ReportParamsWindow::methodOf(QComboBox* box, QCheckBox* all) const {
    if (box->currentIndex() < 0)
        all->setChecked(true);
    if (all->isChecked())
        return std::nullopt;
    return box->currentData().toInt();
}

void ReportParamsWindow::run() {
    if (!m_app.connected())
        return;
    ReportTable table;
    const QString filter = m_app.selection.ReportClientFilter;
    bool ran = false;
    switch (m_mode) {
    case Mode::DayRegister: {
        DayRegister p{m_dayPicker->date(), methodOf(m_dayMethod, m_dayAllMethods), {}, {}};
        if (m_dayDocument->currentIndex() < 0)
            m_dayAllDocuments->setChecked(true);
        if (!m_dayAllDocuments->isChecked()) {
            p.document = m_dayDocument->currentData().toInt();
            p.documentNumber = m_dayDocument->currentText();
        }
        ran = succeeded(m_prompter, [&] { fillDayRegister(m_app, table, p); });
        break;
    }
    case Mode::PeriodRegister:
        ran = succeeded(m_prompter, [&] {
            fillPeriodRegister(m_app, table,
                               {m_from->date(), m_to->date(),
                                methodOf(m_periodMethod, m_periodAllMethods), m_byName->isChecked(),
                                filter});
        });
        break;
    case Mode::ChargeRegister: {
        ChargeLayout layout = ChargeLayout::Subscriber;
        if (!m_bySubscriber->isChecked()) {
            if (m_bySettlement->isChecked())
                layout = ChargeLayout::Settlement;
            else if (m_byStreet->isChecked())
                layout = ChargeLayout::Street;
            else {
                m_prompter.notify(u"Выберите вид реестра: «Поабонентный перечень», «В разрезе "
                                  u"населенных пунктов» или «В разрезе улиц»."_s);
                return;
            }
        }
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ran = succeeded(m_prompter, [&] {
            fillChargeRegister(m_app, table,
                               {m_periodText->text(), layout,
                                layout == ChargeLayout::Subscriber ? filter : QString()});
        });
        QApplication::restoreOverrideCursor();
        break;
    }
    }
    if (ran) {
        m_report.showTable(table);
        m_report.raise(); // above this window, which stays open for the next register
        m_report.activateWindow();
    }
}
