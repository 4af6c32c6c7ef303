#include "ui/card/benefitwindow.h"

#include "app/clients.h"
#include "common/dates.h"
#include "db/dberror.h"
#include "db/journal.h"
#include "ui/card/cardwindow.h"
#include "ui/common/controls.h"
#include "ui/common/failures.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using Controls::edit;

BenefitWindow::BenefitWindow(AppContext& app, Prompter& prompter, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint), m_app(app), m_prompter(prompter),
      m_name(edit("HolderName")), m_persons(edit("HolderPersons")), m_basis(edit("HolderBasis")),
      m_series(edit("DocSeries")), m_number(edit("DocNumber")), m_issuer(edit("DocIssuer")),
      m_kindBox(new QComboBox), m_percent(new QLabel),
      m_endLabel(new QLabel(QStringLiteral("Конец действия"))),
      m_docDate(Controls::datePicker("DocDate")), m_start(Controls::datePicker("StartDate")),
      m_end(Controls::datePicker("EndDate")),
      m_unlimited(new QCheckBox(QStringLiteral("Бессрочная льгота"))),
      m_ignoreEnd(new QCheckBox(QStringLiteral("Не реагировать на конечную дату"))) {
    setObjectName(QStringLiteral("TForm5"));
    setWindowTitle(QStringLiteral("Льготник"));
    m_kindBox->setObjectName(QStringLiteral("KindBox"));
    m_percent->setObjectName(QStringLiteral("PercentLabel"));
    m_unlimited->setObjectName(QStringLiteral("UnlimitedBox"));
    m_ignoreEnd->setObjectName(QStringLiteral("IgnoreEndBox"));
    m_unlimited->setChecked(true);
    m_end->hide();
    m_endLabel->hide();
    connect(m_unlimited, &QCheckBox::toggled, this, [this](bool on) {
        m_end->setVisible(!on);
        m_endLabel->setVisible(!on);
    });
    connect(m_kindBox, &QComboBox::activated, this, &BenefitWindow::kindChosen);

    auto* g = new QGridLayout;
    g->addWidget(new QLabel(QStringLiteral("Фамилия Имя Отчество")), 0, 0);
    g->addWidget(m_name, 0, 1, 1, 3);
    g->addWidget(new QLabel(QStringLiteral("Вид льготы :")), 1, 0);
    g->addWidget(m_kindBox, 1, 1, 1, 3);
    g->addWidget(new QLabel(QStringLiteral("Процент :")), 2, 0);
    g->addWidget(m_percent, 2, 1);
    g->addWidget(new QLabel(QStringLiteral("Льготных человек")), 2, 2);
    g->addWidget(m_persons, 2, 3);
    g->addWidget(new QLabel(QStringLiteral("Обоснавание льготы:")), 3, 0);
    g->addWidget(m_basis, 3, 1, 1, 3);

    auto* doc = new QGroupBox(QStringLiteral("Документ, подтверждающий льготу :"));
    auto* d = new QGridLayout(doc);
    d->addWidget(new QLabel(QStringLiteral("серия")), 0, 0);
    d->addWidget(m_series, 0, 1);
    d->addWidget(new QLabel(QStringLiteral("номер")), 0, 2);
    d->addWidget(m_number, 0, 3);
    d->addWidget(new QLabel(QStringLiteral("кем выдан")), 1, 0);
    d->addWidget(m_issuer, 1, 1, 1, 3);
    d->addWidget(new QLabel(QStringLiteral("дата выдачи")), 2, 0);
    d->addWidget(m_docDate, 2, 1);

    auto* dates = new QGridLayout;
    dates->addWidget(new QLabel(QStringLiteral("Начало действия")), 0, 0);
    dates->addWidget(m_start, 0, 1);
    dates->addWidget(m_endLabel, 0, 2);
    dates->addWidget(m_end, 0, 3);
    dates->addWidget(m_unlimited, 1, 0, 1, 2);
    dates->addWidget(m_ignoreEnd, 1, 2, 1, 2);

    auto* ok = new QPushButton(QStringLiteral("О К"));
    ok->setObjectName(QStringLiteral("HolderOk"));
    auto* cancel = new QPushButton(QStringLiteral("Отмена"));
    cancel->setObjectName(QStringLiteral("HolderCancel"));
    connect(ok, &QPushButton::clicked, this, &BenefitWindow::ok);
    connect(cancel, &QPushButton::clicked, this, &QWidget::close);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(g);
    layout->addWidget(doc);
    layout->addLayout(dates);
    layout->addLayout(buttons);
    resize(460, 330);
}

void BenefitWindow::openNew() {
    for (QLineEdit* e : {m_name, m_persons, m_basis, m_series, m_number, m_issuer})
        e->clear();
    m_percent->clear();
    m_docDate->setDate(today);
    m_start->setDate(today);
    m_end->setDate(today);
    m_unlimited->setChecked(true);
    m_ignoreEnd->setChecked(false);
    m_kind = 0;
    m_idl.reset();
    succeeded(m_prompter, [&] {
        m_app.journal().HistZap(QStringLiteral("Lgoty"), JournalText::newHolderStarted(),
                                m_app.selection.CurrentClientId, 0);
    });
    show();
    raise();
    activateWindow();
}

void BenefitWindow::openCorrection(int idl) {
    std::optional<Benefits::Holder> h;
    if (!succeeded(m_prompter, [&] { h = Benefits::load(m_app, idl, today); }))
        return;
    if (!h)
        return;
    m_name->setText(h->FIO_LG);
    m_persons->setText(h->KOL_LG);
    m_basis->setText(h->OBOSN);
    m_series->setText(h->DOK_S);
    m_number->setText(h->DOK_N);
    m_issuer->setText(h->DOK_K);
    m_start->setDate(h->DATA_NACH);
    m_docDate->setDate(h->DOK_D);
    m_end->setDate(h->DATA_OKON);
    m_unlimited->setChecked(h->unlimited);
    m_end->setVisible(!h->unlimited);
    m_endLabel->setVisible(!h->unlimited);
    m_ignoreEnd->setChecked(h->ignoreEnd);
    m_kind = h->kind;
    m_idl = idl;
    show();
    raise();
    activateWindow();
}

void BenefitWindow::showEvent(QShowEvent* event) {
    if (!m_placed && parentWidget()) { // first opened in the middle of the program's window
        m_placed = true;
        Controls::centreOver(this, parentWidget());
    }
    m_kindBox->clear();
    m_kinds.clear();
    int position = -1;
    QString percent;
    succeeded(m_prompter, [&] { m_kinds = Benefits::kinds(m_app); });
    for (size_t i = 0; i < m_kinds.size(); ++i) {
        m_kindBox->addItem(m_kinds[i].NAME);
        if (m_kinds[i].IDLG == m_kind && position < 0) {
            position = int(i);
            percent = m_kinds[i].PROC.toText();
        }
    }
    m_kindBox->setCurrentIndex(position);
    m_percent->setText(percent + QStringLiteral(" %"));
    QWidget::showEvent(event);
}

void BenefitWindow::kindChosen(int index) {
    if (index < 0 || size_t(index) >= m_kinds.size())
        return;
    const Benefits::Kind& k = m_kinds[size_t(index)];
    m_kind = k.IDLG;
    if (k.TIPLG == 1) {
        m_persons->setText(QStringLiteral("1"));
    } else if (k.TIPLG == 2) {
        // the subscriber's stored residents
        succeeded(m_prompter, [&] {
            m_persons->setText(
                QString::number(Clients::residents(m_app, m_app.selection.CurrentClientId)));
        });
    }
    m_percent->setText(k.PROC.toText() + QStringLiteral(" %"));
}

Benefits::Holder BenefitWindow::fields() const {
    Benefits::Holder h;
    h.kind = m_kind;
    const int i = m_kindBox->currentIndex();
    if (i >= 0 && size_t(i) < m_kinds.size())
        h.percent = m_kinds[size_t(i)].PROC;
    h.FIO_LG = m_name->text();
    h.KOL_LG = m_persons->text().trimmed();
    h.OBOSN = m_basis->text();
    h.DOK_S = m_series->text();
    h.DOK_N = m_number->text();
    h.DOK_K = m_issuer->text();
    h.DOK_D = m_docDate->date();
    h.DATA_NACH = m_start->date();
    h.DATA_OKON = m_end->date();
    h.unlimited = m_unlimited->isChecked();
    h.ignoreEnd = m_ignoreEnd->isChecked();
    return h;
}

void BenefitWindow::ok() {
    const Benefits::Holder h = fields();
    if (h.kind == 0 || m_kindBox->currentIndex() < 0) {
        m_prompter.notify(QStringLiteral("Вы не указали льготу!!!"));
        return;
    }
    Benefits::Saved saved;
    if (!succeeded(m_prompter, [&] {
            saved = Benefits::save(m_app, m_app.selection.CurrentClientId, h, m_idl, today);
        }))
        return; // the window stays open with what was typed
    if (!saved.refusal.isEmpty()) {
        m_prompter.notify(saved.refusal);
        return;
    }
    close(); // the card hears of the new holder from the core
}
