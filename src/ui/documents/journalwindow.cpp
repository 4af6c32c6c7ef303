#include "ui/documents/journalwindow.h"

#include "db/dberror.h"
#include "documents/documentjournal.h"
#include "ui/common/controls.h"
#include "ui/common/failures.h"
#include "ui/common/resultsetmodel.h"
#include "ui/documents/documentwindow.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSplitter>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// The type column shows the type's name.
class TypeDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QString displayText(const QVariant& value, const QLocale& locale) const override {
        return documentTypeName(QStyledItemDelegate::displayText(value, locale));
    }
};

void addNodes(QTreeWidgetItem* parent, const JournalNode& node) {
    for (const JournalNode& child : node.children) {
        auto* item = new QTreeWidgetItem(parent, {child.text});
        addNodes(item, child);
    }
}

} // namespace

JournalWindow::JournalWindow(AppContext& app, Prompter& prompter, DocumentWindow& documents,
                             QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint), m_app(app), m_prompter(prompter),
      m_documents(documents), m_tree(new QTreeWidget), m_tabs(new QTabBar), m_list(new QTableView),
      m_model(new ResultSetModel(this)), m_search(Controls::edit("ReceiptSearchEdit")),
      m_newMenu(new QMenu(this)) {
    setObjectName(u"TForm3"_s);
    setWindowTitle(u"Журнал документов"_s);
    resize(860, 520);

    auto* tools = new QToolBar;
    tools->setIconSize(QSize(22, 22));
    QAction* add =
        tools->addAction(style()->standardIcon(QStyle::SP_FileIcon), u"Ввести новый документ"_s);
    add->setObjectName(u"NewDocumentButton"_s);
    connect(add, &QAction::triggered, this, [this, tools, add] {
        QWidget* button = tools->widgetForAction(add);
        m_newMenu->popup(button->mapToGlobal(QPoint(10, 25)));
    });
    QAction* remove =
        tools->addAction(style()->standardIcon(QStyle::SP_TrashIcon),
                         u"Удалить выбранный документ"_s, this, &JournalWindow::deleteCurrent);
    remove->setObjectName(u"DeleteDocumentButton"_s);
    QAction* edit =
        tools->addAction(style()->standardIcon(QStyle::SP_FileDialogDetailedView),
                         u"Исправить выбранный документ"_s, this, &JournalWindow::openCurrent);
    edit->setObjectName(u"OpenDocumentButton"_s);
    tools->addSeparator();
    tools->addWidget(new QLabel(u"   Поиск квитанции : "_s));
    m_search->setToolTip(u"Введите сюда номер искомой квитанции"_s);
    m_search->setMaximumWidth(140);
    tools->addWidget(m_search);
    QAction* find =
        tools->addAction(u"Найти по коду квитанции"_s, this, &JournalWindow::searchReceipt);
    find->setObjectName(u"FindReceiptButton"_s);
    connect(m_search, &QLineEdit::returnPressed, this, &JournalWindow::searchReceipt);

    const char* names[] = {"NewCharge", "NewCorrection", "NewPayment"};
    const QString captions[] = {u"Начисление"_s, u"Корректировка"_s, u"Оплата"_s};
    for (int t = 1; t <= 3; ++t) {
        QAction* a = m_newMenu->addAction(captions[t - 1], this, [this, t] { newDocument(t); });
        a->setObjectName(QString::fromLatin1(names[t - 1]));
    }

    m_tree->setObjectName(u"DateTree"_s);
    m_tree->setHeaderHidden(true);
    m_tree->setMinimumWidth(150);
    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this] { applyFilter(); });

    m_tabs->setObjectName(u"TypeTabs"_s);
    for (const QString& t : JournalTabs)
        m_tabs->addTab(t);
    connect(m_tabs, &QTabBar::currentChanged, this, [this] { applyFilter(); });

    m_list->setObjectName(u"DocumentList"_s);
    m_list->setModel(m_model);
    m_list->setItemDelegateForColumn(0, new TypeDelegate(m_list));
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->verticalHeader()->setDefaultSectionSize(18);
    connect(m_list, &QTableView::doubleClicked, this, &JournalWindow::openCurrent);

    auto* right = new QWidget;
    auto* rl = new QVBoxLayout(right);
    rl->setContentsMargins(0, 0, 0, 0);
    rl->setSpacing(0);
    rl->addWidget(m_tabs);
    rl->addWidget(m_list, 1);
    auto* split = new QSplitter;
    split->addWidget(m_tree);
    split->addWidget(right);
    split->setStretchFactor(1, 1);
    split->setSizes({170, 690});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(tools);
    layout->addWidget(split, 1);

    // a document saved or deleted elsewhere shows here at once
    connect(&m_app.changes, &ChangeNotifier::documentsChanged, this, [this] {
        if (isVisible())
            open();
    });
}

void JournalWindow::open() {
    if (!m_app.connected())
        return;
    std::vector<QDate> dates;
    if (!succeeded(m_prompter, [&] { dates = documentDates(m_app.db()); }))
        return;
    const JournalNode root = journalTree(dates);
    m_tree->blockSignals(true);
    m_tree->clear();
    auto* top = new QTreeWidgetItem(m_tree, {root.text});
    addNodes(top, root);
    top->setExpanded(true);
    QTreeWidgetItem* current = top;
    for (QTreeWidgetItem* item :
         m_tree->findItems(m_app.state.CurrentPeriod, Qt::MatchExactly | Qt::MatchRecursive))
        current = item;
    for (QTreeWidgetItem* p = current->parent(); p; p = p->parent())
        p->setExpanded(true);
    m_tree->setCurrentItem(current);
    m_tree->blockSignals(false);
    m_tabs->blockSignals(true);
    m_tabs->setCurrentIndex(0);
    m_tabs->blockSignals(false);
    m_search->clear();
    applyFilter();
    if (!isVisible()) {
        if (!m_placed) {
            m_placed = true;
            Controls::centreOnScreen(this);
        }
        show();
    }
    raise();
    activateWindow();
    m_tree->setFocus();
}

void JournalWindow::applyFilter() {
    QTreeWidgetItem* node = m_tree->currentItem();
    const QString text = node ? node->text(0) : JournalRoot;
    setWindowTitle(text);
    const QString filter = journalFilter(text, m_tabs->currentIndex());
    succeeded(m_prompter, [&] { m_model->setRows(m_app.db().query(journalListSql(filter))); });
    m_list->setColumnWidth(0, 100);
    if (m_model->columnCount() > 5) {
        m_list->setColumnWidth(4, 300);
        m_list->setColumnHidden(5, true);
    }
    if (m_model->rowCount() > 0)
        m_list->selectRow(0);
}

int JournalWindow::currentDocId() const {
    const int row = m_list->currentIndex().row();
    const ResultSet& rows = m_model->rows();
    if (row < 0 || row >= rows.rowCount || rows.columns.size() < 6)
        return 0;
    return int(rows.at(row, 5).toInteger());
}

bool JournalWindow::documentWindowBusy() {
    if (!m_documents.isVisible())
        return false;
    m_prompter.notify(DocJournalText::DocumentOpen);
    m_documents.raise();
    m_documents.activateWindow();
    return true;
}

void JournalWindow::newDocument(int type) {
    if (documentWindowBusy())
        return;
    m_documents.newDocument(DocType(type));
}

void JournalWindow::openCurrent() {
    if (documentWindowBusy())
        return;
    const int id = currentDocId();
    if (id > 0)
        m_documents.loadDocument(id);
}

void JournalWindow::deleteCurrent() {
    const int id = currentDocId();
    if (id == 0)
        return;
    if (m_prompter.ask(u"ВНИМАНИЕ!!!"_s, DocJournalText::DeleteQuestion))
        succeeded(m_prompter, [&] { deleteDocument(m_app, id); });
    open(); // back on the current month, whatever the answer
}

void JournalWindow::searchReceipt() {
    int doc = 0;
    if (!succeeded(m_prompter, [&] { doc = findReceipt(m_app, m_search->text()); }))
        return;
    if (doc == 0) {
        m_prompter.notify(DocJournalText::NothingFound);
        return;
    }
    if (documentWindowBusy())
        return;
    m_documents.loadDocument(doc);
}
