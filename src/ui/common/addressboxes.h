#pragma once

#include "app/appcontext.h"
#include "app/prompter.h"
#include "documents/selection.h"

#include <QObject>
#include <array>
#include <vector>

class QComboBox;
class QToolButton;

// The six address lists of a window (region, city, district, settlement, street, area), each a
// drop-down list with its clear button and the ids behind its items, filled from the current
// ids. The window decides what a choice refills.
class AddressBoxes : public QObject {
    Q_OBJECT
public:
    // The lists and buttons are children of owner; the window lays them out.
    AddressBoxes(AppContext& app, Prompter& prompter, AddressListForm form, QWidget* owner);

    QComboBox* box(AddressLevel level) const { return m_boxes[size_t(level)].box; }
    QToolButton* clearButton(AddressLevel level) const { return m_boxes[size_t(level)].clear; }
    // Gives the lists and their clear buttons their names, by level.
    void setNames(const std::array<const char*, 6>& boxNames,
                  const std::array<const char*, 6>& clearNames);

    AddressIds ids;
    // Fills one list from the current ids; its item is the one of the current id, or none.
    void fill(AddressLevel level);
    void fillAll();
    void fill(std::initializer_list<AddressLevel> levels);
    void clearItems(AddressLevel level);
    // The level and the address levels below it refilled (the area list only itself).
    void refillFrom(AddressLevel level);
    // What a choice does in the selection and the mass processing: a city resets the settlement,
    // then the chosen level and those below it are refilled; a street or an area refills nothing.
    void cascadeChoice(AddressLevel level);
    // The id of the chosen item, if any.
    std::optional<int> chosenId(AddressLevel level) const;

signals:
    void chosen(AddressLevel level, int id); // the user picked an item (ids already updated)
    void cleared(AddressLevel level);        // a clear button (id already 0)

private:
    struct Box {
        QComboBox* box = nullptr;
        QToolButton* clear = nullptr;
        std::vector<int> ids;
    };
    AppContext& m_app;
    Prompter& m_prompter;
    AddressListForm m_form;
    std::array<Box, 6> m_boxes;
};
