#pragma once

#include "session/engine.h"
#include "store/rows.h"

#include <QDialog>

#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QTableWidget;

// "[ Abrir puesto...]": opens a free station in counter or prepaid mode,
// and, reduced, adds time to an anonymous prepaid station.
class TFrmAbrirPuesto : public QDialog {
    Q_OBJECT
public:
    TFrmAbrirPuesto(ConsoleEngine& engine, QWidget* parent = nullptr);

    static const ui::MessageTable& messages();

    // Opening station number at relative price relativePrice.
    void prepareOpen(int stationNumber, int relativePrice);
    // Adding time: mode fixed to prepaid, the tariff fixed.
    void prepareIncrease(int stationNumber, int relativePrice, const QString& tariffName);

    // The tariff list locked on a band's tariff, with its notice.
    void lockTariff(const QString& tariffName, const QString& notice);
    // Selects a tariff by name; false when the list has none of that name.
    bool selectTariff(const QString& name);
    void setPrepaid(bool prepaid);
    void setAmount(Currency amount);
    // The amount typed, when it reads as money.
    std::optional<Currency> amount() const;
    void setTime(int hours, int minutes);
    // Shows the interval page with the interval at index (0-based) chosen.
    void showIntervals(int index);

    QString tariffName() const;
    bool prepaid() const;
    const Ttarifas* tariff() const;

    session::AperturaPedido pedido() const;
    session::IncrementoPedido incremento() const;

    void done(int result) override;

private:
    void tariffOrModeChanged();
    void amountEdited();
    void minutesEdited();
    void calcular();
    void fillIntervals();
    bool checkAccept();

    ConsoleEngine& m_engine;
    bool m_increase = false;
    int m_relativePrice = 100;
    std::vector<store::Tarifa> m_tarifas;

    QLabel* m_question = nullptr;
    QLabel* m_notice = nullptr;
    QComboBox* m_mode = nullptr;
    QComboBox* m_tariff = nullptr;
    QStackedWidget* m_pages = nullptr;
    QLineEdit* m_amount = nullptr;
    QSpinBox* m_hours = nullptr;
    QSpinBox* m_minutes = nullptr;
    QPushButton* m_calcular = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_next = nullptr;
    QTableWidget* m_intervals = nullptr;
    QPushButton* m_ok2 = nullptr;
};
