#pragma once

#include "app/lifecycle.h"
#include "store/operadores.h"
#include "store/rows.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>

class ConsoleEngine;
class QDockWidget;
class StationController;
class TFrmMain;
class TFrmcolamovcuentas;
class TFrmusr;
namespace accounts {
class AccountDecisions;
class MovimientosPendientesModel;
} // namespace accounts

// Puts the customer accounts on the console: the decisions the station
// links ask for (log-in, password change, settlement), the account
// movement queue and the credit entry windows of the main window.
class AccountsController : public QObject, public GridLayoutParticipant {
    Q_OBJECT
public:
    AccountsController(ConsoleEngine& engine, TFrmMain& window, StationController& stations,
                       QObject* parent = nullptr);
    ~AccountsController() override;

    accounts::AccountDecisions& decisions() const { return *m_decisions; }
    TFrmcolamovcuentas* movementQueue() const { return m_queue; }
    TFrmusr* accountsWindow() const { return m_accounts; }

    // The movement queue's and the accounts grid's column widths, and the
    // queue's order (option inf).
    void applyGrids(const store::Grids& grids, const store::Opciones& opciones) override;
    void captureGrids(store::Grids& grids, store::Opciones& opciones) const override;

    // Commands of the accounts window, each under its permission.
    void anadirCuenta();
    // "&2.- Modificar cuenta..." and the grid's double click.
    void modificarCuenta(const QString& login);
    // "&8.- Enviar un e-mail...": the mail program on the accounts' addresses.
    void enviarEmail(const QStringList& logins);
    // Whether the time-code editing window shows this code, for a station's
    // password change (the account window's own check is built in).
    void setCodigoEditingCheck(std::function<bool(const QString& login)> check);
    void eliminarCuenta(const QString& login);
    // "&6.- Imprimir login y password...": the account receipt.
    void imprimirLogin(const QString& login);
    // "&9.- Eliminar cuentas caducadas...", "&1.- Editar tarifas..." and
    // "&2.- Editar tipos de escritorio...": the bulk dialogs.
    void eliminarCaducadas();
    void editarTarifas(const QString& currentLogin, const QStringList& selectedLogins);
    void editarEscritorio(const QStringList& selectedLogins);

    // "&4. - Aumentar crédito (metálico)..." and "&5. - Aumentar crédito (tiempo)..."
    // for the account logged in at the selected station.
    void creditoMetalicoPuesto();
    void creditoTiempoPuesto();
    // The entry windows for an account, under the CUECRE permission.
    void abrirMetalico(const QString& login);
    void abrirTiempo(const QString& login);

signals:
    // A time code's top-up was asked for (its time is sold in the codes' window).
    void codigoTiempoRequested(const QString& login);

private:
    bool permitted(store::Permiso permiso);
    void creditChanged(const store::Cuenta& cuenta);
    void showError(const QString& text);

    ConsoleEngine& m_engine;
    TFrmMain& m_window;
    std::unique_ptr<accounts::AccountDecisions> m_decisions;
    accounts::MovimientosPendientesModel* m_queueModel = nullptr;
    TFrmcolamovcuentas* m_queue = nullptr;
    QDockWidget* m_queueDock = nullptr;
    TFrmusr* m_accounts = nullptr;
    QDockWidget* m_accountsDock = nullptr;
    // The login of the account open in the account window; empty when none.
    QString m_editing;
    std::function<bool(const QString&)> m_codigoEditing;
};
