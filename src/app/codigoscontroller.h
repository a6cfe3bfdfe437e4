#pragma once

#include "app/lifecycle.h"
#include "store/operadores.h"
#include "store/rows.h"

#include <QObject>
#include <QStringList>

class AccountsController;
class ConsoleEngine;
class QDockWidget;
class StationController;
class TFrmMain;
class TFrmcodigos;

// Puts the time codes on the console: the codes window with its commands,
// each under its permission, the sale and top-up window, and the top-up of
// a code from the main window and the movement queue.
class CodigosController : public QObject, public GridLayoutParticipant {
    Q_OBJECT
public:
    CodigosController(ConsoleEngine& engine, TFrmMain& window, AccountsController& accounts,
                      QObject* parent = nullptr);

    TFrmcodigos* codesWindow() const { return m_codes; }

    // The codes grid's column widths.
    void applyGrids(const store::Grids& grids, const store::Opciones& opciones) override;
    void captureGrids(store::Grids& grids, store::Opciones& opciones) const override;

    // The commands of the codes window.
    void venderCodigo();
    void modificarCodigo(const QString& login);
    void eliminarCodigo(const QString& login);
    void aumentarTiempo(const QString& login);
    void imprimirLogin(const QString& login);
    void buscar();
    void caducados();
    void escritorio(const QStringList& logins);

private:
    // refusal: the text shown when the permission is missing; empty for the
    // common one of the permission.
    bool permitted(store::Permiso permiso, const QString& refusal = QString());
    void salesBooked();

    ConsoleEngine& m_engine;
    TFrmMain& m_window;
    AccountsController& m_accounts;
    TFrmcodigos* m_codes = nullptr;
    QDockWidget* m_dock = nullptr;
    QString m_editing; // the code open in the modify window
};
