#include "admin/frmpuestos.h"
#include "admin/opcionesrules.h"
#include "admin/puestosconfig.h"
#include "console.h"
#include "station/fakestation.h"
#include "store/opciones.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

using station::Estado;

Q_DECLARE_METATYPE(admin::PuestoForm)

namespace {

constexpr int Program = 73;

admin::PuestoForm ipForm(bool adding, const QString& number, const QString& address) {
    admin::PuestoForm f;
    f.adding = adding;
    f.number = number;
    const QStringList parts = address.split(QLatin1Char('.'));
    for (int i = 0; i < 4; ++i)
        f.ipParts[size_t(i)] = i < parts.size() ? parts.at(i) : QString();
    return f;
}

admin::PuestoForm hostForm(bool adding, const QString& number, const QString& host) {
    admin::PuestoForm f;
    f.adding = adding;
    f.byHost = true;
    f.number = number;
    f.host = host;
    return f;
}

// A running console whose stations are FakeStations on loopback.
struct LiveRoom {
    LiveRoom() {
        store::run(db.data.db(), QStringLiteral("DELETE FROM puestos"));
        context.data = &db.data;
        context.regional = Regional::spanishSpain();
        context.currentOperator = QStringLiteral("ADMIN");
        context.settings.pollIntervalMs = PollMs;
        engine = std::make_unique<ConsoleEngine>(context);
    }
    FakeStation& station() {
        auto s = std::make_unique<FakeStation>();
        const QHostAddress address = nextTestAddress(Program);
        if (port == 0) {
            FakeStation probe;
            if (!probe.listen(address, 0))
                qFatal("cannot listen on %s", qPrintable(address.toString()));
            port = probe.port();
            probe.stopListening();
            engine->puestos().linkEnvironment().port = port;
        }
        s->setAddress(address);
        if (!s->listenAt(port))
            qFatal("cannot listen");
        stations.push_back(std::move(s));
        return *stations.back();
    }
    static constexpr int PollMs = 300;
    TestDatabase db{true};
    ConsoleContext context;
    std::unique_ptr<ConsoleEngine> engine;
    std::vector<std::unique_ptr<FakeStation>> stations;
    quint16 port = 0;
};

// Lines the station receives in the next waitMs.
int linesDuring(FakeStation& s, int waitMs) {
    const int before = int(s.lines.size());
    QTest::qWait(waitMs);
    return int(s.lines.size()) - before;
}

} // namespace

class TestConfPuestos : public QObject {
    Q_OBJECT
private slots:
    void checksInOrder_data();
    void checksInOrder();
    void ipPartsAdvance();
    void liveRegistryFollows();
    void pollIntervalFollowsTheOptions();
    void busyStationsRefusedOrDeferred();
    void identificationSwitchShowsTheNote();
    void stationsOfSeveralConsoles();
};

void TestConfPuestos::checksInOrder_data() {
    QTest::addColumn<admin::PuestoForm>("form");
    QTest::addColumn<QString>("message");
    const QString ok;
    QTest::newRow("empty number") << ipForm(true, QString(), QStringLiteral("1.2.3.4"))
                                  << QStringLiteral("Es necesario introducir el número de puesto");
    QTest::newRow("number 0") << ipForm(true, QStringLiteral("0"), QStringLiteral("1.2.3.4"))
                              << QStringLiteral("El número de puesto debe estar entre 1 y 9999");
    QTest::newRow("number 10000") << ipForm(true, QStringLiteral("10000"), QStringLiteral("1.2.3.4"))
                                  << QStringLiteral("El número de puesto debe estar entre 1 y 9999");
    QTest::newRow("duplicate 5") << ipForm(true, QStringLiteral("5"), QStringLiteral("1.2.3.4"))
                                 << QStringLiteral("Número de puesto duplicado");
    QTest::newRow("part over 255") << ipForm(true, QStringLiteral("9"), QStringLiteral("192.168.0.300"))
                                   << QStringLiteral("Rango de IP no válido");
    QTest::newRow("letters") << ipForm(true, QStringLiteral("9"), QStringLiteral("192.168.x.1"))
                             << QStringLiteral("Dirección IP no válida");
    QTest::newRow("minus") << ipForm(true, QStringLiteral("9"), QStringLiteral("192.-1.0.1"))
                           << QStringLiteral("Dirección IP no válida");
    QTest::newRow("quote in a part") << ipForm(true, QStringLiteral("9"),
                                               QStringLiteral("1\" OR \"1\"=\"1.2.3.4"))
                                     << QStringLiteral("Dirección IP no válida");
    QTest::newRow("empty third part") << ipForm(true, QStringLiteral("9"), QStringLiteral("192.168..1"))
                                      << QStringLiteral("Es necesario necesario completar la direción IP.");
    QTest::newRow("blank part, letters later")
        << ipForm(true, QStringLiteral("9"), QStringLiteral("x. .1.1"))
        << QStringLiteral("Es necesario necesario completar la direción IP.");
    QTest::newRow("duplicate address") << ipForm(true, QStringLiteral("9"), QStringLiteral("127.0.1.3"))
                                       << QStringLiteral("Dirección IP duplicada");
    QTest::newRow("duplicate, leading zeros")
        << ipForm(true, QStringLiteral("9"), QStringLiteral("127.0.001.3"))
        << QStringLiteral("Dirección IP duplicada");
    QTest::newRow("changed, address kept")
        << ipForm(false, QStringLiteral("3"), QStringLiteral("127.0.1.3")) << ok;
    QTest::newRow("changed to another's") << ipForm(false, QStringLiteral("3"), QStringLiteral("127.0.1.4"))
                                          << QStringLiteral("Dirección IP duplicada");
    QTest::newRow("new address") << ipForm(true, QStringLiteral("9"), QStringLiteral(" 10.0.0.9 ")) << ok;
    QTest::newRow("empty host") << hostForm(true, QStringLiteral("9"), QStringLiteral("  "))
                                << QStringLiteral("Es necesario introducir el nombre del host.");
    QTest::newRow("host of 17") << hostForm(true, QStringLiteral("9"), QStringLiteral("PUESTO-DEL-FONDO1"))
                                << QStringLiteral("El nombre del host no puede tener más de 16 caracteres.");
    QTest::newRow("host of 16") << hostForm(true, QStringLiteral("9"), QStringLiteral("PUESTO-DEL-FONDO"))
                                << ok;
    QTest::newRow("duplicate host, other case")
        << hostForm(true, QStringLiteral("9"), QStringLiteral("puesto2"))
        << QStringLiteral("Nombre de Host duplicado");
    QTest::newRow("changed, host kept")
        << hostForm(false, QStringLiteral("2"), QStringLiteral("PUESTO2")) << ok;
    QTest::newRow("quote in host") << hostForm(true, QStringLiteral("9"), QStringLiteral("x\" or \"1\"=\"1"))
                                   << ok;
}

void TestConfPuestos::checksInOrder() {
    QFETCH(admin::PuestoForm, form);
    QFETCH(QString, message);
    AdminConsole c;
    admin::ConfiguracionPuestos config(c.dbh(), c.engine->puestos(), c.engine->reloj());
    const int rows = store::toInt(store::scalar(c.dbh(), QStringLiteral("SELECT COUNT(*) FROM puestos")));
    TFrmParamPuesto dialog(config, form.byHost);
    if (form.adding)
        dialog.prepareAdd();
    else
        dialog.prepareChange(form.number.toInt(), {0, 0, 0, 0}, QString(), 100);
    dialog.numberEdit()->setText(form.number);
    for (int i = 0; i < 4; ++i)
        dialog.ipEdit(i)->setText(form.ipParts[size_t(i)]);
    dialog.hostEdit()->setText(form.host);
    dialog.accept();
    QCOMPARE(c.ui.messageTexts(), message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(dialog.result(), message.isEmpty() ? int(QDialog::Accepted) : int(QDialog::Rejected));
    const int after = store::toInt(store::scalar(c.dbh(), QStringLiteral("SELECT COUNT(*) FROM puestos")));
    QCOMPARE(after, rows + (message.isEmpty() && form.adding ? 1 : 0));
    if (message.isEmpty() && form.adding)
        QVERIFY(c.engine->puestos().byNumber(9));
}

void TestConfPuestos::ipPartsAdvance() {
    {
        // The fields take three digits; a fourth pasted in is refused, not cut.
        AdminConsole c;
        const admin::PuestoCheck check = admin::comprobarPuesto(
            c.dbh(), ipForm(true, QStringLiteral("9"), QStringLiteral("1921.168.0.3")));
        QCOMPARE(check.messageKey, QStringLiteral("IpRango"));
        QCOMPARE(check.field, QStringLiteral("ip1"));
    }
    AdminConsole c;
    admin::ConfiguracionPuestos config(c.dbh(), c.engine->puestos(), c.engine->reloj());
    TFrmParamPuesto dialog(config, false);
    dialog.prepareAdd();
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    dialog.ipEdit(0)->setFocus();
    QTest::keyClicks(dialog.ipEdit(0), QStringLiteral("192"));
    QCOMPARE(QApplication::focusWidget(), dialog.ipEdit(1));
    QTest::keyClicks(dialog.ipEdit(1), QStringLiteral("16"));
    QCOMPARE(QApplication::focusWidget(), dialog.ipEdit(1));
    QTest::keyClicks(dialog.ipEdit(1), QStringLiteral("8"));
    QTest::keyClicks(dialog.ipEdit(2), QStringLiteral("1"));
    dialog.ipEdit(3)->setFocus();
    QTest::keyClicks(dialog.ipEdit(3), QStringLiteral("254"));
    QVERIFY(QApplication::focusWidget() == dialog.priceEdit() ||
            QApplication::focusWidget()->parent() == dialog.priceEdit());
    QCOMPARE(dialog.priceEdit()->value(), 100);
}

void TestConfPuestos::liveRegistryFollows() {
    LiveRoom room;
    FakeStation& first = room.station();
    store::run(room.db.data.db(),
               QStringLiteral("INSERT INTO puestos (npuesto, ip, ip1, ip2, ip3, ip4, preciorel) VALUES (1, "
                              "?, 0, 0, 0, 0, 100)"),
               {first.address().toString()});
    ListaPuestos& puestos = room.engine->puestos();
    QVERIFY(room.engine->cargarTarifas());
    QVERIFY(puestos.CargarPuestos(nullptr));
    puestos.startAll();
    room.engine->reloj().start();
    puestos.startPeriodicSave();
    QTRY_VERIFY_WITH_TIMEOUT(!first.lines.isEmpty(), 5000);
    admin::ConfiguracionPuestos config(room.db.data.db(), puestos, room.engine->reloj());

    // Added: polled within two intervals, no restart.
    FakeStation& added = room.station();
    auto saved = config.guardar(ipForm(true, QStringLiteral("9"), added.address().toString()));
    QVERIFY2(saved.ok(), qPrintable(saved.error()));
    QVERIFY(saved->check.ok());
    QCOMPARE(saved->efecto, admin::EfectoPuesto::Added);
    QCOMPARE(puestos.count(), 2);
    QCOMPARE(puestos.at(1).number, 9);
    QTRY_VERIFY_WITH_TIMEOUT(!added.lines.isEmpty(), 2 * LiveRoom::PollMs + 200);
    QVERIFY(room.engine->reloj().isActive());
    QVERIFY(puestos.periodicSaveActive());

    // Changed while free: the link moves to the new address.
    FakeStation& moved = room.station();
    saved = config.guardar(ipForm(false, QStringLiteral("9"), moved.address().toString()));
    QVERIFY(saved.ok() && saved->check.ok());
    QCOMPARE(saved->efecto, admin::EfectoPuesto::Reloaded);
    QCOMPARE(puestos.byNumber(9)->address, moved.address().toString());
    QTRY_VERIFY_WITH_TIMEOUT(!moved.lines.isEmpty(), 2 * LiveRoom::PollMs + 200);
    added.stopListening();
    QCOMPARE(linesDuring(added, 3 * LiveRoom::PollMs), 0);

    // Removed: the link stops and the station leaves the grid.
    QVERIFY(config.eliminar(9));
    QCOMPARE(puestos.count(), 1);
    QVERIFY(!puestos.byNumber(9));
    QCOMPARE(linesDuring(moved, 3 * LiveRoom::PollMs), 0);
    QVERIFY(linesDuring(first, 3 * LiveRoom::PollMs) > 0);
    QCOMPARE(store::toInt(store::scalar(room.db.data.db(),
                                        QStringLiteral("SELECT COUNT(*) FROM puestos WHERE npuesto = 9"))),
             0);
    puestos.stopAll();
}

void TestConfPuestos::pollIntervalFollowsTheOptions() {
    LiveRoom room;
    FakeStation& s = room.station();
    store::run(room.db.data.db(),
               QStringLiteral("INSERT INTO puestos (npuesto, ip, ip1, ip2, ip3, ip4, preciorel) VALUES (1, "
                              "?, 0, 0, 0, 0, 100)"),
               {s.address().toString()});
    ListaPuestos& puestos = room.engine->puestos();
    QVERIFY(puestos.CargarPuestos(nullptr));
    puestos.startAll();
    QTRY_VERIFY_WITH_TIMEOUT(!s.lines.isEmpty(), 5000);
    QVERIFY(linesDuring(s, 1500) >= 3);
    // "Aplicar" with a ping of 1 s: the running link sleeps longer from its next sleep.
    store::Opciones o = store::readOpciones(room.db.data.db());
    o.ping = 1;
    const auto applied = admin::aplicarOpciones(room.db.data.db(), o, store::readWebConfig(room.db.data.db()),
                                                o.NUM_TICK + 1, room.context.settings, QString());
    QVERIFY(applied.ok() && applied->check.ok());
    QCOMPARE(room.context.settings.pollIntervalMs, 1000);
    QTest::qWait(LiveRoom::PollMs + 100);
    QVERIFY(linesDuring(s, 2000) <= 3);
    puestos.stopAll();
}

void TestConfPuestos::busyStationsRefusedOrDeferred() {
    AdminConsole c;
    ListaPuestos& puestos = c.engine->puestos();
    TFrmConfPuestos window(c.context, c.admin->configuracion(), puestos, [] { return true; });
    QCOMPARE(window.grid()->rowCount(), 8);
    c.rec(3).estado = Estado::Contador;
    window.setCurrentRow(2);
    window.modificar();
    window.eliminar();
    QCOMPARE(c.ui.messageTexts(), (QStringList{QStringLiteral("Para modificar un puesto debe estar libre."),
                                               QStringLiteral("Para eliminar un puesto debe estar libre.")}));
    QVERIFY(c.ui.dialogNames().isEmpty());

    // Busy after the dialog opened: saved, the running station keeps its address.
    c.ui.clear();
    c.rec(3).estado = Estado::Libre;
    c.ui.onNextDialog([&c](QDialog* d) {
        auto* dialog = qobject_cast<TFrmParamPuesto*>(d);
        c.rec(3).estado = Estado::Prepago;
        dialog->ipEdit(3)->setText(QStringLiteral("33"));
        dialog->priceEdit()->setValue(0);
        dialog->accept();
        return dialog->result();
    });
    window.modificar();
    QCOMPARE(c.ui.messageTexts(),
             QStringList{QStringLiteral(
                 "El puesto está ocupado. Sus cambios se tendrán en cuenta cuando renicie Quintor.")});
    QCOMPARE(puestos.byNumber(3)->address, QStringLiteral("127.0.1.3"));
    const auto row = store::selectOne<store::Puesto>(c.dbh(), QStringLiteral("WHERE npuesto = 3"));
    QCOMPARE(row->ip, QStringLiteral("127.0.1.33"));
    QCOMPARE(row->ip4, 33);
    QCOMPARE(row->preciorel, 0);

    // A free station is deleted after the question.
    c.ui.clear();
    window.setCurrentRow(0);
    c.ui.answerNext(ui::Answer::No);
    window.eliminar();
    QVERIFY(puestos.byNumber(1));
    c.ui.answerNext(ui::Answer::Yes);
    window.eliminar();
    QCOMPARE(c.ui.messageTexts(), (QStringList{QStringLiteral("Se eliminará el puesto\r¿ Continuar?"),
                                               QStringLiteral("Se eliminará el puesto\r¿ Continuar?")}));
    QVERIFY(!puestos.byNumber(1));
    QCOMPARE(window.grid()->rowCount(), 7);
}

void TestConfPuestos::identificationSwitchShowsTheNote() {
    AdminConsole c;
    c.context.currentOperator = QStringLiteral("ADMIN");
    // Unchanged: nothing to say.
    c.ui.onNextDialog([](QDialog* d) {
        d->accept();
        return d->result();
    });
    c.window.action(QStringLiteral("configPuestos"))->trigger();
    QCOMPARE(c.ui.dialogNames(), QStringList{QStringLiteral("TFrmConfPuestos")});
    QVERIFY(!c.admin->restartNote());
    QVERIFY(!store::readOpciones(c.dbh()).Host);

    c.ui.onNextDialog([](QDialog* d) {
        auto* window = qobject_cast<TFrmConfPuestos*>(d);
        if (window->grid()->horizontalHeaderItem(1)->text() != QLatin1String("IP"))
            return int(QDialog::Rejected);
        window->identification()->setCurrentIndex(0);
        if (window->grid()->horizontalHeaderItem(1)->text() != QLatin1String("Host") ||
            window->grid()->item(1, 1)->text() != QLatin1String("PUESTO2"))
            return int(QDialog::Rejected);
        d->accept();
        return d->result();
    });
    c.window.action(QStringLiteral("configPuestos"))->trigger();
    QVERIFY(store::readOpciones(c.dbh()).Host);
    QVERIFY(c.admin->restartNote());
    QCOMPARE(c.admin->restartNote()->text(),
             QStringLiteral("<b>Para que sus cambios tengan lugar, debe reiniciar Quintor</b>"));
    // The running stations keep their addresses.
    QCOMPARE(c.engine->puestos().byNumber(2)->address, QStringLiteral("127.0.1.2"));

    // Cancel does not save the choice.
    c.ui.onNextDialog([](QDialog* d) {
        qobject_cast<TFrmConfPuestos*>(d)->identification()->setCurrentIndex(1);
        d->reject();
        return d->result();
    });
    c.window.action(QStringLiteral("configPuestos"))->trigger();
    QVERIFY(store::readOpciones(c.dbh()).Host);
}

void TestConfPuestos::stationsOfSeveralConsoles() {
    // This console is AQUI; station 8 is polled by ALLI.
    AdminConsole c(
        QStringLiteral("UPDATE puestos SET CONSOLA = CASE WHEN npuesto = 8 THEN 'ALLI' ELSE 'AQUI' END"));
    ListaPuestos& puestos = c.engine->puestos();
    puestos.setConsoleName(QStringLiteral("AQUI"));
    QVERIFY(puestos.reconciliar().ok());
    QVERIFY(!puestos.byNumber(8));
    admin::ConfiguracionPuestos& config = c.admin->configuracion();
    const auto row = [&c](int number) {
        return *store::selectOne<store::Puesto>(c.dbh(), QStringLiteral("WHERE npuesto = ?"), {number});
    };

    // A new station is this console's unless another is named.
    {
        TFrmParamPuesto dialog(config, false);
        dialog.prepareAdd();
        QCOMPARE(dialog.consolaEdit()->count(), 2);
        QCOMPARE(dialog.consolaEdit()->itemText(0), QStringLiteral("AQUI"));
        QCOMPARE(dialog.consolaEdit()->itemText(1), QStringLiteral("ALLI"));
        QCOMPARE(dialog.consolaEdit()->currentText(), QStringLiteral("AQUI"));
        dialog.numberEdit()->setText(QStringLiteral("9"));
        for (int i = 0; i < 4; ++i)
            dialog.ipEdit(i)->setText(QStringLiteral("10"));
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
    QCOMPARE(row(9).CONSOLA, QStringLiteral("AQUI"));
    QVERIFY(puestos.byNumber(9));
    admin::PuestoForm other = ipForm(true, QStringLiteral("10"), QStringLiteral("10.0.0.10"));
    other.consola = QStringLiteral("ALLI");
    auto saved = config.guardar(other);
    QVERIFY(saved.ok() && saved->check.ok());
    QCOMPARE(saved->efecto, admin::EfectoPuesto::Elsewhere);
    QCOMPARE(row(10).CONSOLA, QStringLiteral("ALLI"));
    QVERIFY(!puestos.byNumber(10));

    // A station in use here stays here, untouched.
    c.rec(3).estado = Estado::Contador;
    admin::PuestoForm move = ipForm(false, QStringLiteral("3"), QStringLiteral("127.0.1.3"));
    move.consola = QStringLiteral("ALLI");
    const int epoch = row(3).EPOCA;
    saved = config.guardar(move);
    QVERIFY(saved.ok());
    QCOMPARE(saved->check.messageKey, QStringLiteral("PuestoOcupado"));
    QCOMPARE(TFrmParamPuesto::messages().text(saved->check.messageKey),
             QStringLiteral("El puesto está ocupado."));
    QCOMPARE(row(3).CONSOLA, QStringLiteral("AQUI"));
    QCOMPARE(row(3).EPOCA, epoch);
    QVERIFY(puestos.byNumber(3));

    // A free one goes, under a new epoch, and leaves this registry at once.
    c.rec(3).estado = Estado::Libre;
    move.ipParts = {QStringLiteral("127"), QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("30")};
    saved = config.guardar(move);
    QVERIFY(saved.ok() && saved->check.ok());
    QCOMPARE(saved->efecto, admin::EfectoPuesto::Moved);
    QCOMPARE(row(3).CONSOLA, QStringLiteral("ALLI"));
    QCOMPARE(row(3).EPOCA, epoch + 1);
    QCOMPARE(row(3).ip, QStringLiteral("127.0.1.30"));
    QVERIFY(!puestos.byNumber(3));
    // The trail has the move with what it changed, and nothing of the refused one.
    QSqlQuery trail = store::run(
        c.dbh(), QStringLiteral("SELECT OPERADOR, ANTES, DESPUES FROM auditoria WHERE OBJETO = 'Puesto 3'"));
    QVERIFY(trail.next());
    QCOMPARE(store::toText(trail.value(0)), c.context.currentOperator);
    QCOMPARE(store::toText(trail.value(1)), QString());
    QCOMPARE(store::toText(trail.value(2)),
             QStringLiteral("Dirección: 127.0.1.3 -> 127.0.1.30\nConsola: AQUI -> ALLI"));
    QVERIFY(!trail.next());

    // Another console's station in use, as its row tells, is neither changed nor deleted.
    store::run(c.dbh(), QStringLiteral("UPDATE puestos SET estado = 3 WHERE npuesto = 8"));
    TFrmConfPuestos window(c.context, config, puestos, [] { return true; });
    int eight = -1;
    for (int r = 0; r < window.grid()->rowCount(); ++r) {
        if (window.grid()->item(r, 0)->text() == QLatin1String("8"))
            eight = r;
    }
    QVERIFY(eight >= 0);
    QCOMPARE(window.grid()->item(eight, 3)->text(), QStringLiteral("ALLI"));
    window.setCurrentRow(eight);
    window.modificar();
    window.eliminar();
    QCOMPARE(c.ui.messageTexts(), (QStringList{QStringLiteral("Para modificar un puesto debe estar libre."),
                                               QStringLiteral("Para eliminar un puesto debe estar libre.")}));
    QVERIFY(config.eliminar(8).error() == QStringLiteral("El puesto está ocupado."));
    QCOMPARE(store::toInt(
                 store::scalar(c.dbh(), QStringLiteral("SELECT COUNT(*) FROM puestos WHERE npuesto = 8"))),
             1);
}

QTEST_MAIN(TestConfPuestos)
#include "tst_confpuestos.moc"
