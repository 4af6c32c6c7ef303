#pragma once

#include "app/appcontext.h"
#include "app/prompter.h"
#include "reports/registers.h"

#include <QWidget>

class DocumentWindow;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QRadioButton;
class ReportWindow;

// The report parameters window (TForm8): one of its panels at a time — the day register, the
// period register, the charge register — and "О К" runs the visible one into the report window.
class ReportParamsWindow : public QWidget {
    Q_OBJECT
public:
    enum class Mode { DayRegister, PeriodRegister, ChargeRegister };

    ReportParamsWindow(AppContext& app, Prompter& prompter, ReportWindow& report,
                       DocumentWindow& documents, QWidget* parent = nullptr);

    // The menu commands: the window in the mode, every other panel hidden.
    void open(Mode mode);
    Mode mode() const { return m_mode; }
    // "О К".
    void run();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* dayPanel();
    QWidget* periodPanel();
    QWidget* chargePanel();
    void fillDocuments();
    void fillMethods(QComboBox* box);
    std::optional<int> methodOf(QComboBox* box, QCheckBox* all) const;
    void stepPeriod(int months);

    AppContext& m_app;
    Prompter& m_prompter;
    ReportWindow& m_report;
    DocumentWindow& m_documents;
    Mode m_mode = Mode::DayRegister;
    std::vector<RegisterMethod> m_methods;
    std::vector<DayDocument> m_dayDocuments;
    QWidget *m_day, *m_period, *m_charge;
    QDateEdit *m_dayPicker, *m_from, *m_to;
    QComboBox *m_dayMethod, *m_dayDocument, *m_periodMethod;
    QCheckBox *m_dayAllMethods, *m_dayAllDocuments, *m_periodAllMethods, *m_byName, *m_bySubscriber;
    QRadioButton *m_bySettlement, *m_byStreet;
    QLabel* m_periodText;
    QPushButton* m_chargeFilter;
    bool m_placed = false;
};
