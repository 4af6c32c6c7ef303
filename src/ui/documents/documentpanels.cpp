#include "ui/documents/documentpanels.h"

#include "ui/common/controls.h"

#include <QButtonGroup>
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
#include <QRadioButton>
#include <QStyle>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// A list of lines: a title row, whole rows chosen one at a time, 18 pixels a row; the name
// column takes the width the others leave.
QTableWidget* lineList(const char* name, const QStringList& titles, const std::vector<int>& widths,
                       int stretch) {
    auto* t = new QTableWidget(0, int(titles.size()));
    t->setObjectName(QString::fromLatin1(name));
    t->setHorizontalHeaderLabels(titles);
    t->verticalHeader()->hide();
    t->verticalHeader()->setDefaultSectionSize(18);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int c = 0; c < int(widths.size()); ++c) {
        if (widths[size_t(c)] == 0)
            t->setColumnHidden(c, true);
        else
            t->setColumnWidth(c, widths[size_t(c)]);
    }
    t->horizontalHeader()->setSectionResizeMode(stretch, QHeaderView::Stretch);
    return t;
}

void setCell(QTableWidget* t, int row, int column, const QString& text) {
    auto* item = t->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        t->setItem(row, column, item);
    }
    item->setText(text);
}

// Removes row k, renumbers the rows after it and makes a row near it current.
void removeRow(QTableWidget* t, int k) {
    t->removeRow(k);
    for (int r = k; r < t->rowCount(); ++r)
        setCell(t, r, 0, QString::number(r + 1));
    if (t->rowCount() > 0)
        t->setCurrentCell(std::min(k, t->rowCount() - 1), 1);
}

QComboBox* serviceBox(const AppContext& app, const char* name) {
    auto* box = new QComboBox;
    box->setObjectName(QString::fromLatin1(name));
    box->setPlaceholderText(u"Выберите услугу"_s);
    for (const TVidUslugi& s : app.state.ShownServices)
        box->addItem(s.NAME, s.IDUSL);
    box->setCurrentIndex(-1);
    return box;
}

void refillServices(const AppContext& app, QComboBox* box) {
    box->clear();
    for (const TVidUslugi& s : app.state.ShownServices)
        box->addItem(s.NAME, s.IDUSL);
    box->setCurrentIndex(-1);
}

QString shortName(const AppContext& app, int service) {
    const TVidUslugi* s = shownService(app, service);
    return s ? s->KRATKO : QString();
}

QToolButton* hintButton(const QString& hint, QStyle::StandardPixmap icon, const char* name,
                        QWidget* owner) {
    auto* b = new QToolButton;
    b->setObjectName(QString::fromLatin1(name));
    b->setIcon(owner->style()->standardIcon(icon));
    b->setToolTip(hint);
    b->setAccessibleName(hint);
    b->setAutoRaise(false);
    b->setIconSize(QSize(20, 20));
    return b;
}

} // namespace

LineLabels::LineLabels() : account(new QLabel), name(new QLabel), address(new QLabel) {
    clear();
}

void LineLabels::addTo(QBoxLayout* layout) const {
    for (QLabel* l : {account, name, address})
        layout->addWidget(l);
}

void LineLabels::clear() {
    account->setText(u"Л/С № "_s);
    name->setText(u"Абонент"_s);
    address->setText(u"Адрес"_s);
}

void LineLabels::show(const QString& accountText, const QString& nameText,
                      const QString& addressText, bool selected) {
    account->setText((selected ? u"Л/С №   "_s : u"Л/С №"_s) + accountText);
    name->setText((selected ? u"Абонент :  "_s : u"Абонент : "_s) + nameText);
    address->setText((selected ? u"Адрес :  "_s : u"Адрес : "_s) + addressText);
}

// --- payment ---

PaymentPanel::PaymentPanel(AppContext& app, Prompter& prompter, QWidget* parent)
    : QWidget(parent), m_app(app), m_prompter(prompter),
      m_list(lineList("PaymentList",
                      {QString(), u"Л/С"_s, u"ФИО"_s, u"Сумма"_s, u"Способ"_s, u"Услуга"_s,
                       u"Квитанция"_s, QString()},
                      {25, 50, 100, 60, 50, 70, 50, 0}, 2)),
      m_total(new QLabel(u"0.00"_s)), m_amount(Controls::edit("AmountEdit")),
      m_receipt(Controls::edit("ReceiptEdit")), m_method(new QComboBox),
      m_service(serviceBox(app, "PaymentServiceBox")) {
    setObjectName(u"PaymentPanel"_s);
    m_method->setObjectName(u"MethodBox"_s);
    m_total->setObjectName(u"TotalLabel"_s);
    QFont bold = m_total->font();
    bold.setBold(true);
    m_total->setFont(bold);
    m_receipt->setMaxLength(ReceiptLength);
    Controls::DecimalCommaKeys::install(m_amount);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(new QLabel(u"Перечень внесенных абонентов :"_s));
    layout->addWidget(m_list, 1);
    m_labels.addTo(layout);
    auto* boxes = new QHBoxLayout;
    boxes->addWidget(new QLabel(u"Сумма :"_s));
    boxes->addWidget(m_amount);
    boxes->addWidget(new QLabel(u"Способ оплаты"_s));
    boxes->addWidget(m_method, 1);
    boxes->addWidget(new QLabel(u"№ квитанции"_s));
    boxes->addWidget(m_receipt);
    layout->addLayout(boxes);
    auto* commands = new QHBoxLayout;
    commands->addWidget(m_service, 1);
    QToolButton* enterButton =
        hintButton(u"Внести"_s, QStyle::SP_DialogApplyButton, "EnterButton", this);
    QToolButton* enterNewButton =
        hintButton(u"Внести + новый"_s, QStyle::SP_FileDialogNewFolder, "EnterNewButton", this);
    QToolButton* removeButton =
        hintButton(u"Убрать"_s, QStyle::SP_DialogDiscardButton, "RemoveLineButton", this);
    commands->addWidget(enterButton);
    commands->addWidget(enterNewButton);
    commands->addWidget(removeButton);
    commands->addSpacing(12);
    auto* all = new QLabel(u"ВСЕГО:"_s);
    all->setFont(bold);
    commands->addWidget(all);
    commands->addWidget(m_total);
    layout->addLayout(commands);

    connect(enterButton, &QToolButton::clicked, this, [this] { enter(); });
    // the next subscriber is picked once this line is entered
    connect(enterNewButton, &QToolButton::clicked, this, [this] {
        if (enter())
            emit backToSelection();
    });
    connect(removeButton, &QToolButton::clicked, this, &PaymentPanel::removeCurrent);
    connect(m_list, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int previous, int) {
                if (row >= 0 && row != previous)
                    showLine(row);
            });
    m_amount->installEventFilter(this);
    m_method->installEventFilter(this);
}

void PaymentPanel::reset() {
    m_lines.clear();
    m_list->setRowCount(0);
    m_amount->clear();
    m_receipt->clear();
    m_method->setCurrentIndex(-1);
    refillServices(m_app, m_service);
    m_labels.clear();
    m_total->setText(u"0.00"_s);
}

void PaymentPanel::setMethods(std::vector<TVidOpl> methods) {
    m_methods = std::move(methods);
    m_method->clear();
    for (const TVidOpl& m : m_methods)
        m_method->addItem(m.NAME);
    m_method->setCurrentIndex(-1);
    for (int k = 0; k < int(m_lines.size()); ++k)
        setRow(k); // the methods' names
    if (m_list->currentRow() >= 0)
        showLine(m_list->currentRow());
}

void PaymentPanel::addLine(PaymentLine line) {
    m_labels.show(line.account, line.name, line.address, false);
    m_lines.push_back(std::move(line));
    const int k = m_list->rowCount();
    m_list->setRowCount(k + 1);
    setRow(k);
    m_list->blockSignals(true);
    m_list->setCurrentCell(k, 1);
    m_list->blockSignals(false);
    m_amount->clear();
    m_receipt->clear();
    m_amount->setFocus();
}

void PaymentPanel::load(const std::vector<PaymentLine>& lines) {
    reset();
    m_lines = lines;
    m_list->setRowCount(int(lines.size()));
    for (int k = 0; k < int(lines.size()); ++k)
        setRow(k);
    updateTotal();
    if (!m_lines.empty()) {
        m_list->setCurrentCell(0, 1);
        showLine(0);
    }
}

void PaymentPanel::setRow(int k) {
    const PaymentLine& l = m_lines[size_t(k)];
    setCell(m_list, k, 0, QString::number(k + 1));
    setCell(m_list, k, 1, l.account);
    setCell(m_list, k, 2, l.name);
    setCell(m_list, k, 3, l.amountEntered ? l.amount.toText() : QString());
    QString method;
    for (const TVidOpl& m : m_methods)
        if (m.NOM.toInt() == l.method)
            method = m.NAME;
    setCell(m_list, k, 4, method);
    setCell(m_list, k, 5, shortName(m_app, l.service));
    setCell(m_list, k, 6, l.receipt);
    setCell(m_list, k, 7, l.service ? QString::number(l.service) : QString());
}

bool PaymentPanel::enter() {
    const int r = m_list->currentRow();
    if (r < 0 || size_t(r) >= m_lines.size())
        return false;
    QString text = m_amount->text().trimmed();
    Money amount;
    if (!text.isEmpty()) {
        const auto parsed = Money::parse(text.replace(u'.', u','));
        if (!parsed) {
            m_prompter.warn(u"Сумма «%1» — не число. Введите сумму цифрами, копейки через "
                            u"запятую (например 150,50)."_s.arg(m_amount->text()));
            m_amount->setFocus();
            return false;
        }
        amount = *parsed;
    }
    if (m_service->currentIndex() < 0) {
        m_prompter.warn(u"Выберите услугу, за которую внесена оплата."_s);
        m_service->setFocus();
        return false;
    }
    PaymentLine& l = m_lines[size_t(r)];
    l.amount = amount;
    l.amountEntered = true;
    if (m_method->currentIndex() >= 0)
        l.method = m_methods[size_t(m_method->currentIndex())].NOM.toInt();
    l.receipt = m_receipt->text();
    l.service = m_service->currentData().toInt();
    setRow(r);
    updateTotal();
    return true;
}

void PaymentPanel::removeCurrent() {
    const int r = m_list->currentRow();
    if (r < 0 || size_t(r) >= m_lines.size())
        return;
    m_lines.erase(m_lines.begin() + r);
    removeRow(m_list, r);
    updateTotal();
    if (m_list->currentRow() >= 0)
        showLine(m_list->currentRow());
}

void PaymentPanel::removeLast() {
    if (m_lines.empty())
        return;
    m_lines.pop_back();
    m_list->removeRow(m_list->rowCount() - 1);
    updateTotal();
}

void PaymentPanel::showLine(int k) {
    if (k < 0 || size_t(k) >= m_lines.size())
        return;
    const PaymentLine& l = m_lines[size_t(k)];
    m_labels.show(l.account, l.name, l.address, true);
    m_amount->setText(l.amountEntered ? l.amount.toText() : QString());
    for (int i = 0; i < int(m_methods.size()); ++i)
        if (m_methods[size_t(i)].NOM == QString::number(l.method))
            m_method->setCurrentIndex(i);
    const int service = m_service->findData(l.service);
    if (service >= 0)
        m_service->setCurrentIndex(service);
    m_receipt->setText(l.receipt);
}

void PaymentPanel::updateTotal() {
    m_total->setText(paymentTotal(m_lines).toText());
}

bool PaymentPanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool enterKey = key == Qt::Key_Return || key == Qt::Key_Enter;
        if (watched == m_amount && enterKey) {
            Controls::focusNext(m_method);
            return true;
        }
        if (watched == m_amount && key == Qt::Key_Escape) {
            removeLast();
            emit backToSelection();
            return true;
        }
        if (watched == m_method && enterKey && m_method->currentIndex() >= 0) {
            Controls::focusNext(m_receipt);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// --- correction ---

CorrectionPanel::CorrectionPanel(AppContext& app, Prompter& prompter, QDateEdit* documentDate,
                                 QWidget* parent)
    : QWidget(parent), m_app(app), m_prompter(prompter), m_documentDate(documentDate),
      m_list(lineList("CorrectionList",
                      {QString(), u"Л/С"_s, u"ФИО"_s, u"Способ"_s, u"Начало"_s, u"Конец"_s,
                       u"Величина"_s, u"Spos"_s, u"Сумма"_s},
                      {25, 50, 100, 60, 60, 60, 60, 0, 60}, 2)),
      m_valueLabel(new QLabel), m_startLabel(new QLabel(u"Период начала:"_s)),
      m_endLabel(new QLabel(u"Период конца:"_s)), m_kinds(new QButtonGroup(this)),
      m_value(Controls::edit("ValueEdit")), m_start(Controls::datePicker("StartPicker")),
      m_end(Controls::datePicker("EndPicker")), m_service(serviceBox(app, "CorrectionServiceBox")) {
    setObjectName(u"CorrectionPanel"_s);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(new QLabel(u"Перечень внесенных абонентов :"_s));
    layout->addWidget(m_list, 1);
    m_labels.addTo(layout);
    auto* group = new QGroupBox(u"Параметры корректировки :"_s);
    auto* kinds = new QGridLayout(group);
    kinds->setContentsMargins(4, 2, 4, 2);
    kinds->setVerticalSpacing(0);
    int i = 0;
    for (const CorrectionKindInfo& k : correctionKinds()) {
        auto* button = new QRadioButton(k.button);
        button->setObjectName(u"KindButton%1"_s.arg(int(k.kind)));
        m_kinds->addButton(button, int(k.kind));
        kinds->addWidget(button, i / 2, i % 2);
        ++i;
    }
    layout->addWidget(group);
    auto* values = new QHBoxLayout;
    values->addWidget(m_valueLabel);
    values->addWidget(m_value);
    values->addWidget(m_startLabel);
    values->addWidget(m_start);
    values->addWidget(m_endLabel);
    values->addWidget(m_end);
    values->addStretch();
    layout->addLayout(values);
    auto* commands = new QHBoxLayout;
    commands->addWidget(m_service, 1);
    auto* save = new QPushButton(u"Сохранить"_s);
    save->setObjectName(u"StoreLineButton"_s);
    auto* remove = new QPushButton(u"Удалить"_s);
    remove->setObjectName(u"RemoveLineButton"_s);
    for (QPushButton* b : {save, remove}) {
        b->setAutoDefault(false);
        commands->addWidget(b);
    }
    layout->addLayout(commands);

    connect(m_kinds, &QButtonGroup::idClicked, this,
            [this](int id) { kindChosen(CorrectionKind(id)); });
    connect(save, &QPushButton::clicked, this, &CorrectionPanel::store);
    connect(remove, &QPushButton::clicked, this, &CorrectionPanel::removeCurrent);
    connect(m_list, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int previous, int) {
                if (row >= 0 && row != previous)
                    showLine(row);
            });
    m_value->installEventFilter(this);
}

CorrectionKind CorrectionPanel::kind() const {
    const int id = m_kinds->checkedId();
    return id >= 1 && id <= 4 ? CorrectionKind(id) : CorrectionKind::Amount;
}

void CorrectionPanel::kindChosen(CorrectionKind k) {
    const CorrectionKindInfo& info = correctionKind(k);
    m_kinds->button(int(k))->setChecked(true);
    m_valueLabel->setText(info.label);
    m_valueLabel->setVisible(!info.label.isEmpty());
    m_value->setVisible(!info.label.isEmpty());
    for (QWidget* w : std::initializer_list<QWidget*>{m_start, m_end, m_startLabel, m_endLabel})
        w->setVisible(info.range);
    if (k == CorrectionKind::Residents)
        m_value->clear();
    else if (k == CorrectionKind::Current)
        m_value->setText(u"0"_s);
}

void CorrectionPanel::reset() {
    m_lines.clear();
    m_list->setRowCount(0);
    m_start->setDate(QDate::currentDate());
    m_end->setDate(QDate::currentDate());
    m_value->clear();
    refillServices(m_app, m_service);
    m_labels.clear();
    kindChosen(CorrectionKind::Amount);
}

void CorrectionPanel::addLine(CorrectionLine line) {
    line.start = line.end = m_documentDate->date();
    m_labels.show(line.account, line.name, line.address, false);
    m_lines.push_back(std::move(line));
    const int k = m_list->rowCount();
    m_list->setRowCount(k + 1);
    setCell(m_list, k, 0, QString::number(k + 1));
    setCell(m_list, k, 1, m_lines.back().account);
    setCell(m_list, k, 2, m_lines.back().name);
    m_list->blockSignals(true);
    m_list->setCurrentCell(k, 1);
    m_list->blockSignals(false);
    m_start->setDate(m_documentDate->date());
    m_end->setDate(m_documentDate->date());
    m_value->setText(u"0"_s);
    m_value->setFocus();
}

void CorrectionPanel::load(const std::vector<CorrectionLine>& lines, int service) {
    reset();
    m_lines = lines;
    m_list->setRowCount(int(lines.size()));
    for (int k = 0; k < int(lines.size()); ++k)
        setRow(k);
    const int index = m_service->findData(service);
    m_service->setCurrentIndex(index);
    if (!m_lines.empty()) {
        m_list->setCurrentCell(0, 1);
        showLine(0);
    }
}

int CorrectionPanel::service() const {
    return m_service->currentIndex() >= 0 ? m_service->currentData().toInt() : 0;
}

void CorrectionPanel::setRow(int k) {
    const CorrectionLine& l = m_lines[size_t(k)];
    const bool range = l.kind != CorrectionKind::Amount;
    setCell(m_list, k, 0, QString::number(k + 1));
    setCell(m_list, k, 1, l.account);
    setCell(m_list, k, 2, l.name);
    setCell(m_list, k, 3, correctionKind(l.kind).name);
    setCell(m_list, k, 4, range ? l.start.toString(u"dd.MM.yyyy"_s) : QString());
    setCell(m_list, k, 5, range ? l.end.toString(u"dd.MM.yyyy"_s) : QString());
    setCell(m_list, k, 6, l.value.toText());
    setCell(m_list, k, 7, QString::number(int(l.kind)));
    setCell(m_list, k, 8, l.stored ? l.amount.toText() : QString());
}

void CorrectionPanel::store() {
    const int r = m_list->currentRow();
    if (r < 0 || size_t(r) >= m_lines.size())
        return;
    const CorrectionKind k = kind();
    if (rangeTouchesPeriod(k, m_start->date(), m_end->date(), m_app.state.CurrentPeriod)) {
        m_prompter.warn(DocText::RangeTouchesPeriod);
        return;
    }
    QString text = m_value->text().trimmed();
    if (text.isEmpty())
        text = u"0"_s;
    const auto value = Money::parse(text);
    if (!value) {
        m_prompter.warn(u"Величина «%1» — не число. Введите число цифрами."_s.arg(text));
        m_value->setFocus();
        return;
    }
    CorrectionLine& l = m_lines[size_t(r)];
    l.kind = k;
    if (k == CorrectionKind::Amount) {
        l.start = l.end = m_documentDate->date();
    } else {
        l.start = m_start->date();
        l.end = m_end->date();
    }
    l.value = *value;
    setRow(r);
    setCell(m_list, r, 6, text); // as typed
}

void CorrectionPanel::removeCurrent() {
    const int r = m_list->currentRow();
    if (r < 0 || size_t(r) >= m_lines.size())
        return;
    m_lines.erase(m_lines.begin() + r);
    removeRow(m_list, r);
    m_value->setFocus();
    if (m_list->currentRow() >= 0)
        showLine(m_list->currentRow());
}

void CorrectionPanel::showLine(int k) {
    if (k < 0 || size_t(k) >= m_lines.size())
        return;
    const CorrectionLine& l = m_lines[size_t(k)];
    m_labels.show(l.account, l.name, l.address, true);
    m_start->setDate(l.start);
    m_end->setDate(l.end);
    kindChosen(l.kind);
    m_value->setText(l.value.toText());
}

bool CorrectionPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_value || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const QString t = key->text();
    if (key->key() == Qt::Key_Backspace || t.isEmpty() || !t[0].isPrint())
        return QWidget::eventFilter(watched, event); // Backspace, arrows, Enter pass
    const CorrectionKind k = kind();
    if (k == CorrectionKind::Current)
        return false;
    if (t[0].isDigit())
        return false;
    if (k == CorrectionKind::Residents)
        return true; // digits only
    if (t == u"-") {
        QString v = m_value->text();
        if (v.startsWith(u'-'))
            v.remove(0, 1);
        else
            v.prepend(u'-');
        m_value->setText(v);
        m_value->setCursorPosition(int(v.size()));
        return true;
    }
    if ((t == u"." || t == u",") && !m_value->text().contains(u',')) {
        m_value->insert(u","_s);
        return true;
    }
    return true;
}
