#include "ui/common/addressboxes.h"

#include "db/dberror.h"
#include "db/query.h"
#include "ui/common/failures.h"

#include <QComboBox>
#include <QToolButton>

AddressBoxes::AddressBoxes(AppContext& app, Prompter& prompter, AddressListForm form,
                           QWidget* owner)
    : QObject(owner), m_app(app), m_prompter(prompter), m_form(form) {
    for (int i = 0; i < 6; ++i) {
        const auto level = AddressLevel(i);
        Box& b = m_boxes[size_t(i)];
        b.box = new QComboBox(owner);
        b.box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        b.box->setMinimumContentsLength(8);
        b.clear = new QToolButton(owner);
        b.clear->setText(QStringLiteral("✕"));
        b.clear->setToolTip(QStringLiteral("Очистить"));
        b.clear->setAutoRaise(true);
        connect(b.box, &QComboBox::activated, this, [this, level](int index) {
            const Box& box = m_boxes[size_t(level)];
            if (index < 0 || size_t(index) >= box.ids.size())
                return;
            ids.of(level) = box.ids[size_t(index)];
            emit chosen(level, ids.of(level));
        });
        connect(b.clear, &QToolButton::clicked, this, [this, level] {
            ids.of(level) = 0;
            emit cleared(level);
        });
    }
}

void AddressBoxes::setNames(const std::array<const char*, 6>& boxNames,
                            const std::array<const char*, 6>& clearNames) {
    for (size_t i = 0; i < 6; ++i) {
        m_boxes[i].box->setObjectName(QLatin1String(boxNames[i]));
        m_boxes[i].clear->setObjectName(QLatin1String(clearNames[i]));
    }
}

void AddressBoxes::clearItems(AddressLevel level) {
    Box& b = m_boxes[size_t(level)];
    b.box->clear();
    b.ids.clear();
}

void AddressBoxes::fill(AddressLevel level) {
    clearItems(level);
    Box& b = m_boxes[size_t(level)];
    if (!m_app.connected())
        return;
    int current = -1;
    succeeded(m_prompter, [&] {
        Query q(m_app.db());
        q.open(addressListSql(level, ids, m_form));
        for (q.first(); !q.eof(); q.next()) {
            const int id = int(q.integer(QStringLiteral("ID")));
            if (id == ids.of(level) && current < 0)
                current = int(b.ids.size());
            b.ids.push_back(id);
            b.box->addItem(q.text(QStringLiteral("NAME")));
        }
    });
    b.box->setCurrentIndex(current);
}

void AddressBoxes::fill(std::initializer_list<AddressLevel> levels) {
    for (AddressLevel l : levels)
        fill(l);
}

void AddressBoxes::fillAll() {
    for (int i = 0; i < 6; ++i)
        fill(AddressLevel(i));
}

std::optional<int> AddressBoxes::chosenId(AddressLevel level) const {
    const Box& b = m_boxes[size_t(level)];
    const int i = b.box->currentIndex();
    if (i < 0 || size_t(i) >= b.ids.size())
        return std::nullopt;
    return b.ids[size_t(i)];
}

void AddressBoxes::refillFrom(AddressLevel level) {
    if (level == AddressLevel::Area)
        return fill(level);
    for (int l = int(level); l <= int(AddressLevel::Street); ++l)
        fill(AddressLevel(l));
}

void AddressBoxes::cascadeChoice(AddressLevel level) {
    if (level == AddressLevel::Street || level == AddressLevel::Area)
        return;
    if (level == AddressLevel::City)
        ids.settlement = 0;
    refillFrom(level);
}
