#include "app/accountscontroller.h"

#include "accounts/accountdecisions.h"
#include "app/frmmain.h"
#include "session/engine.h"

AccountsController::AccountsController(ConsoleEngine& engine, TFrmMain& window, QObject* parent)
    : QObject(parent)
    , m_engine(engine)
    , m_window(window) {
    m_decisions = std::make_unique<accounts::AccountDecisions>(
        engine.context(), engine.tarifas(), engine.puestos().loginsInUse(),
        [this](const station::MessageQueueRow& row) { m_engine.mensajes().append(row); });
    engine.setAccountDecisions(m_decisions.get());
}

// Built after the engine and gone before it, so the engine never holds a
// dangling decisions object.
AccountsController::~AccountsController() = default;
