// The locks in force as the operator sees them, and who may lift which: a
// customer's login or a station with the accounts permission, an operator
// by ADMIN only; each lift one audit line.
#include "admin/frmbloqueos.h"
#include "console.h"
#include "store/auditoria.h"
#include "store/bloqueos.h"
#include "store/consolas.h"

#include <QAction>
#include <QTableWidget>
#include <QTest>

class TestFrmBloqueos : public QObject {
    Q_OBJECT
private slots:
    void whoMayUnlock_data();
    void whoMayUnlock();
};

void TestFrmBloqueos::whoMayUnlock_data() {
    QTest::addColumn<int>("tipo");
    QTest::addColumn<QString>("nombre");
    QTest::addColumn<QString>("actor");
    QTest::addColumn<bool>("withAccounts");
    QTest::addColumn<QString>("refusal");
    using T = store::TipoBloqueo;
    QTest::newRow("login, accounts permission") << int(T::Login) << "10001"
                                                << "ana" << true << QString();
    QTest::newRow("login, without it") << int(T::Login) << "10001"
                                       << "ana" << false << QStringLiteral("ana:\r\rOperación no permitida.");
    QTest::newRow("station, accounts permission") << int(T::Puesto) << "4"
                                                  << "ana" << true << QString();
    QTest::newRow("operator, by ADMIN") << int(T::Operador) << "CAJA"
                                        << "ADMIN" << true << QString();
    QTest::newRow("operator, by anyone else")
        << int(T::Operador) << "CAJA"
        << "ana" << true << QStringLiteral("Sólo ADMIN puede desbloquear operadores.");
}

void TestFrmBloqueos::whoMayUnlock() {
    QFETCH(int, tipo);
    QFETCH(QString, nombre);
    QFETCH(QString, actor);
    QFETCH(bool, withAccounts);
    QFETCH(QString, refusal);
    AdminConsole c;
    if (actor != QLatin1String("ADMIN")) {
        if (withAccounts)
            c.actAs(actor);
        else
            c.actAs(actor, {store::Permiso::CUEMOD});
    } else {
        c.context.currentOperator = actor;
    }
    const auto kind = store::TipoBloqueo(tipo);
    const qint64 now = store::serverNowMs(c.dbh());
    const store::LimitesBloqueo limits;
    for (int i = 0; i < limits.limite(kind); ++i)
        store::registrarFallo(c.dbh(), kind, nombre, limits, now, c.clock.now());

    QStringList listed;
    c.ui.onNextDialog([&](QDialog* d) {
        auto* window = qobject_cast<TFrmBloqueos*>(d);
        QTableWidget* table = window->table();
        for (int col = 0; col < table->columnCount(); ++col)
            listed << table->item(0, col)->text();
        c.ui.answerNext(ui::Answer::Yes);
        window->desbloquear();
        return int(QDialog::Rejected);
    });
    c.window.action(QStringLiteral("bloqueos"))->trigger();
    QCOMPARE(listed.size(), 5);
    QCOMPARE(listed.at(1), nombre);
    QCOMPARE(listed.at(2), QString::number(limits.limite(kind)));
    QVERIFY(listed.at(4).endsWith(QStringLiteral(" min")));

    const bool unlocked = refusal.isEmpty();
    QCOMPARE(!store::bloqueoVigente(c.dbh(), kind, nombre, now), unlocked);
    if (!unlocked) {
        QCOMPARE(c.ui.messageTexts(), QStringList{refusal});
        return;
    }
    QCOMPARE(c.ui.messageTexts().size(), 1); // the question
    QVERIFY(c.ui.messageTexts().first().startsWith(QStringLiteral("¿Desbloquear ")));
    QCOMPARE(store::toText(store::scalar(c.dbh(),
                                         QStringLiteral("SELECT OPERADOR FROM auditoria WHERE ACCION = ?"),
                                         {store::accion::Desbloqueo})),
             actor);
}

QTEST_MAIN(TestFrmBloqueos)
#include "tst_frmbloqueos.moc"
