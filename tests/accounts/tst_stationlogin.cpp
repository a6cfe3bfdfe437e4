#include "accountfixture.h"

#include "session/franjas.h"
#include "store/bloqueos.h"
#include "store/consolas.h"
#include "store/sql.h"

#include <QTest>

using namespace accounts;

namespace {

store::Franja band(const char* from, const char* to, const char* tarifa) {
    store::Franja f;
    f.franja_ini = QTime::fromString(QLatin1String(from), QStringLiteral("HH:mm:ss"));
    f.franja_fin = QTime::fromString(QLatin1String(to), QStringLiteral("HH:mm:ss"));
    f.tarifa = QLatin1String(tarifa);
    return f;
}

int sec(int h, int m, int s = 0) {
    return h * 3600 + m * 60 + s;
}

} // namespace

class TstStationLogin : public QObject {
    Q_OBJECT
private slots:
    void loginBand_data();
    void loginBand();
    void codes_data();
    void codes();
    void expiry_data();
    void expiry();
    void creditFloor_data();
    void creditFloor();
    void bandAccount_data();
    void bandAccount();
    void acceptedFillsRecord();
    void missingTariffClearsName();
    void sameLoginTwice();
    void changePassword_data();
    void changePassword();
    void firstPasswordThenDeactivation();
    void passwordOfOpenAccountIsRefused();
    void guessingLocksTheLogin_data();
    void guessingLocksTheLogin();
    void lockedLoginIsRefusedEverywhere();
    void guessingLocksTheStation();
};

void TstStationLogin::loginBand_data() {
    QTest::addColumn<QString>("bands");
    QTest::addColumn<int>("second");
    QTest::addColumn<int>("expected");
    // bands: "N" night 22-06, "D" 08-20, "W" whole day 08-08, "E" 10-12, "L" 20-23
    QTest::newRow("night late") << "N" << sec(23, 30) << 0;
    QTest::newRow("night early") << "N" << sec(5, 0) << 0;
    QTest::newRow("night at its start") << "N" << sec(22, 0) << 0;
    QTest::newRow("night at its end") << "N" << sec(6, 0) << 0;
    QTest::newRow("night not at noon") << "N" << sec(12, 0) << -1;
    QTest::newRow("night not just after") << "N" << sec(6, 0, 1) << -1;
    QTest::newRow("whole day noon") << "W" << sec(12, 0) << 0;
    QTest::newRow("whole day midnight") << "W" << 0 << 0;
    QTest::newRow("day at start") << "D" << sec(8, 0) << 0;
    QTest::newRow("day at end") << "D" << sec(20, 0) << 0;
    QTest::newRow("day before") << "D" << sec(7, 59, 59) << -1;
    // Ascending franja_fin: E (12:00) before D (20:00); the earlier end wins.
    QTest::newRow("two hold: earlier end") << "DE" << sec(11, 0) << 0;
    QTest::newRow("border of two: earlier end") << "DL" << sec(20, 0) << 0;
    QTest::newRow("only the later one") << "DE" << sec(13, 0) << 1;
}

void TstStationLogin::loginBand() {
    QFETCH(QString, bands);
    QFETCH(int, second);
    QFETCH(int, expected);
    std::vector<store::Franja> rows;
    for (QChar c : bands) {
        if (c == QLatin1Char('N'))
            rows.push_back(band("22:00:00", "06:00:00", "NOCHE"));
        if (c == QLatin1Char('D'))
            rows.push_back(band("08:00:00", "20:00:00", "NORMAL"));
        if (c == QLatin1Char('W'))
            rows.push_back(band("08:00:00", "08:00:00", "NORMAL"));
        if (c == QLatin1Char('L'))
            rows.push_back(band("20:00:00", "23:00:00", "NOCHE"));
        if (c == QLatin1Char('E'))
            rows.push_back(band("10:00:00", "12:00:00", "ESTUDIANTE"));
    }
    const session::FranjasSnapshot snapshot(rows);
    QCOMPARE(session::franjaDeLogin(snapshot, second), expected);
}

void TstStationLogin::codes_data() {
    QTest::addColumn<QString>("request");
    QTest::addColumn<int>("code");
    QTest::newRow("accepted") << "ANA\tpw" << 0;
    QTest::newRow("blanks around the login") << "  ANA \tpw" << 0;
    QTest::newRow("login in another case") << "ana\tpw" << 0;
    QTest::newRow("twelve characters cut to ten") << "LARGOLOGINXY\tpw" << 0;
    QTest::newRow("password in another case") << "ANA\tPW" << 1;
    QTest::newRow("password with a blank") << "ANA\tpw " << 1;
    QTest::newRow("no such login") << "NADIE\tpw" << 2;
    QTest::newRow("empty login") << "\tpw" << 2;
    QTest::newRow("no tab") << "ANA" << 1;
    QTest::newRow("percent is no wildcard") << "A%\tpw" << 2;
    QTest::newRow("underscore is no wildcard") << "AN_\tpw" << 2;
    QTest::newRow("star is no wildcard") << "AN*\tpw" << 2;
    QTest::newRow("quote") << "AN'A\tpw" << 2;
    QTest::newRow("quoted login exists") << "O'HARA\tx\"y" << 0;
    QTest::newRow("control characters trimmed") << "\x01"
                                                   "ANA\x02\tpw"
                                                << 0;
    QTest::newRow("non-latin login") << QStringLiteral("ŽÅ€\tpw") << 2;
    QTest::newRow("deactivated") << "BAJA\tpw" << 3;
    QTest::newRow("first password, any typed") << "NUEVO\tloquesea" << 21;
    QTest::newRow("first password, right one") << "NUEVO\tpw" << 21;
    QTest::newRow("time account without time") << "TIEMPO0\tpw" << 4;
    QTest::newRow("time account with 1 s") << "TIEMPO1\tpw" << 0;
    QTest::newRow("time code with 1 s") << "CODIGO1\tpw" << 0;
    QTest::newRow("unknown tariff") << "SINTAR\tpw" << 7;
    QTest::newRow("other type: no checks") << "RARO\tpw" << 0;
}

void TstStationLogin::codes() {
    QFETCH(QString, request);
    QFETCH(int, code);
    AccountFixture f;
    f.add(f.cuenta(QStringLiteral("ANA")));
    f.add(f.cuenta(QStringLiteral("LARGOLOGIN")));
    f.add(f.cuenta(QStringLiteral("ANA_")));
    f.add(f.cuenta(QStringLiteral("O'HARA"), QStringLiteral("x\"y")));
    store::Cuenta baja = f.cuenta(QStringLiteral("BAJA"));
    baja.Desactivada = true;
    f.add(baja);
    store::Cuenta nuevo = f.cuenta(QStringLiteral("NUEVO"));
    nuevo.Intropass = true;
    f.add(nuevo);
    for (auto [login, tipo, seconds] :
         {std::tuple{"TIEMPO0", "2", 0}, std::tuple{"TIEMPO1", "2", 1}, std::tuple{"CODIGO1", "9", 1}}) {
        store::Cuenta t = f.cuenta(QLatin1String(login));
        t.Tipo = QLatin1String(tipo);
        t.Tarifa = QStringLiteral("BONO TIEMPO");
        t.Bonotiempo = seconds;
        f.add(t);
    }
    store::Cuenta sinTarifa = f.cuenta(QStringLiteral("SINTAR"));
    sinTarifa.Tarifa = QStringLiteral("normal"); // names are exact
    f.add(sinTarifa);
    store::Cuenta raro = f.cuenta(QStringLiteral("RARO"));
    raro.Tipo = QStringLiteral("5");
    f.add(raro);

    station::StationRecord rec;
    QCOMPARE(f.decisions->checkLogin(rec, request), code);
    if (code == codigo::NuevaClave)
        QCOMPARE(rec.firstPasswordLogin, QStringLiteral("NUEVO"));
    if (code != codigo::Aceptado)
        QVERIFY(rec.accountLogin.isEmpty());
}

void TstStationLogin::expiry_data() {
    QTest::addColumn<QString>("tipo");
    QTest::addColumn<int>("cadCue");
    QTest::addColumn<int>("cadCod");
    QTest::addColumn<int>("altaDaysAgo");
    QTest::addColumn<int>("ultimaDaysAgo");
    QTest::addColumn<int>("code");
    // Accounts run 30 days, time codes 7.
    QTest::newRow("by creation, 30 days") << "0" << 0 << 2 << 30 << 0 << 0;
    QTest::newRow("by creation, 31 days") << "0" << 0 << 2 << 31 << 0 << 13;
    QTest::newRow("by last use, 30 days") << "0" << 1 << 2 << 90 << 30 << 0;
    QTest::newRow("by last use, 31 days") << "0" << 1 << 2 << 0 << 31 << 13;
    QTest::newRow("accounts never expire") << "2" << 2 << 0 << 400 << 400 << 0;
    QTest::newRow("time code by the codes' rule") << "9" << 0 << 2 << 31 << 31 << 0;
    QTest::newRow("time code, 7 days") << "9" << 2 << 0 << 7 << 0 << 0;
    QTest::newRow("time code, 8 days") << "9" << 2 << 0 << 8 << 0 << 13;
    QTest::newRow("time code by last use") << "9" << 2 << 1 << 0 << 8 << 13;
}

void TstStationLogin::expiry() {
    QFETCH(QString, tipo);
    QFETCH(int, cadCue);
    QFETCH(int, cadCod);
    QFETCH(int, altaDaysAgo);
    QFETCH(int, ultimaDaysAgo);
    QFETCH(int, code);
    AccountFixture f;
    store::run(
        f.db(),
        QStringLiteral("UPDATE opciones SET cad_cue = ?, dias_cad_cue = 30, cad_cod = ?, dias_cad_cod = 7"),
        {cadCue, cadCod});
    store::Cuenta c = f.cuenta(QStringLiteral("ANA"));
    c.Tipo = tipo;
    c.Bonotiempo = 600;
    const QDate today = f.te.clock.now().date();
    c.Alta = today.addDays(-altaDaysAgo);
    c.Ultima = today.addDays(-ultimaDaysAgo);
    f.add(c);
    station::StationRecord rec;
    QCOMPARE(f.decisions->checkLogin(rec, QStringLiteral("ANA\tpw")), code);
}

void TstStationLogin::creditFloor_data() {
    QTest::addColumn<QString>("tarifa");
    QTest::addColumn<int>("cents");
    QTest::addColumn<bool>("bloquear");
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("fixed");
    // FIJA: minimum cost 1.00; PASES: first interval 1.00; VACIA: variable without intervals.
    QTest::newRow("fixed, credit = minimum") << "FIJA" << 100 << true << 4 << true;
    QTest::newRow("fixed, credit above minimum") << "FIJA" << 101 << true << 0 << true;
    QTest::newRow("variable, credit = first price") << "PASES" << 100 << true << 0 << false;
    QTest::newRow("variable, credit below") << "PASES" << 99 << true << 4 << false;
    QTest::newRow("no Bloquear, no credit") << "FIJA" << 0 << false << 0 << true;
    QTest::newRow("no Bloquear, negative credit") << "PASES" << -500 << false << 0 << false;
    QTest::newRow("no intervals, no credit") << "VACIA" << 0 << true << 4 << false;
    QTest::newRow("no intervals, some credit") << "VACIA" << 1 << true << 0 << false;
}

void TstStationLogin::creditFloor() {
    QFETCH(QString, tarifa);
    QFETCH(int, cents);
    QFETCH(bool, bloquear);
    QFETCH(int, code);
    QFETCH(bool, fixed);
    AccountFixture f;
    f.sql(QStringLiteral(
        "INSERT INTO tarifas (NOM, TIPO, COS_HORA, COS_MIN) VALUES ('FIJA', 0, 12000, 10000)"));
    f.sql(QStringLiteral("INSERT INTO tarifas (NOM, TIPO, COS_HORA, COS_MIN) VALUES ('VACIA', 1, 0, 0)"));
    QVERIFY(f.te.engine->cargarTarifas());
    store::Cuenta c = f.cuenta(QStringLiteral("ANA"));
    c.Tarifa = tarifa;
    c.credito = Currency::fromCents(cents);
    c.Bloquear = bloquear;
    f.add(c);
    station::StationRecord rec;
    QCOMPARE(f.decisions->checkLogin(rec, QStringLiteral("ANA\tpw")), code);
    // A refusal for credit keeps what the tariff step set.
    QCOMPARE(rec.tariffName, tarifa);
    QCOMPARE(rec.tariffIsFixed, fixed);
}

void TstStationLogin::bandAccount_data() {
    QTest::addColumn<QTime>("now");
    QTest::addColumn<int>("cambiotarifa");
    QTest::addColumn<QString>("tariff");
    QTest::newRow("day band, bands in force") << QTime(11, 0) << 0 << "FRANJAS";
    QTest::newRow("day band, tariff stays") << QTime(11, 0) << 1 << "NORMAL";
    QTest::newRow("night band across midnight") << QTime(23, 30) << 1 << "NOCHE";
    QTest::newRow("early morning") << QTime(5, 0) << 1 << "NOCHE";
    // Both hold 20:00; the night band ends first (08:00).
    QTest::newRow("at 20:00 the earlier end wins") << QTime(20, 0) << 1 << "NOCHE";
}

void TstStationLogin::bandAccount() {
    QFETCH(QTime, now);
    QFETCH(int, cambiotarifa);
    QFETCH(QString, tariff);
    AccountFixture f;
    f.te.clock.setNow(QDateTime(QDate(2026, 3, 10), now));
    f.te.context.settings.cambiotarifa = cambiotarifa;
    store::Cuenta c = f.cuenta(QStringLiteral("ANA"));
    c.Tipo = QStringLiteral("1");
    c.Tarifa = QStringLiteral("FRANJA HORARIA");
    f.add(c);
    station::StationRecord rec;
    QCOMPARE(f.decisions->checkLogin(rec, QStringLiteral("ANA\tpw")), 0);
    QCOMPARE(rec.tariffName, tariff);
    QCOMPARE(rec.tariffIsFixed, true);
}

void TstStationLogin::acceptedFillsRecord() {
    AccountFixture f;
    store::Cuenta money = f.cuenta(QStringLiteral("ANA"));
    money.credito = Currency::fromRaw(51250); // 5.125 → 5.12 with two decimals
    money.Bloquear = true;
    money.Descuento = 15;
    money.Escritorio = 3;
    money.Nomodpass = true;
    money.Aviso = QStringLiteral("Hola");
    f.add(money);
    station::StationRecord rec;
    rec.pendingNotice = QStringLiteral("x");
    rec.firstPasswordFlag = true;
    QCOMPARE(f.decisions->checkLogin(rec, QStringLiteral("ana\tpw")), 0);
    // The account's own login, whatever case was typed.
    QCOMPARE(rec.accountLogin, QStringLiteral("ANA"));
    QCOMPARE(rec.password, QStringLiteral("pw"));
    QCOMPARE(rec.moneyCredit, Currency::fromCents(512));
    QCOMPARE(rec.closeWhenCreditExhausted, true);
    QCOMPARE(rec.discountPercent, 15);
    QCOMPARE(rec.accountType, QStringLiteral("0"));
    QCOMPARE(rec.desktopType, 3);
    QCOMPARE(rec.noPasswordChange, 1);
    QCOMPARE(rec.firstPasswordFlag, false);
    QCOMPARE(rec.pendingNotice, QStringLiteral("xHola\x02"));
    QCOMPARE(rec.tariffName, QStringLiteral("NORMAL"));

    store::Cuenta time = f.cuenta(QStringLiteral("TIEMPO"));
    time.Tipo = QStringLiteral("2");
    time.Tarifa = QStringLiteral("BONO TIEMPO");
    time.Bonotiempo = 3725;
    f.add(time);
    station::StationRecord t;
    t.prepaidAmount = Currency::fromCents(300);
    QCOMPARE(f.decisions->checkLogin(t, QStringLiteral("TIEMPO\tpw")), 0);
    QCOMPARE(t.prepaidSeconds, 3725);
    QCOMPARE(t.timeCreditMinutes, 62);
    QCOMPARE(t.prepaidAmount, Currency());
    QCOMPARE(t.tariffName, QStringLiteral("BONO TIEMPO"));
    QCOMPARE(t.pendingNotice, QString());
}

void TstStationLogin::missingTariffClearsName() {
    AccountFixture f;
    f.sql(QStringLiteral("UPDATE franjas SET tarifa = 'BORRADA'"));
    store::Cuenta c = f.cuenta(QStringLiteral("ANA"));
    c.Tipo = QStringLiteral("1");
    f.add(c);
    station::StationRecord rec;
    QCOMPARE(f.decisions->checkLogin(rec, QStringLiteral("ANA\tpw")), 7);
    QCOMPARE(rec.tariffName, QString());
    f.sql(QStringLiteral("DELETE FROM franjas"));
    QCOMPARE(f.decisions->checkLogin(rec, QStringLiteral("ANA\tpw")), 7);
}

void TstStationLogin::sameLoginTwice() {
    // Two stations send the same login in one poll interval: the link adds
    // the login as soon as the first is accepted, so the second sees it.
    AccountFixture f;
    f.add(f.cuenta(QStringLiteral("ANA")));
    TPuestos& one = f.te.engine->puestos().at(0);
    TPuestos& two = f.te.engine->puestos().at(1);
    one.tarea->handleReply("CLI\tANA\tpw");
    two.tarea->handleReply("CLI\tana\tpw");
    QCOMPARE(one.rec().estado, station::Estado::Contador);
    QCOMPARE(one.rec().accountLogin, QStringLiteral("ANA"));
    QCOMPARE(two.rec().estado, station::Estado::Libre);
    QCOMPARE(two.rec().refusalCode, 5);
    QVERIFY(two.rec().accountLogin.isEmpty());
}

void TstStationLogin::changePassword_data() {
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("stored");
    QTest::newRow("changed") << "ANA"
                             << "nueva"
                             << "1"
                             << "nueva";
    QTest::newRow("other case login") << "ana"
                                      << "nueva"
                                      << "1"
                                      << "nueva";
    QTest::newRow("ten characters") << "ANA"
                                    << "0123456789"
                                    << "1"
                                    << "0123456789";
    QTest::newRow("eleven characters refused") << "ANA"
                                               << "01234567890"
                                               << "0"
                                               << "pw";
    QTest::newRow("quotes are plain text") << "ANA"
                                           << "a'b\"c%"
                                           << "1"
                                           << "a'b\"c%";
    QTest::newRow("may not change") << "FIJO"
                                    << "nueva"
                                    << "0"
                                    << "pw";
    QTest::newRow("no such login") << "NADIE"
                                   << "nueva"
                                   << "0"
                                   << "";
    QTest::newRow("no login") << ""
                              << "nueva"
                              << "0"
                              << "";
}

void TstStationLogin::changePassword() {
    QFETCH(QString, login);
    QFETCH(QString, password);
    QFETCH(QString, result);
    QFETCH(QString, stored);
    AccountFixture f;
    store::Cuenta ana = f.cuenta(QStringLiteral("ANA"));
    ana.Intropass = true;
    f.add(ana);
    store::Cuenta fijo = f.cuenta(QStringLiteral("FIJO"));
    fijo.Nomodpass = true;
    f.add(fijo);
    QCOMPARE(f.decisions->ChangeStationPassword(login, password), result);
    if (!stored.isEmpty()) {
        const store::Cuenta after = f.read(login);
        QCOMPARE(after.Pass, stored);
        QCOMPARE(after.Intropass,
                 login.compare(QLatin1String("ANA"), Qt::CaseInsensitive) == 0 && result == "0");
    }
}

void TstStationLogin::firstPasswordThenDeactivation() {
    // Through the link: code 21, the first password ("11"), then the
    // deactivation that code 21 hid.
    AccountFixture f;
    store::Cuenta c = f.cuenta(QStringLiteral("ANA"), QString());
    c.Intropass = true;
    c.Desactivada = true;
    f.add(c);
    TTareaCliente& link = *f.te.engine->puestos().at(0).tarea;
    link.handleReply("CLI\tANA\tloquesea");
    QCOMPARE(link.rec().loginAnswerCode, 21);
    QCOMPARE(link.rec().firstPasswordLogin, QStringLiteral("ANA"));
    link.handleReply("SETPASS\tclave\t1");
    QCOMPARE(link.rec().passwordChangeResult, QStringLiteral("11"));
    QCOMPARE(f.read(QStringLiteral("ANA")).Pass, QStringLiteral("clave"));
    QCOMPARE(f.read(QStringLiteral("ANA")).Intropass, false);
    link.handleReply("CLI\tANA\tclave");
    QCOMPARE(link.rec().refusalCode, 3);
    // A SETPASS without its tab is a change for the (absent) account in use.
    link.handleReply("SETPASS\totra");
    QCOMPARE(link.rec().passwordChangeResult, QStringLiteral("0"));
    QCOMPARE(f.read(QStringLiteral("ANA")).Pass, QStringLiteral("clave"));
}

void TstStationLogin::passwordOfOpenAccountIsRefused() {
    AccountFixture f;
    f.add(f.cuenta(QStringLiteral("ANA")));
    f.decisions->setEditingCheck(
        [](const QString& login, bool timeCode) { return login == QLatin1String("ANA") && !timeCode; });
    QCOMPARE(f.decisions->ChangeStationPassword(QStringLiteral("ANA"), QStringLiteral("x")),
             QStringLiteral("0"));
    QCOMPARE(f.read(QStringLiteral("ANA")).Pass, QStringLiteral("pw"));
}

void TstStationLogin::guessingLocksTheLogin_data() {
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QList<int>>("codes");
    QTest::addColumn<bool>("locked");
    const QString x = QStringLiteral("x");
    const QString pw = QStringLiteral("pw");
    QTest::newRow("four wrong, then the right one")
        << QStringList{x, x, x, x, pw} << QList<int>{1, 1, 1, 1, 0} << false;
    // Locked from the fifth on: the right password is refused as well.
    QTest::newRow("the fifth wrong one locks")
        << QStringList{x, x, x, x, x, pw} << QList<int>{1, 1, 1, 1, 1, 1} << true;
    // An accepted log-in forgets nothing: guessing between two visits adds up.
    QTest::newRow("a right one in between clears nothing")
        << QStringList{x, x, pw, x, x, x, pw} << QList<int>{1, 1, 0, 1, 1, 1, 1} << true;
}

void TstStationLogin::guessingLocksTheLogin() {
    QFETCH(QStringList, typed);
    QFETCH(QList<int>, codes);
    QFETCH(bool, locked);
    AccountFixture f;
    f.add(f.cuenta(QStringLiteral("ANA")));
    for (qsizetype i = 0; i < typed.size(); ++i) {
        station::StationRecord rec;
        // Letter case aside, one login.
        const QString login = i % 2 ? QStringLiteral("ana") : QStringLiteral("ANA");
        QCOMPARE(f.decisions->checkLogin(rec, login + QLatin1Char('\t') + typed.at(i), 4), codes.at(i));
    }
    if (!locked) {
        QVERIFY(f.notices.isEmpty());
        return;
    }
    // One line, at the station where the lock began.
    QCOMPARE(f.notices.size(), 1);
    QCOMPARE(f.notices.first().station, 4);
    QCOMPARE(f.notices.first().time, QStringLiteral("11:00:00"));
    QCOMPARE(f.notices.first().text,
             QStringLiteral("[System]: La cuenta ANA queda bloqueada 15 min tras 5 contraseñas erróneas."));
}

void TstStationLogin::lockedLoginIsRefusedEverywhere() {
    AccountFixture f;
    f.add(f.cuenta(QStringLiteral("ANA")));
    f.add(f.cuenta(QStringLiteral("LUIS")));
    station::StationRecord rec;
    for (int i = 0; i < 5; ++i)
        QCOMPARE(f.decisions->checkLogin(rec, QStringLiteral("ANA\tx"), 4), 1);
    QCOMPARE(f.decisions->checkLogin(rec, QStringLiteral("ana\tpw"), 7), 1);
    // Only the login: the station and another customer go on.
    QCOMPARE(f.decisions->checkLogin(rec, QStringLiteral("LUIS\tpw"), 4), 0);
    // A first password to choose would answer any password: locked, it is a wrong one.
    f.sql(QStringLiteral("UPDATE cuentas SET Intropass = 1"));
    QCOMPARE(f.decisions->checkLogin(rec, QStringLiteral("ANA\tpw"), 7), 1);
    QCOMPARE(f.decisions->checkLogin(rec, QStringLiteral("LUIS\tx"), 7), 21);
    // Once the lock has ended the account is what it was.
    store::run(f.db(), QStringLiteral("UPDATE bloqueos SET HASTA = ?"), {store::serverNowMs(f.db())});
    QCOMPARE(f.decisions->checkLogin(rec, QStringLiteral("ANA\tx"), 7), 21);
    f.sql(QStringLiteral("UPDATE cuentas SET Intropass = 0"));
    QCOMPARE(f.decisions->checkLogin(rec, QStringLiteral("ANA\tpw"), 7), 0);
    QCOMPARE(f.notices.size(), 1);
}

void TstStationLogin::guessingLocksTheStation() {
    AccountFixture f;
    for (int i = 0; i < 10; ++i)
        f.add(f.cuenta(QStringLiteral("C%1").arg(i)));
    f.add(f.cuenta(QStringLiteral("ANA")));
    store::Cuenta nuevo = f.cuenta(QStringLiteral("NUEVO"));
    nuevo.Intropass = true;
    f.add(nuevo);
    station::StationRecord rec;
    // Nineteen failures of as many logins, none of them locked: wrong
    // passwords, unknown logins, an empty one. A first password asked for
    // is no failure.
    for (int i = 0; i < 10; ++i)
        QCOMPARE(f.decisions->checkLogin(rec, QStringLiteral("C%1\tx").arg(i), 4), 1);
    for (int i = 0; i < 8; ++i)
        QCOMPARE(f.decisions->checkLogin(rec, QStringLiteral("NADIE%1\tx").arg(i), 4), 2);
    QCOMPARE(f.decisions->checkLogin(rec, QStringLiteral("NUEVO\tx"), 4), 21);
    QCOMPARE(f.decisions->checkLogin(rec, QStringLiteral("\tx"), 4), 2);
    QVERIFY(f.notices.isEmpty());
    QCOMPARE(f.decisions->checkLogin(rec, QStringLiteral("ANA\tpw"), 4), 0);
    QCOMPARE(f.decisions->checkLogin(rec, QStringLiteral("OTRO\tx"), 4), 2);
    QCOMPARE(f.notices.size(), 1);
    QCOMPARE(f.notices.first().station, 4);
    QCOMPARE(
        f.notices.first().text,
        QStringLiteral("[System]: El puesto 4 no admite accesos durante 5 min tras 20 intentos fallidos."));
    // That station takes no log-in now, right or wrong; the next one does.
    QCOMPARE(f.decisions->checkLogin(rec, QStringLiteral("ANA\tpw"), 4), 1);
    QCOMPARE(f.decisions->checkLogin(rec, QStringLiteral("ANA\tpw"), 5), 0);
    QCOMPARE(f.notices.size(), 1);
}

QTEST_GUILESS_MAIN(TstStationLogin)
#include "tst_stationlogin.moc"
