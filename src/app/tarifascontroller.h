#pragma once

#include <QObject>

class ConsoleEngine;

// Puts the tariff, band, voucher and top-up pages into the options window.
// The tariff and band pages edit the engine's tariff cache with the tables.
class TarifasController : public QObject {
    Q_OBJECT
public:
    explicit TarifasController(ConsoleEngine& engine, QObject* parent = nullptr);
};
