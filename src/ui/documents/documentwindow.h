#pragma once

#include "app/appcontext.h"
#include "app/prompter.h"
#include "documents/selection.h"
#include "ui/common/addressboxes.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableView;
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
public:
    DocumentWindow(AppContext& app, Prompter& prompter, QWidget* parent = nullptr);

    void setSelectionTarget(SelectionTarget* target) { m_target = target; }

    // "Поиск абонента (-ов)": the plain selection with the area strip.
    void openPlainSelection();
    // "Общая обработка": the plain selection without the area strip.
    void openMassSelection();
    // A document: the header strip and the selection grid (the document itself comes with the
    // documents).
    void openDocumentMode();

    bool documentMode() const;
    SelectionCriteria criteria() const;
    const SelectionStatement& lastSelection() const { return m_selection; }
    QTableView* selectionGrid() const { return m_grid; }
    QMenu* selectionMenu() const { return m_selectionMenu; }

    // The selection command.
    void select();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildCriteriaPanel(QWidget* panel);
    void chosen(AddressLevel level);
    void cleared(AddressLevel level);
    void clearAll();
    void setGridSql(const QString& sql);
    void openMode(const QString& caption, bool headerStrip, bool areaStrip, bool grid, QSize size);
    void finishGrid();
    QComboBox* box(AddressLevel level) const;

    AppContext& m_app;
    Prompter& m_prompter;
    SelectionTarget* m_target = nullptr;
    AddressBoxes* m_address;
    QLineEdit *m_account, *m_name, *m_house, *m_building, *m_apartment;
    QCheckBox *m_hasApartment, *m_remember;
    QPushButton* m_selectButton;
    QWidget *m_areaStrip, *m_headerStrip;
    QGroupBox* m_criteriaPanel;
    QTableView* m_grid;
    ResultSetModel* m_gridModel;
    QString m_gridSql;
    bool m_gridOpen = false;
    bool m_placed = false;
    QMenu* m_selectionMenu;
    SelectionStatement m_selection;
};
