#pragma once

#include <QObject>

#include <memory>

class ConsoleEngine;
class TFrmMain;
namespace accounts {
class AccountDecisions;
}

// Puts the customer accounts on the console: the decisions the station
// links ask for (log-in, password change, settlement) and the account
// windows of the main window's menus.
class AccountsController : public QObject {
    Q_OBJECT
public:
    AccountsController(ConsoleEngine& engine, TFrmMain& window, QObject* parent = nullptr);
    ~AccountsController() override;

    accounts::AccountDecisions& decisions() const { return *m_decisions; }

private:
    ConsoleEngine& m_engine;
    TFrmMain& m_window;
    std::unique_ptr<accounts::AccountDecisions> m_decisions;
};
