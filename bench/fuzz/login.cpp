// A station's log-in and password lines, decided against the demo database
// as the console decides them: whatever a station sends, the decision must
// neither crash nor leak, nor accept a log-in it did not check. Input: one
// byte of flags, then the request (login, tab, password) in the stations'
// code page; with flag 1 the rest after a 0x1E is a new password to set.
#include "fuzzdemo.h"

#include "accounts/accountdecisions.h"
#include "core/consolecontext.h"
#include "session/engine.h"
#include "station/wirecodec.h"
#include "station/wireformat.h"
#include "store/datamodule.h"
#include "store/newdatabase.h"
#include "store/opciones.h"
#include "store/sql.h"
#include "store/transaction.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

struct World {
    fuzz::DemoDatabase demo;
    TDataModule1& data = demo.data;
    ConsoleContext context;
    std::unique_ptr<ConsoleEngine> engine;
    std::unique_ptr<accounts::AccountDecisions> decisions;
    FakeClock clock;
};

World* g_world = nullptr;
using fuzz::check;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    auto* w = new World;
    w->clock.setNow(QDateTime(QDate(2026, 3, 10), QTime(11, 0)));
    w->context.data = &w->data;
    w->context.clock = &w->clock;
    w->context.regional = Regional::spanishSpain();
    w->context.settings = store::runtimeSettings(store::readOpciones(w->data.db()));
    w->engine = std::make_unique<ConsoleEngine>(w->context);
    check(w->engine->cargarTarifas() && w->engine->puestos().CargarPuestos(nullptr));
    w->decisions = std::make_unique<accounts::AccountDecisions>(w->context, w->engine->tarifas(),
                                                                w->engine->puestos().loginsInUse(),
                                                                accounts::AccountDecisions::MessageSink());
    g_world = w;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    World& w = *g_world;
    const QSqlDatabase db = w.data.db();
    const QByteArray rest(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const qsizetype split = rest.indexOf('\x1e');
    const QString request = station::fromWindows1252(split < 0 ? rest : rest.left(split));
    const QString newPassword = split < 0 ? QString() : station::fromWindows1252(rest.mid(split + 1));

    // Every input starts from the same database.
    store::Transaction tx(db);
    station::StationRecord rec;
    const int code = w.decisions->checkLogin(rec, request);
    if (code == accounts::codigo::Aceptado) {
        // Accepted only with the row's own password, typed exactly.
        const QString login = station::loginFromRequest(request);
        const QVariant stored =
            store::scalar(db, QStringLiteral("SELECT Pass FROM cuentas WHERE Login = ?"), {QVariant(login)});
        check(stored.isValid() && stored.toString() == station::passwordFromRequest(request));
        check(!rec.accountLogin.isEmpty() && rec.accountLogin.size() <= accounts::MaxLoginLength);
    }
    if (data[0] & 1) {
        const QString login = code == accounts::codigo::NuevaClave ? rec.firstPasswordLogin
                                                                   : station::loginFromRequest(request);
        const QString result = w.decisions->ChangeStationPassword(login, newPassword);
        check(result == QLatin1String("0") || result == QLatin1String("1"));
        if (result == QLatin1String("1"))
            check(newPassword.size() <= accounts::MaxLoginLength);
    }
    return 0;
}
