#pragma once

#include "app/appcontext.h"
#include "app/prompter.h"
#include "documents/correction.h"
#include "documents/payment.h"

#include <QWidget>

class QBoxLayout;
class QButtonGroup;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

// The three labels of a panel's current line: account, name, address.
struct LineLabels {
    QLabel *account, *name, *address;
    LineLabels();
    void addTo(QBoxLayout* layout) const;
    // "Л/С № ", "Абонент", "Адрес"
    void clear();
    // a line just added ("Л/С №" + account, …) or selected in the list ("Л/С №   " + account, …)
    void show(const QString& accountText, const QString& nameText, const QString& addressText,
              bool selected);
};

// The payment panel of the document window: the list of payment lines, the current line's
// labels, the amount, method, receipt and service boxes, the buttons "Внести", "Внести + новый"
// and "Убрать", and the total.
class PaymentPanel : public QWidget {
    Q_OBJECT
public:
    PaymentPanel(AppContext& app, Prompter& prompter, QWidget* parent = nullptr);

    // A new document: no lines, empty boxes, no method chosen, the total "0.00".
    void reset();
    // The methods shown (the window reloads them every time it is shown).
    void setMethods(std::vector<TVidOpl> methods);
    // A subscriber picked in the selection grid: a new line, current, the amount box focused.
    void addLine(PaymentLine line);
    // A stored document's lines.
    void load(const std::vector<PaymentLine>& lines);
    const std::vector<PaymentLine>& lines() const { return m_lines; }
    QLineEdit* amountBox() const { return m_amount; }

signals:
    // Escape in the amount box took the new line back, or "Внести + новый" was pressed: the
    // window hides the panel and goes back to the criteria.
    void backToSelection();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool enter();
    void removeCurrent();
    void removeLast();
    void showLine(int k);
    void setRow(int k);
    void updateTotal();

    AppContext& m_app;
    Prompter& m_prompter;
    QTableWidget* m_list;
    LineLabels m_labels;
    QLabel* m_total;
    QLineEdit *m_amount, *m_receipt;
    QComboBox *m_method, *m_service;
    std::vector<PaymentLine> m_lines;
    std::vector<TVidOpl> m_methods;
};

// The correction panel: the list of correction lines, the current line's labels, the kind
// buttons, the value box, the range pickers, the service box and "Сохранить", "Удалить".
class CorrectionPanel : public QWidget {
    Q_OBJECT
public:
    // documentDate: the header's date picker (a fixed amount's range is the document's date).
    CorrectionPanel(AppContext& app, Prompter& prompter, QDateEdit* documentDate,
                    QWidget* parent = nullptr);

    // A new document: no lines, today in both pickers, "Фиксированной суммой" chosen.
    void reset();
    void addLine(CorrectionLine line);
    void load(const std::vector<CorrectionLine>& lines, int service);
    const std::vector<CorrectionLine>& lines() const { return m_lines; }
    // IDUSL of the chosen service, 0 when none.
    int service() const;
    QLineEdit* valueBox() const { return m_value; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CorrectionKind kind() const;
    void kindChosen(CorrectionKind kind);
    void store();
    void removeCurrent();
    void showLine(int k);
    void setRow(int k);

    AppContext& m_app;
    Prompter& m_prompter;
    QDateEdit* m_documentDate;
    QTableWidget* m_list;
    LineLabels m_labels;
    QLabel *m_valueLabel, *m_startLabel, *m_endLabel;
    QButtonGroup* m_kinds;
    QLineEdit* m_value;
    QDateEdit *m_start, *m_end;
    QComboBox* m_service;
    std::vector<CorrectionLine> m_lines;
};
