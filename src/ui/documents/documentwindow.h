#pragma once

#include "app/appcontext.h"
#include "app/prompter.h"
#include "documents/document.h"
#include "documents/selection.h"
#include "ui/common/addressboxes.h"

#include <QWidget>

class CorrectionPanel;
class PaymentPanel;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableView;
class QToolButton;
class ReportTable;
class ResultSetModel;

// Where the plain selection goes: the main list.
class SelectionTarget {
public:
    virtual ~SelectionTarget() = default;
    // Lists the selection; false when its statement failed (the error was shown).
    virtual bool showSelection(const SelectionStatement& selection) = 0;
};

// The document window. Its criteria panel selects subscribers for every purpose: the six
// cascading address lists with their clear buttons, the text criteria, and the selection
// command (button or F3), which builds ListSql and SelectionFilter and does what the window's
// mode asks. In the document modes the selection is listed in the window's own grid.
class DocumentWindow : public QWidget {
    Q_OBJECT
signals:
    void reportFilterChosen();
    // A list built from the selection (the debtor list) for the report window.
    void reportReady(const ReportTable& table);

public:
    DocumentWindow(AppContext& app, Prompter& prompter, QWidget* parent = nullptr);

    void setSelectionTarget(SelectionTarget* target) { m_target = target; }

    // "Поиск абонента (-ов)": the plain selection with the area strip.
    void openPlainSelection();
    // "Общая обработка": the plain selection without the area strip.
    void openMassSelection();
    // The subscriber filter of the payment registers (with the area strip) or of the charge
    // register: the selection sets ReportClientFilter and says so (reportFilterChosen).
    void openRegisterSelection(bool payments);
    // "Списки должников": the selection with the debt-limit strip.
    void openDebtorSelection();
    QLineEdit* limitBox() const { return m_limit; }
    // "Произвести начисление", "Произвести корректировку", "Произвести оплату": a new document
    // of the type (the id and number offered, today's date) in the window.
    void newDocument(DocType type);
    // A stored document (the journal's command), laid out by its type.
    void loadDocument(int docId);
    // The card's "Корректировка" and "Внести оплату": a new document with the subscriber of the
    // account selected and added as its first line.
    void openForSubscriber(DocType type, const QString& account, const QString& note = {});
    // The save button.
    void save();

    bool documentMode() const;
    // The document type the header caption names.
    std::optional<DocType> documentType() const;
    int currentDocId() const { return m_docId; }
    PaymentPanel* paymentPanel() const { return m_payment; }
    CorrectionPanel* correctionPanel() const { return m_correction; }
    SelectionCriteria criteria() const;
    const SelectionStatement& lastSelection() const { return m_selection; }
    QTableView* selectionGrid() const { return m_grid; }
    QMenu* selectionMenu() const { return m_selectionMenu; }

    // The selection command.
    void select();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildCriteriaPanel(QWidget* panel);
    void chosen(AddressLevel level);
    void cleared(AddressLevel level);
    void clearAll();
    void setGridSql(const QString& sql);
    void openMode(const QString& caption, bool headerStrip, bool areaStrip, bool grid, QSize size);
    void finishGrid();
    QComboBox* box(AddressLevel level) const;
    void buildDocumentParts();
    // The header strip, panels and buttons of a document of the type.
    void layOutDocument(DocType type);
    // A double click or Enter on the selection grid: a payment or correction line.
    void addLineFromGrid();
    // The payment or correction panel over the criteria and the grid, or back.
    void showPanel(bool shown);
    std::vector<int> tickedServices() const;

    AppContext& m_app;
    Prompter& m_prompter;
    SelectionTarget* m_target = nullptr;
    AddressBoxes* m_address;
    QLineEdit *m_account, *m_name, *m_house, *m_building, *m_apartment;
    QCheckBox *m_hasApartment, *m_remember;
    QPushButton* m_selectButton;
    QWidget *m_areaStrip, *m_headerStrip, *m_limitStrip;
    QLineEdit* m_limit;
    QGroupBox* m_criteriaPanel;
    QTableView* m_grid;
    ResultSetModel* m_gridModel;
    QString m_gridSql;
    bool m_gridOpen = false;
    bool m_placed = false;
    QMenu* m_selectionMenu;
    SelectionStatement m_selection;

    // the document
    QLabel* m_typeLabel;
    QLineEdit* m_number;
    QDateEdit* m_date;
    QToolButton* m_toggle;
    QWidget* m_serviceChecks;
    std::vector<QCheckBox*> m_checks;
    PaymentPanel* m_payment;
    CorrectionPanel* m_correction;
    QWidget *m_notePanel, *m_buttons;
    QLineEdit* m_note;
    QPushButton *m_save, *m_close;
    int m_docId = 0;             // CurrentDocId
    bool m_storedLoaded = false; // StoredDocLoaded
};
