#pragma once

#include "app/appcontext.h"
#include "app/prompter.h"

#include <QFrame>
#include <functional>
#include <vector>

class AddressBoxes;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QProgressBar;
class QPushButton;

// "Общая обработка": one change (tariff, inclusion in charging, area, address) for every
// subscriber of the current selection.
class MassProcessingPanel : public QFrame {
    Q_OBJECT
public:
    MassProcessingPanel(AppContext& app, Prompter& prompter, QWidget* parent);

    // The subscribers of the selection (IterationSet), and what runs the selection again.
    std::function<std::vector<int>()> selectedClients;
    std::function<void()> selectAgain;

    void open();
    void kindChosen(int kind);
    void ok();
    void cancel();

private:
    void hideKinds();
    void place(int height, int buttonsTop);

    AppContext& m_app;
    Prompter& m_prompter;
    QComboBox *m_kind, *m_service, *m_second;
    QLineEdit *m_tariff, *m_house, *m_building;
    QGroupBox* m_addressGroup;
    AddressBoxes* m_address;
    QProgressBar* m_progress;
    QWidget* m_buttons;
    std::vector<int> m_areaIds;
};
