#pragma once

#include "sales/informecaja.h"
#include "store/rows.h"

#include <QDialog>
#include <QStringList>

#include <functional>

struct ConsoleContext;
class QComboBox;
class QDateEdit;
class QPushButton;
class QRadioButton;
class QTimeEdit;

// "[ Informe de caja ]": the tickets of a day, a shift or a time span, as
// totals or with their lines, of every console or one. Keeps its times,
// console and listing kind between uses; the day is today at each opening.
class Tfrmlisttik : public QDialog {
    Q_OBJECT
public:
    explicit Tfrmlisttik(ConsoleContext& context, QWidget* parent = nullptr);

    // Day to today and the shift list read again.
    void prepare();
    sales::CajaSelection selection() const;
    sales::CajaListing kind() const;
    // Copies the chosen shift's times into "Desde" and "Hasta".
    void chooseShift(int index);
    // "&Imprimir": the chosen listing in its preview.
    void imprimir();
    // Who sends the mailed report; the button is enabled once one is given.
    void setMailer(std::function<void(const QStringList& html)> mailer);
    // "Enviar como e-mail": the summary of the current selection to the mailer.
    void enviarEmail();

    QDateEdit* dayEdit() const { return m_day; }
    QComboBox* shiftList() const { return m_shifts; }
    // "Todas las consolas" first, then each console; the choice is kept between uses.
    QComboBox* consoleList() const { return m_consoles; }
    QTimeEdit* fromEdit() const { return m_from; }
    QTimeEdit* toEdit() const { return m_to; }
    QRadioButton* detailsChoice() const { return m_details; }
    QPushButton* mailButton() const { return m_mail; }

private:
    ConsoleContext& m_context;
    std::vector<store::Turno> m_turnos;
    QDateEdit* m_day = nullptr;
    QComboBox* m_shifts = nullptr;
    QComboBox* m_consoles = nullptr;
    QTimeEdit* m_from = nullptr;
    QTimeEdit* m_to = nullptr;
    QRadioButton* m_totals = nullptr;
    QRadioButton* m_details = nullptr;
    QPushButton* m_mail = nullptr;
    std::function<void(const QStringList&)> m_mailer;
};
