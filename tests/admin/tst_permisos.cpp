#include "admin/frmopciones.h"
#include "app/codigoscontroller.h"
#include "console.h"
#include "sales/frmconftpv.h"

#include <QAction>
#include <QTest>

#include <functional>
#include <set>

// Every guarded command against the permission table: the operator lacking
// only that permission is refused with his name and the command's text, and
// the same command passes the check when he holds it. A command of a later
// build adds its row here; a row whose command is not built yet is skipped.

namespace {

const QString NoPermiso = QStringLiteral("No tiene permiso de acceso.");
const QString NoPermitida = QStringLiteral("Operación no permitida.");

using P = store::Permiso;
// Runs the command; false when the command is not in this build.
using Trigger = std::function<bool(AdminConsole&)>;

struct Guard {
    const char* command;
    P permiso;
    QString refusal;
    Trigger trigger;
};

// A main-window entry: built when its action is enabled.
Trigger menu(const char* name) {
    return [name](AdminConsole& c) {
        QAction* a = c.window.action(QString::fromLatin1(name));
        if (!a || !a->isEnabled())
            return false;
        a->trigger();
        return true;
    };
}

// A page of the options window, chosen in its tree.
Trigger optionsPage(int entry) {
    return [entry](AdminConsole& c) {
        c.ui.onNextDialog([entry](QDialog* d) {
            if (entry != 0)
                qobject_cast<Tfrmopciones*>(d)->selectEntry(entry);
            return int(QDialog::Rejected);
        });
        c.window.action(QStringLiteral("parametros"))->trigger();
        return true;
    };
}

// A command of the article list, which asks for the permission again: the
// list is opened by an operator who holds it, the command runs for the one
// under test.
Trigger articleList(void (sales::TFrmconftpv::*command)()) {
    return [command](AdminConsole& c) {
        const QString tested = c.context.currentOperator;
        c.context.currentOperator = QStringLiteral("ADMIN");
        c.window.action(QStringLiteral("articulos"))->trigger();
        c.context.currentOperator = tested;
        sales::TFrmconftpv* list = c.sales->articleList();
        if (!list)
            return false;
        (list->*command)();
        return true;
    };
}

// A command of the time codes' window, on a demo code.
Trigger codes(void (CodigosController::*command)(const QString&)) {
    return [command](AdminConsole& c) {
        CodigosController codigos(*c.engine, c.window, *c.accounts);
        (codigos.*command)(QStringLiteral("90001"));
        return true;
    };
}

const std::vector<Guard>& guards() {
    static const std::vector<Guard> table{
        {"&1.- Puestos...", P::CONFPUE, NoPermiso, menu("configPuestos")},
        {"Tarifas", P::CONFTAR, NoPermitida, optionsPage(4)},
        {"Franjas horarias", P::CONFFRA, NoPermiso, optionsPage(5)},
        {"Bonos tiempo", P::CONFBON, NoPermitida, optionsPage(6)},
        {"Recargas metálico", P::CONFBON, NoPermitida, optionsPage(7)},
        {"&3.- Artículos TPV...", P::CONFTPV, NoPermiso, menu("articulos")},
        {"&1.- Añadir artículo...", P::CONFTPV, NoPermiso, articleList(&sales::TFrmconftpv::anadir)},
        {"&2.- Modificar artículo...", P::CONFTPV, NoPermiso, articleList(&sales::TFrmconftpv::modificar)},
        {"&3.- Eliminar artículo...", P::CONFTPV, NoPermiso, articleList(&sales::TFrmconftpv::eliminar)},
        {"&1.- Editar impuestos ...", P::CONFTPV, NoPermitida,
         articleList(&sales::TFrmconftpv::editarImpuestos)},
        {"Tickets", P::CONFTIC, NoPermitida, optionsPage(8)},
        {"Turnos caja", P::CONFTUR, NoPermitida, optionsPage(10)},
        {"Opciones Generales", P::CONFOP, NoPermitida, optionsPage(0)},
        {"Alta Cuentas Usuario", P::CONFOP, NoPermitida, optionsPage(1)},
        {"Alta Códigos Tiempo", P::CONFOP, NoPermitida, optionsPage(2)},
        {"Apertura puestos", P::CONFOP, NoPermitida, optionsPage(3)},
        {"&1.- Añadir cuenta...", P::CUEADD, NoPermitida,
         [](AdminConsole& c) { return c.accounts->anadirCuenta(), true; }},
        {"&1.- Vender código...", P::CUEADD, NoPermitida,
         [](AdminConsole& c) {
             CodigosController codigos(*c.engine, c.window, *c.accounts);
             return codigos.venderCodigo(), true;
         }},
        {"&2.- Modificar cuenta...", P::CUEMOD, NoPermitida,
         [](AdminConsole& c) { return c.accounts->modificarCuenta(QStringLiteral("10001")), true; }},
        {"&2.- Editar tipos de escritorio... (cuentas)", P::CUEMOD, NoPermitida,
         [](AdminConsole& c) { return c.accounts->editarEscritorio({QStringLiteral("10001")}), true; }},
        {"&2.- Modificar código", P::CUEMOD, NoPermitida, codes(&CodigosController::modificarCodigo)},
        {"&1.- Editar tipos de escritorio... (códigos)", P::CUEMOD, NoPermitida,
         [](AdminConsole& c) {
             CodigosController codigos(*c.engine, c.window, *c.accounts);
             return codigos.escritorio({QStringLiteral("90001")}), true;
         }},
        {"&3.- Eliminar cuenta...", P::CUEELI, NoPermitida,
         [](AdminConsole& c) { return c.accounts->eliminarCuenta(QStringLiteral("10001")), true; }},
        {"&9.- Eliminar cuentas caducadas...", P::CUEELI, NoPermitida,
         [](AdminConsole& c) { return c.accounts->eliminarCaducadas(), true; }},
        {"&3.- Eliminar código...", P::CUEELI, QStringLiteral("Operación no permitida"),
         codes(&CodigosController::eliminarCodigo)},
        {"&7.- Eliminar códigos caducados...", P::CUEELI, QStringLiteral("Operación no permitida"),
         [](AdminConsole& c) {
             CodigosController codigos(*c.engine, c.window, *c.accounts);
             return codigos.caducados(), true;
         }},
        {"&4.- Crédito en metálico..", P::CUECRE, NoPermitida,
         [](AdminConsole& c) { return c.accounts->abrirMetalico(QStringLiteral("10001")), true; }},
        {"&5.- Crédito de tiempo...", P::CUECRE, NoPermitida,
         [](AdminConsole& c) { return c.accounts->abrirTiempo(QStringLiteral("10004")), true; }},
        {"&4.- Aumentar tiempo disponible...", P::CUECRE, NoPermitida,
         codes(&CodigosController::aumentarTiempo)},
        {"&1.- Editar tarifas...", P::CUETAR, NoPermitida,
         [](AdminConsole& c) {
             return c.accounts->editarTarifas(QStringLiteral("10001"), {QStringLiteral("10001")}), true;
         }},
        {"&1.- Cerrar sesión...", P::APAGA1, NoPermitida,
         [](AdminConsole& c) { return c.stations->apagar(0), true; }},
        {"&2.- Apagar equipo...", P::APAGA2, NoPermitida,
         [](AdminConsole& c) { return c.stations->apagar(1), true; }},
        {"&3.- Reiniciar...", P::APAGA3, NoPermitida,
         [](AdminConsole& c) { return c.stations->apagar(2), true; }},
        {"&4.- Finalizar Velkar ...", P::APAGA4, NoPermitida,
         [](AdminConsole& c) { return c.stations->apagar(3), true; }},
        {"&8. - Apagar todos los puestos", P::APAGATODOS, NoPermitida,
         [](AdminConsole& c) { return c.stations->apagarTodos(), true; }},
        {"&9. - Desactiva Puesto", P::DESACTIVA, NoPermiso,
         [](AdminConsole& c) { return c.stations->desactivar(), true; }},
        {"&0. -Activa Puesto", P::ACTIVA, NoPermiso,
         [](AdminConsole& c) { return c.stations->activar(), true; }},
        {"&T .- Venta TPV...", P::VENTATPV, NoPermitida, menu("ventaTpv")},
        {"&M.- Modificar ticket en puesto...", P::VENTATPV, NoPermitida, menu("modificarTicket")},
        {"&1.- Tickets...", P::LISTADO1, NoPermitida, menu("listadoTickets")},
        {"&2.- Actividad puestos...", P::LISTADO2, NoPermitida, menu("listadoActividad")},
        {"&3.- Cuentas de clientes...", P::LISTADO3, NoPermitida, menu("listadoCuentas")},
        {"&4.- Movimientos cuentas...", P::LISTADO4, NoPermitida, menu("listadoMovimientos")},
        {"&1.- Caja diaria...", P::INFORME1, NoPermitida, menu("cajaDiaria")},
        {"&2.- Estadística de clientes...", P::INFORME2, NoPermitida, menu("estadClientes")},
        {"3.- Estadística de puestos...", P::INFORME3, NoPermitida, menu("estadPuestos")},
        {"&4.- Ventas de artículos ...", P::INFORME4, NoPermitida, menu("ventasArticulos")},
        {"&5.- Ventas de bonos ...", P::INFORME5, NoPermitida, menu("ventasBonos")},
        {"&5.- Registro de auditoría...", P::AUDITORIA, NoPermitida, menu("auditoria")},
        {"I.V.A. / Tasas", P::CONFIMP, NoPermiso, optionsPage(9)},
        {"Configuración de Logs", P::CONFLOGS, NoPermitida, optionsPage(11)},
        {"Servidor de Logs", P::CONFLOGS, NoPermitida, optionsPage(12)},
        {"Servidor de Informes", P::CONFLOGS, NoPermitida, optionsPage(13)},
        {"&6.- Imprimir login y password... (cuentas)", P::IMPLOGPAS, NoPermitida,
         [](AdminConsole& c) { return c.accounts->imprimirLogin(QStringLiteral("10001")), true; }},
        {"&5.- Imprimir login y password... (códigos)", P::IMPLOGPAS_1, NoPermitida,
         codes(&CodigosController::imprimirLogin)},
        // No message: the dates are greyed in the edit dialogs.
        {"Fechas de alta y última visita", P::MODFECHACAD, QString(),
         [](AdminConsole& c) { return c.accounts->modificarCuenta(QStringLiteral("10001")), true; }},
    };
    return table;
}

QString refusalOf(const QString& op, const QString& text) {
    return op + QStringLiteral(":\r\r") + text;
}

} // namespace

class TestPermisos : public QObject {
    Q_OBJECT
private slots:
    void everyPermissionHasACommand();
    void guardedCommands_data();
    void guardedCommands();
};

void TestPermisos::everyPermissionHasACommand() {
    std::set<int> covered;
    for (const Guard& g : guards())
        covered.insert(int(g.permiso));
    // Web access guards the owner's view in a browser, not a console command.
    QVERIFY(!covered.count(int(store::Permiso::ACCESOWEB)));
    QCOMPARE(int(covered.size()), store::PermisoCount - 1);
}

void TestPermisos::guardedCommands_data() {
    QTest::addColumn<int>("index");
    for (size_t i = 0; i < guards().size(); ++i)
        QTest::newRow(guards()[i].command) << int(i);
}

void TestPermisos::guardedCommands() {
    QFETCH(int, index);
    const Guard& g = guards()[size_t(index)];
    if (g.refusal.isEmpty())
        QSKIP("this permission greys fields instead of refusing");
    {
        AdminConsole c;
        c.actAs(QStringLiteral("ana"), {g.permiso});
        if (!g.trigger(c))
            QSKIP("command not in this build yet");
        QVERIFY2(c.ui.messageTexts().contains(refusalOf(QStringLiteral("ana"), g.refusal)),
                 qPrintable(c.ui.messageTexts().join(QLatin1String(" | "))));
    }
    {
        // Holding it, the same operator is not refused.
        AdminConsole c;
        c.actAs(QStringLiteral("ana"));
        g.trigger(c);
        for (const QString& text : c.ui.messageTexts())
            QVERIFY2(!text.startsWith(QStringLiteral("ana:")), qPrintable(text));
    }
}

QTEST_MAIN(TestPermisos)
#include "tst_permisos.moc"
