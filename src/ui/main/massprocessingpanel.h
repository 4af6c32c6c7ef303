#pragma once

#include "app/appcontext.h"
#include "app/prompter.h"

#include <QFrame>
#include <vector>

class AddressBoxes;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QProgressBar;
class QPushButton;

// Who knows the subscribers of the current selection (the main window's IterationSet).
class SelectedClients {
public:
    virtual ~SelectedClients() = default;
    // May read the selection first (IterationSet is read when first needed).
    virtual std::vector<int> selectedClientIds() = 0;
};

// "Общая обработка": one change (tariff, inclusion in charging, area, address) for every
// subscriber of the current selection.
class MassProcessingPanel : public QFrame {
    Q_OBJECT
public:
    MassProcessingPanel(AppContext& app, Prompter& prompter, SelectedClients& selection,
                        QWidget* parent);

    void open();
    void kindChosen(int kind);
    void ok();
    void cancel();

signals:
    // New addresses may take subscribers into the selection or out of it: it is run again.
    void addressesChanged();

private:
    void hideKinds();
    void place(int height, int buttonsTop);

    AppContext& m_app;
    Prompter& m_prompter;
    SelectedClients& m_selection;
    QComboBox *m_kind, *m_service, *m_second;
    QLineEdit *m_tariff, *m_house, *m_building;
    QGroupBox* m_addressGroup;
    AddressBoxes* m_address;
    QProgressBar* m_progress;
    QWidget* m_buttons;
    std::vector<int> m_areaIds;
};
