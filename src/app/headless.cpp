#include "app/headless.h"

#include "accounts/accountdecisions.h"
#include "app/commandline.h"
#include "app/configini.h"
#include "app/paths.h"
#include "app/stopsignals.h"
#include "core/consolecontext.h"
#include "session/engine.h"
#include "station/filelimit.h"
#include "store/datamodule.h"
#include "store/engine.h"
#include "store/opciones.h"
#include "store/schemaupdates.h"
#include "store/sql.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTextStream>
#include <QTimer>

#include <cstdio>

namespace app {

namespace {

QString numbers(const QList<int>& list) {
    QStringList parts;
    for (int n : list)
        parts << QString::number(n);
    return parts.join(QLatin1Char(' '));
}

} // namespace

int runHeadless(const CommandLine& cl) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    const auto say = [&out](const QString& line) {
        out << line << '\n';
        out.flush();
    };
    const Paths paths = Paths::forConsole(cl.home);
    const ConfigIni config(paths.configIni());
    if (!cl.console.isEmpty()) {
        if (const Status written = config.writeConsoleName(cl.console); !written) {
            err << "quintor: " << written.error() << '\n';
            return 1;
        }
    }
    QString where = cl.database.trimmed();
    if (where.isEmpty())
        where = paths.databaseFile(config.databaseId());

    TDataModule1 data;
    ConsoleContext context;
    context.data = &data;
    context.consoleName = config.consoleName();
    context.currentOperator = QStringLiteral("ADMIN");
    if (const Status opened = data.open(where, store::serverPassword(where)); !opened) {
        err << "quintor: " << opened.error() << '\n';
        return 1;
    }
    if (const Status updated = store::applySchemaUpdates(data.db()); !updated) {
        err << "quintor: " << updated.error() << '\n';
        return 1;
    }
    try {
        context.settings = store::runtimeSettings(store::readOpciones(data.db()));
    } catch (const store::DatabaseError& e) {
        err << "quintor: " << e.text() << '\n';
        return 1;
    }

    station::raiseOpenFileLimit();
    ConsoleEngine engine(context);
    accounts::AccountDecisions decisions(
        context, engine.tarifas(), engine.puestos().loginsInUse(),
        [&engine](const station::MessageQueueRow& row) { engine.mensajes().append(row); });
    engine.setAccountDecisions(&decisions);
    session::ConsoleLease& lease = engine.consola();
    if (const Status registered = lease.registrar(); !registered) {
        err << "quintor: " << registered.error() << '\n';
        return 3;
    }
    if (const Status tariffs = engine.cargarTarifas(); !tariffs)
        err << "quintor: " << tariffs.error() << '\n';
    ListaPuestos& puestos = engine.puestos();
    if (const Status loaded = puestos.CargarPuestos(); !loaded) {
        err << "quintor: " << loaded.error() << '\n';
        return 1;
    }
    QObject::connect(&lease, &session::ConsoleLease::taken, &engine,
                     [&](const QString& from, const QList<int>& list) {
                         say(QStringLiteral("tomados %1: %2")
                                 .arg(from.isEmpty() ? QStringLiteral("-") : from, numbers(list)));
                     });
    QObject::connect(&lease, &session::ConsoleLease::lost, &engine,
                     [&](const QList<int>& list) { say(QStringLiteral("perdidos: ") + numbers(list)); });
    QObject::connect(&lease, &session::ConsoleLease::fencedChanged, &engine, [&](bool fenced) {
        say(fenced ? QStringLiteral("aislada") : QStringLiteral("reanudada"));
    });
    QObject::connect(&engine, &ConsoleEngine::fatalError, &engine, [&](const QString& error) {
        err << "quintor: " << error << '\n';
        QCoreApplication::exit(4);
    });

    const std::unique_ptr<QSocketNotifier> stop = quitOnStopSignals();
    if (!stop)
        return 1;

    puestos.startAll();
    engine.reloj().start();
    puestos.startPeriodicSave();
    engine.conexion().start();
    lease.start();
    engine.cambios().start();
    say(QStringLiteral("lista %1: %2").arg(context.consoleName).arg(puestos.count()));
    // QUINTOR_HEADLESS_FIGURES=N: the clock's ticks every N seconds, for benchmarks.
    QTimer figures;
    if (const int every = qEnvironmentVariableIntValue("QUINTOR_HEADLESS_FIGURES"); every > 0) {
        QObject::connect(&figures, &QTimer::timeout, &engine, [&] {
            const session::StationClock::TickFigures f = engine.reloj().takeTickFigures();
            say(QStringLiteral("reloj %1 %2 %3 %4")
                    .arg(f.ticks)
                    .arg(f.ticks ? f.totalMs / f.ticks : 0.0, 0, 'f', 3)
                    .arg(f.maxMs, 0, 'f', 3)
                    .arg(puestos.count()));
        });
        figures.start(every * 1000);
    }

    const int code = QCoreApplication::exec();

    // The end of the console: what ended is booked, every row saved, the
    // name given back; what fails stays running for the next start.
    engine.reloj().stop();
    puestos.stopPeriodicSave();
    try {
        engine.liquidarPendientes();
    } catch (const store::DatabaseError& e) {
        err << "quintor: " << e.text() << '\n';
    }
    if (const Status saved = puestos.GuardarPuestos(); !saved)
        err << "quintor: " << saved.error() << '\n';
    lease.stop(true);
    puestos.stopAll();
    say(QStringLiteral("fin"));
    return code;
}

} // namespace app
