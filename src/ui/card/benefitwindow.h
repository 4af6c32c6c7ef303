#pragma once

#include "app/appcontext.h"
#include "app/benefits.h"
#include "app/prompter.h"

#include <QWidget>
#include <optional>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;

// The benefit-holder window ("Льготник"): a new holder or the correction of one.
class BenefitWindow : public QWidget {
    Q_OBJECT
public:
    BenefitWindow(AppContext& app, Prompter& prompter, QWidget* parent = nullptr);

    // A new holder of the current subscriber.
    void openNew();
    // The holder with this IDL; nothing happens when there is none.
    void openCorrection(int idl);
    void ok();

    std::optional<int> correctedIdl() const { return m_idl; }
    // Today as the window sees it (a test fixes it).
    QDate today = QDate::currentDate();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void kindChosen(int index);
    Benefits::Holder fields() const;

    AppContext& m_app;
    Prompter& m_prompter;
    std::optional<int> m_idl; // the holder corrected; empty for a new one
    int m_kind = 0;           // SelectedBenefitKind
    bool m_placed = false;
    std::vector<Benefits::Kind> m_kinds;
    QLineEdit *m_name, *m_persons, *m_basis, *m_series, *m_number, *m_issuer;
    QComboBox* m_kindBox;
    QLabel *m_percent, *m_endLabel;
    QDateEdit *m_docDate, *m_start, *m_end;
    QCheckBox *m_unlimited, *m_ignoreEnd;
};
