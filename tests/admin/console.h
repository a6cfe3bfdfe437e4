#pragma once

#include "app/accountscontroller.h"
#include "app/admincontroller.h"
#include "app/frmmain.h"
#include "app/reportscontroller.h"
#include "app/salescontroller.h"
#include "app/sessioncontroller.h"
#include "app/stationcontroller.h"
#include "store/operadores.h"
#include "store/sql.h"
#include "support/scriptedui.h"
#include "support/testengine.h"

#include <memory>

// The demo engine on a main window with the station, session,
// administration, accounts, reports and sales controllers, as the console runs them.
struct AdminConsole : TestEngine {
    explicit AdminConsole(const QString& sql = QString())
        : TestEngine(sql) {
        stations = std::make_unique<StationController>(*engine, window);
        sessions = std::make_unique<SessionController>(*engine, window, *stations);
        admin = std::make_unique<AdminController>(*engine, window, *stations);
        accounts = std::make_unique<AccountsController>(*engine, window, *stations);
        reports = std::make_unique<ReportsController>(context, window);
        sales = std::make_unique<SalesController>(*engine, window, *stations, *sessions);
        window.attachMenu();
        engine->puestos().setSelectedRow(1);
        engine->puestos().RefrescarMenus();
    }
    QSqlDatabase dbh() { return db.data.db(); }

    // An operator with every permission but the ones in without; current from now on.
    void actAs(const QString& name, std::initializer_list<store::Permiso> without = {}) {
        store::run(dbh(), QStringLiteral("DELETE FROM operadores WHERE NOMBRE = ?"), {name});
        store::Operador op;
        op.NOMBRE = name;
        op.PASS = QStringLiteral("pw");
        op.setAll(true);
        for (store::Permiso p : without)
            op.set(p, false);
        store::insertOperador(dbh(), op);
        context.currentOperator = name;
    }

    ScriptedUi ui;
    TFrmMain window;
    std::unique_ptr<StationController> stations;
    std::unique_ptr<SessionController> sessions;
    std::unique_ptr<AdminController> admin;
    std::unique_ptr<AccountsController> accounts;
    std::unique_ptr<ReportsController> reports;
    std::unique_ptr<SalesController> sales;
};
