#pragma once

#include "app/appcontext.h"
#include "app/card.h"
#include "app/prompter.h"

#include <QWidget>
#include <functional>

class AddressBoxes;
class BenefitWindow;
class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class HistoryTab;
class ReportTable;
class QTableView;
class QTableWidget;
class QToolButton;
class ResultSetModel;

// The subscriber card: the "Расчет" tab (account, name, passport, residents and areas, tariffs,
// exclusion, the period's figures per service, the balance recalculation) and the "Данные об
// абоненте" tab (area, benefit holders, address, postal index). ZapKart loads it, SohrKart
// saves it.
class CardWindow : public QWidget {
    Q_OBJECT
signals:
    // "Корректировка" and "Внести оплату": a new document for the card's subscriber (account),
    // with the note given.
    void correctionRequested(const QString& account, const QString& note);
    void paymentRequested(const QString& account);
    // A document behind a month of the history, to open in the document window.
    void documentRequested(int docId);
    // The printed history, for the report window.
    void reportReady(const ReportTable& table);

public:
    CardWindow(AppContext& app, Prompter& prompter, QWidget* parent = nullptr);
    ~CardWindow() override;

    void setBenefitWindow(BenefitWindow* window);
    void ZapKart(int clientId);
    // Saves; false when refused or failed (the message was shown, the window stays open).
    bool SohrKart();
    void ZapAdres();
    void ok();
    void cancel();
    void recalculate();
    void reloadBenefits();
    void newHolder();
    void correctHolder();

    bool cardModified() const { return m_modified; }
    Card::Data fields() const;
    QTabWidget* tabs() const { return m_tabs; }
    HistoryTab* historyTab() const { return m_history; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* buildCalculationTab();
    QWidget* buildDataTab();
    void dataTabVisited();
    void addressChosen(int level);
    void warnAboutBenefits();
    void setExcluded(bool on);
    void printHistory();

    AppContext& m_app;
    Prompter& m_prompter;
    BenefitWindow* m_benefitWindow = nullptr;
    bool m_modified = false;
    bool m_placed = false;

    QTabWidget* m_tabs;
    HistoryTab* m_history;
    QLineEdit *m_account, *m_name, *m_residents, *m_totalArea, *m_livingArea;
    QLineEdit *m_house, *m_building, *m_flat, *m_zip;
    QLineEdit *m_passSeries, *m_passNumber, *m_passIssuer;
    QDateEdit *m_passDate, *m_birthDate;
    QWidget* m_passportPanel;
    QLabel *m_period, *m_debt;
    QTableWidget *m_tariffs, *m_figures;
    QCheckBox* m_excluded;
    QPushButton *m_correction, *m_payment, *m_recalculate;
    AddressBoxes* m_address;
    QTableView* m_benefits;
    ResultSetModel* m_benefitModel;
};
