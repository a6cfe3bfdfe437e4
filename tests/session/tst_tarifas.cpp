#include "core/regional.h"
#include "session/precios.h"
#include "session/tarifas.h"
#include "store/sql.h"
#include "support/testdb.h"

#include <QTest>
#include <QTimeZone>

using namespace session;

namespace {

Currency m(const QString& text) {
    const std::optional<Currency> c = Regional::spanishSpain().parseCurrency(text);
    if (!c)
        qFatal("bad amount %s", qPrintable(text));
    return *c;
}

Ttarifas fija(const QString& name, const QString& hourly, const QString& minimum = QStringLiteral("0")) {
    Ttarifas t;
    t.name = name;
    t.type = Ttarifas::Fija;
    t.hourlyCost = m(hourly);
    t.minimumCost = m(minimum);
    return t;
}

Ttarifas variable(const QString& name, std::vector<Tintervalo> intervals) {
    Ttarifas t;
    t.name = name;
    t.type = Ttarifas::Variable;
    t.intervals = std::move(intervals);
    return t;
}

// The tariffs every pricing row below can use.
const ListaTarifas& cache() {
    static const ListaTarifas list = [] {
        ListaTarifas l;
        l.append(fija(QStringLiteral("FIJA"), QStringLiteral("1.20"), QStringLiteral("0.50")));
        l.append(fija(QStringLiteral("SINMIN"), QStringLiteral("1.00")));
        l.append(fija(QStringLiteral("A"), QStringLiteral("1.00")));
        l.append(fija(QStringLiteral("B"), QStringLiteral("2.00")));
        l.append(fija(QStringLiteral("C"), QStringLiteral("3.00")));
        l.append(fija(QStringLiteral("AMIN"), QStringLiteral("1.00"), QStringLiteral("0.50")));
        l.append(fija(QStringLiteral("BMIN"), QStringLiteral("2.00"), QStringLiteral("5.00")));
        l.append(fija(QStringLiteral("GRATIS"), QStringLiteral("0")));
        l.append(variable(QStringLiteral("PASES"), {{30, m(QStringLiteral("1.00"))},
                                                    {60, m(QStringLiteral("1.80"))},
                                                    {120, m(QStringLiteral("3.00"))}}));
        l.append(variable(QStringLiteral("UNICO"), {{45, m(QStringLiteral("2.00"))}}));
        l.append(variable(QStringLiteral("VACIA"), {}));
        l.append(variable(QStringLiteral("MEDIOS"), {{60, m(QStringLiteral("0.0003"))}}));
        return l;
    }();
    return list;
}

store::Franja band(const char* ini, const char* fin, const char* tarifa) {
    store::Franja f;
    f.franja_ini = QTime::fromString(QLatin1String(ini), QStringLiteral("HH:mm:ss"));
    f.franja_fin = QTime::fromString(QLatin1String(fin), QStringLiteral("HH:mm:ss"));
    f.tarifa = QLatin1String(tarifa);
    return f;
}

// Band sets by name; the constructor puts them in franja_fin order.
FranjasSnapshot bands(const QString& set) {
    if (set == QLatin1String("diaNoche"))
        return FranjasSnapshot({band("08:00:00", "20:00:00", "A"), band("20:00:00", "08:00:00", "B")});
    if (set == QLatin1String("minimos"))
        return FranjasSnapshot({band("08:00:00", "20:00:00", "AMIN"), band("20:00:00", "08:00:00", "BMIN")});
    if (set == QLatin1String("medianoche"))
        return FranjasSnapshot({band("00:00:00", "08:00:00", "B"), band("08:00:00", "20:00:00", "A"),
                                band("20:00:00", "00:00:00", "C")});
    if (set == QLatin1String("una"))
        return FranjasSnapshot({band("08:00:00", "20:00:00", "FIJA")});
    if (set == QLatin1String("unaVariable"))
        return FranjasSnapshot({band("08:00:00", "20:00:00", "PASES")});
    if (set == QLatin1String("vacias"))
        return FranjasSnapshot({band("10:00:00", "10:00:00", "A"), band("12:00:00", "12:00:00", "B")});
    if (set == QLatin1String("conVacia"))
        return FranjasSnapshot({band("08:00:00", "20:00:00", "A"), band("12:00:00", "12:00:00", "C"),
                                band("20:00:00", "08:00:00", "B")});
    if (set == QLatin1String("sinTarifa"))
        return FranjasSnapshot({band("08:00:00", "20:00:00", "NOEXISTE"), band("20:00:00", "08:00:00", "B")});
    if (set == QLatin1String("variable"))
        return FranjasSnapshot({band("08:00:00", "20:00:00", "PASES"), band("20:00:00", "08:00:00", "B")});
    if (set == QLatin1String("hueco"))
        return FranjasSnapshot({band("08:00:00", "14:00:00", "A"), band("16:00:00", "20:00:00", "B")});
    if (set == QLatin1String("nadaFija"))
        return FranjasSnapshot(
            {band("08:00:00", "20:00:00", "NOEXISTE"), band("20:00:00", "08:00:00", "PASES")});
    if (set == QLatin1String("gratisDia"))
        return FranjasSnapshot({band("08:00:00", "20:00:00", "GRATIS"), band("20:00:00", "08:00:00", "B")});
    if (set == QLatin1String("gratis"))
        return FranjasSnapshot(
            {band("08:00:00", "20:00:00", "GRATIS"), band("20:00:00", "08:00:00", "GRATIS")});
    return FranjasSnapshot();
}

// A winter day, so no clock change is near.
QDateTime at(const char* time, int day = 0) {
    return QDateTime(QDate(2026, 1, 15).addDays(day),
                     QTime::fromString(QLatin1String(time), QStringLiteral("HH:mm:ss.zzz")));
}

qint64 minutes(double mins) {
    return static_cast<qint64>(mins * 60000.0);
}

RuntimeSettings settingsWith(const QString& unit, bool porfranjas = true, int cambiotarifa = 0) {
    RuntimeSettings s;
    s.roundingUnit = m(unit);
    s.porfranjas = porfranjas;
    s.cambiotarifa = cambiotarifa;
    return s;
}

} // namespace

class TstTarifas : public QObject {
    Q_OBJECT
private slots:
    void precioFijo_data();
    void precioFijo();
    void precioTarifa_data();
    void precioTarifa();
    void precioFranjas_data();
    void precioFranjas();
    void precioFranjasDirections();
    void tiempoPorImporte_data();
    void tiempoPorImporte();
    void importePorTiempo_data();
    void importePorTiempo();
    void horasMinutosDialog_data();
    void horasMinutosDialog();

    void cacheBuiltFromTables();
    void cacheLookupAndEditing();
    void costeHoraTarifa();
    void tarifaBorrable();
    void bandSnapshotFromTable();
    void ahoraAcrossClockChanges_data();
    void ahoraAcrossClockChanges();
};

void TstTarifas::precioFijo_data() {
    QTest::addColumn<QString>("hourly");
    QTest::addColumn<qint64>("ms");
    QTest::addColumn<int>("discount");
    QTest::addColumn<int>("relative");
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("expected");

    QTest::newRow("10:30 anonymous to 0.05") << "1.20" << minutes(10.5) << 0 << 100 << ""
                                             << "0.05"
                                             << "0.20";
    QTest::newRow("30:00 anonymous") << "1.20" << minutes(30) << 0 << 100 << ""
                                     << "0.05"
                                     << "0.60";
    QTest::newRow("0.25 half to even down") << "1.00" << minutes(15) << 0 << 100 << ""
                                            << "0.10"
                                            << "0.20";
    QTest::newRow("0.35 half to even up") << "1.00" << minutes(21) << 0 << 100 << ""
                                          << "0.10"
                                          << "0.40";
    QTest::newRow("0.45 half to even down") << "1.00" << minutes(27) << 0 << 100 << ""
                                            << "0.10"
                                            << "0.40";
    QTest::newRow("account 10% 60 min") << "1.20" << minutes(60) << 10 << 100 << "ana"
                                        << "0.05"
                                        << "1.08";
    QTest::newRow("account to 1/10000") << "1.20" << qint64(1000) << 0 << 100 << "ana"
                                        << "0.05"
                                        << "0.0003";
    QTest::newRow("account half to even down") << "0.0001" << minutes(30) << 0 << 100 << "ana"
                                               << "0.05"
                                               << "0";
    QTest::newRow("account half to even up") << "0.0003" << minutes(30) << 0 << 100 << "ana"
                                             << "0.05"
                                             << "0.0002";
    QTest::newRow("milliseconds count") << "3600.00" << qint64(1500) << 0 << 100 << "ana"
                                        << "0.05"
                                        << "1.50";
    QTest::newRow("relative 200") << "1.20" << minutes(30) << 0 << 200 << ""
                                  << "0.05"
                                  << "1.20";
    QTest::newRow("unit 0 means 0.01") << "1.00" << minutes(1) << 0 << 100 << ""
                                       << "0"
                                       << "0.02";
    QTest::newRow("negative unit means 0.01") << "1.00" << minutes(1) << 0 << 100 << ""
                                              << "-0.05"
                                              << "0.02";
}

void TstTarifas::precioFijo() {
    QFETCH(QString, hourly);
    QFETCH(qint64, ms);
    QFETCH(int, discount);
    QFETCH(int, relative);
    QFETCH(QString, login);
    QFETCH(QString, unit);
    QFETCH(QString, expected);
    QCOMPARE(PrecioFijo(m(hourly), ms, Factor::of(discount, relative), login, m(unit)), m(expected));
}

void TstTarifas::precioTarifa_data() {
    QTest::addColumn<QString>("tariff");
    QTest::addColumn<qint64>("ms");
    QTest::addColumn<int>("discount");
    QTest::addColumn<int>("relative");
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("expected");

    QTest::newRow("minimum beats 0.20") << "FIJA" << minutes(10.5) << 0 << 100 << ""
                                        << "0.50";
    QTest::newRow("30 min over the minimum") << "FIJA" << minutes(30) << 0 << 100 << ""
                                             << "0.60";
    QTest::newRow("account 10% 60 min") << "FIJA" << minutes(60) << 10 << 100 << "ana"
                                        << "1.08";
    QTest::newRow("minimum is not discounted") << "FIJA" << minutes(1) << 50 << 200 << "ana"
                                               << "0.50";
    QTest::newRow("at 0 the minimum") << "FIJA" << qint64(0) << 0 << 100 << ""
                                      << "0.50";
    QTest::newRow("negative time is 0") << "FIJA" << qint64(-5000) << 0 << 100 << ""
                                        << "0.50";

    QTest::newRow("step 0 min") << "PASES" << qint64(0) << 0 << 100 << ""
                                << "1.00";
    QTest::newRow("step 29 min") << "PASES" << minutes(29) << 0 << 100 << ""
                                 << "1.00";
    QTest::newRow("step 29:59.999") << "PASES" << minutes(30) - 1 << 0 << 100 << ""
                                    << "1.00";
    QTest::newRow("step 30 min") << "PASES" << minutes(30) << 0 << 100 << ""
                                 << "1.80";
    QTest::newRow("step 59 min") << "PASES" << minutes(59) << 0 << 100 << ""
                                 << "1.80";
    QTest::newRow("step 60 min") << "PASES" << minutes(60) << 0 << 100 << ""
                                 << "3.00";
    QTest::newRow("step 200 min") << "PASES" << minutes(200) << 0 << 100 << ""
                                  << "3.00";
    QTest::newRow("step no rounding unit") << "PASES" << minutes(30) << 10 << 100 << ""
                                           << "1.62";
    QTest::newRow("relative 150") << "PASES" << minutes(5) << 0 << 150 << ""
                                  << "1.50";
    QTest::newRow("single interval at 1 s") << "UNICO" << qint64(1000) << 0 << 100 << ""
                                            << "2.00";
    QTest::newRow("single interval past its end") << "UNICO" << minutes(500) << 0 << 100 << ""
                                                  << "2.00";
    // 3 x 0.5 and 3 x 1.5 of the smallest unit: halves go to the even neighbour.
    QTest::newRow("step half to even up") << "MEDIOS" << minutes(5) << 50 << 100 << ""
                                          << "0.0002";
    QTest::newRow("step half to even down") << "MEDIOS" << minutes(5) << 0 << 150 << ""
                                            << "0.0004";
    QTest::newRow("no intervals") << "VACIA" << minutes(10) << 0 << 100 << ""
                                  << "0";

    QTest::newRow("FRANJAS") << "FRANJAS" << minutes(10) << 0 << 100 << ""
                             << "0";
    QTest::newRow("BONO TIEMPO") << "BONO TIEMPO" << minutes(10) << 0 << 100 << "ana"
                                 << "0";
    QTest::newRow("empty name") << "" << minutes(10) << 0 << 100 << ""
                                << "0";
    QTest::newRow("names are case-sensitive") << "fija" << minutes(10) << 0 << 100 << ""
                                              << "0";
}

void TstTarifas::precioTarifa() {
    QFETCH(QString, tariff);
    QFETCH(qint64, ms);
    QFETCH(int, discount);
    QFETCH(int, relative);
    QFETCH(QString, login);
    QFETCH(QString, expected);
    QCOMPARE(
        PrecioTarifa(cache(), tariff, ms, discount, relative, login, settingsWith(QStringLiteral("0.05"))),
        m(expected));
}

void TstTarifas::precioFranjas_data() {
    QTest::addColumn<QString>("set");
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<qint64>("ms");
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("expected");

    const QString ana = QStringLiteral("ana");
    // 19:30 to 20:30: half an hour of each band.
    QTest::newRow("19:30-20:30 account") << "diaNoche" << at("20:30:00.000") << minutes(60) << ana << "0.05"
                                         << "1.50";
    QTest::newRow("19:30-20:30 anonymous") << "diaNoche" << at("20:30:00.000") << minutes(60) << ""
                                           << "0.05"
                                           << "1.50";
    // Each piece goes to the unit on its own: 0.08 -> 0.10 and 0.17 -> 0.20.
    QTest::newRow("pieces rounded each") << "diaNoche" << at("20:05:00.000") << minutes(10) << ""
                                         << "0.10"
                                         << "0.30";
    QTest::newRow("within one band") << "diaNoche" << at("11:00:00.000") << minutes(60) << ana << "0.05"
                                     << "1.00";
    QTest::newRow("pieces in whole seconds")
        << "diaNoche" << at("11:00:00.000") << qint64(3599999) << ana << "0.05"
        << "0.9997";
    QTest::newRow("milliseconds dropped per piece")
        << "diaNoche" << at("20:30:00.999") << qint64(3600999) << ana << "0.05"
        << "1.50";

    // Midnight.
    QTest::newRow("23:00-01:00 in the night band")
        << "diaNoche" << at("01:00:00.000", 1) << minutes(120) << ana << "0.05"
        << "4.00";
    QTest::newRow("19:00-09:00 over the night")
        << "diaNoche" << at("09:00:00.000", 1) << minutes(14 * 60) << ana << "0.05"
        << "26.00";
    QTest::newRow("band ending at midnight")
        << "medianoche" << at("02:00:00.000", 1) << minutes(240) << ana << "0.05"
        << "10.00";
    // 30 s at 3.00 an hour (0.0250) and 30 s at 2.00 (0.0167).
    QTest::newRow("started just before midnight")
        << "medianoche" << at("00:00:30.000", 1) << minutes(1) << ana << "0.05"
        << "0.0417";

    // Borders.
    QTest::newRow("starts at 20:00") << "diaNoche" << at("21:00:00.000") << minutes(60) << ana << "0.05"
                                     << "2.00";
    QTest::newRow("starts at 08:00") << "diaNoche" << at("09:00:00.000") << minutes(60) << ana << "0.05"
                                     << "1.00";
    QTest::newRow("ends at 20:00") << "diaNoche" << at("20:00:00.000") << minutes(60) << ana << "0.05"
                                   << "1.00";
    QTest::newRow("ends at 20:00:00.5")
        << "diaNoche" << at("20:00:00.500") << qint64(3600500) << ana << "0.05"
        << "1.00";
    // A start at 08:00 is held by both bands (both ends inclusive); the night
    // band ends first in franja_fin order, so its minimum of 5.00 applies.
    QTest::newRow("border start takes the first band that holds it")
        << "minimos" << at("09:00:00.000") << minutes(60) << ana << "0.05"
        << "5.00";
    QTest::newRow("one second before the border")
        << "minimos" << at("08:59:59.000") << minutes(60) << ana << "0.05"
        << "5.00";

    // Minimum of the start band, for the whole period.
    QTest::newRow("start band minimum") << "minimos" << at("20:10:00.000") << minutes(20) << ana << "0.05"
                                        << "0.50";
    QTest::newRow("start band minimum passed")
        << "minimos" << at("20:30:00.000") << minutes(60) << ana << "0.05"
        << "1.50";

    // Long periods: whole days at 36.00 each.
    QTest::newRow("73 h from 10:00") << "diaNoche" << at("11:00:00.000", 3) << minutes(73 * 60) << ana
                                     << "0.05"
                                     << "109.00";
    QTest::newRow("exactly one day from 08:00")
        << "diaNoche" << at("08:00:00.000", 1) << minutes(24 * 60) << ana << "0.05"
        << "36.00";

    // One band: the tariff's own rules, minimum included.
    QTest::newRow("single band fixed") << "una" << at("10:10:00.000") << minutes(10) << ""
                                       << "0.05"
                                       << "0.50";
    QTest::newRow("single band out of hours") << "una" << at("23:00:00.000") << minutes(60) << ""
                                              << "0.05"
                                              << "1.20";
    QTest::newRow("single band variable") << "unaVariable" << at("10:45:00.000") << minutes(45) << ""
                                          << "0.05"
                                          << "1.80";

    // Cases the walk has to survive.
    QTest::newRow("zero time") << "diaNoche" << at("10:00:00.000") << qint64(0) << ana << "0.05"
                               << "0";
    QTest::newRow("no bands") << "ninguna" << at("10:00:00.000") << minutes(60) << ana << "0.05"
                              << "0";
    QTest::newRow("only empty bands") << "vacias" << at("10:00:00.000") << minutes(60) << ana << "0.05"
                                      << "0";
    QTest::newRow("empty band on the way")
        << "conVacia" << at("13:00:00.000") << minutes(6 * 60) << ana << "0.05"
        << "7.00";
    QTest::newRow("band tariff not cached")
        << "sinTarifa" << at("21:00:00.000") << minutes(120) << ana << "0.05"
        << "2.00";
    QTest::newRow("start tariff not cached")
        << "sinTarifa" << at("10:10:00.000") << minutes(10) << ana << "0.05"
        << "0";
    // A variable band prices its piece by its step: 30 min -> 1.80, 15 min -> 1.00.
    QTest::newRow("variable band 30 min") << "variable" << at("20:30:00.000") << minutes(60) << ana << "0.05"
                                          << "2.80";
    QTest::newRow("variable band 15 min") << "variable" << at("20:15:00.000") << minutes(30) << ana << "0.05"
                                          << "1.50";
    QTest::newRow("variable band ends exactly at the border")
        << "variable" << at("08:00:00.000", 1) << minutes(60) << ana << "0.05"
        << "2.00";
    // A start between bands: the walk goes on from the first band in order.
    QTest::newRow("start in a gap") << "hueco" << at("17:30:00.000") << minutes(180) << ana << "0.05"
                                    << "3.00";
}

void TstTarifas::precioFranjas() {
    QFETCH(QString, set);
    QFETCH(QDateTime, now);
    QFETCH(qint64, ms);
    QFETCH(QString, login);
    QFETCH(QString, unit);
    QFETCH(QString, expected);
    QCOMPARE(PrecioFranjas(cache(), bands(set), ms, 0, 100, login, Direccion::Pasado, Ahora(now),
                           settingsWith(unit)),
             m(expected));
}

void TstTarifas::precioFranjasDirections() {
    const RuntimeSettings s = settingsWith(QStringLiteral("0.05"));
    const FranjasSnapshot b = bands(QStringLiteral("diaNoche"));
    const QString ana = QStringLiteral("ana");
    // The same period seen from its end and from its start.
    QCOMPARE(
        PrecioFranjas(cache(), b, minutes(60), 0, 100, ana, Direccion::Futuro, Ahora(at("19:30:00.000")), s),
        m(QStringLiteral("1.50")));
    QCOMPARE(
        PrecioFranjas(cache(), b, minutes(60), 0, 100, ana, Direccion::Pasado, Ahora(at("19:30:00.000")), s),
        m(QStringLiteral("1.00")));
    // Discount and relative price scale every piece.
    QCOMPARE(
        PrecioFranjas(cache(), b, minutes(60), 10, 200, ana, Direccion::Futuro, Ahora(at("19:30:00.000")), s),
        m(QStringLiteral("2.70")));
}

void TstTarifas::tiempoPorImporte_data() {
    QTest::addColumn<bool>("porfranjas");
    QTest::addColumn<int>("cambiotarifa");
    QTest::addColumn<QString>("set");
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<int>("relative");
    QTest::addColumn<QString>("hourly");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<qint64>("seconds");

    const QDateTime t1930 = at("19:30:00.000");
    QTest::newRow("0.50 at 1.20") << false << 0 << "diaNoche" << t1930 << 100 << "1.20"
                                  << "0.50" << qint64(1500);
    QTest::newRow("relative 200 halves") << false << 0 << "diaNoche" << t1930 << 200 << "1.20"
                                         << "0.50" << qint64(750);
    QTest::newRow("relative 0 is ignored") << false << 0 << "diaNoche" << t1930 << 0 << "1.20"
                                           << "0.50" << qint64(1500);
    QTest::newRow("no hourly cost") << false << 0 << "diaNoche" << t1930 << 100 << "0"
                                    << "0.50" << qint64(0);
    QTest::newRow("no amount") << false << 0 << "diaNoche" << t1930 << 100 << "1.20"
                               << "0" << qint64(0);
    QTest::newRow("negative amount") << false << 0 << "diaNoche" << t1930 << 100 << "1.20"
                                     << "-1.00" << qint64(0);
    QTest::newRow("bands kept off by cambiotarifa") << true << 1 << "diaNoche" << t1930 << 100 << "1.20"
                                                    << "0.50" << qint64(1500);

    // With bands: 30 min of day for 0.50, then the night at 2.00 an hour.
    QTest::newRow("bands 1.50 at 19:30") << true << 0 << "diaNoche" << t1930 << 100 << "9.99"
                                         << "1.50" << qint64(3600);
    QTest::newRow("bands amount ends at a border") << true << 0 << "diaNoche" << t1930 << 100 << "9.99"
                                                   << "0.50" << qint64(1800);
    QTest::newRow("bands within the first band")
        << true << 0 << "diaNoche" << at("10:00:00.000") << 100 << "9.99"
        << "0.25" << qint64(900);
    QTest::newRow("bands relative 200") << true << 0 << "diaNoche" << t1930 << 200 << "9.99"
                                        << "1.00" << qint64(1800);
    // 10 h of day (10.00), then 27 whole days at 36.00, then 18.00 of night.
    QTest::newRow("bands many days") << true << 0 << "diaNoche" << at("10:00:00.000") << 100 << "9.99"
                                     << "1000.00" << qint64((10 + 27 * 24 + 9) * 3600);
    QTest::newRow("bands skip an unknown tariff")
        << true << 0 << "sinTarifa" << at("10:00:00.000") << 100 << "9.99"
        << "2.00" << qint64(3600);
    QTest::newRow("bands skip a variable tariff")
        << true << 0 << "variable" << at("10:00:00.000") << 100 << "9.99"
        << "2.00" << qint64(3600);
    QTest::newRow("bands no fixed tariff") << true << 0 << "nadaFija" << at("10:00:00.000") << 100 << "9.99"
                                           << "2.00" << qint64(0);
    QTest::newRow("bands free day then night")
        << true << 0 << "gratisDia" << at("10:00:00.000") << 100 << "9.99"
        << "1.00" << qint64(10 * 3600 + 1800);
    // Nothing ever costs money: the first span and one round of the bands.
    QTest::newRow("bands all free") << true << 0 << "gratis" << at("10:00:00.000") << 100 << "9.99"
                                    << "1.00" << qint64(34 * 3600);
    QTest::newRow("no bands at all") << true << 0 << "ninguna" << t1930 << 100 << "1.20"
                                     << "1.00" << qint64(0);
    QTest::newRow("only empty bands") << true << 0 << "vacias" << t1930 << 100 << "1.20"
                                      << "1.00" << qint64(0);
}

void TstTarifas::tiempoPorImporte() {
    QFETCH(bool, porfranjas);
    QFETCH(int, cambiotarifa);
    QFETCH(QString, set);
    QFETCH(QDateTime, now);
    QFETCH(int, relative);
    QFETCH(QString, hourly);
    QFETCH(QString, amount);
    QFETCH(qint64, seconds);
    const long double got = TiempoPorImporte(cache(), bands(set), relative, m(hourly), m(amount), now,
                                             settingsWith(QStringLiteral("0.05"), porfranjas, cambiotarifa));
    QCOMPARE(horasMinutos(got).seconds, seconds);
}

void TstTarifas::importePorTiempo_data() {
    QTest::addColumn<bool>("porfranjas");
    QTest::addColumn<QString>("set");
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<QString>("hourly");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("relative");

    QTest::newRow("25 min at 1.20") << false << "diaNoche" << at("19:30:00.000") << qint64(1500) << "1.20"
                                    << "0.50" << 100;
    // What the customer pays for a minute at 150 % buys that minute back.
    QTest::newRow("a minute at 150 %") << false << "diaNoche" << at("19:30:00.000") << qint64(60) << "1.20"
                                       << "0.03" << 150;
    QTest::newRow("bands at 150 %") << true << "diaNoche" << at("19:30:00.000") << qint64(3600) << "9.99"
                                    << "2.25" << 150;
    QTest::newRow("no unit, no minimum") << false << "diaNoche" << at("19:30:00.000") << qint64(1) << "1.20"
                                         << "0.0003" << 100;
    QTest::newRow("nothing for no time") << false << "diaNoche" << at("19:30:00.000") << qint64(0) << "1.20"
                                         << "0" << 100;
    QTest::newRow("bands from now") << true << "diaNoche" << at("19:30:00.000") << qint64(3600) << "9.99"
                                    << "1.50" << 100;
    QTest::newRow("bands, start band minimum")
        << true << "minimos" << at("10:00:00.000") << qint64(600) << "9.99"
        << "0.50" << 100;
}

void TstTarifas::importePorTiempo() {
    QFETCH(bool, porfranjas);
    QFETCH(QString, set);
    QFETCH(QDateTime, now);
    QFETCH(qint64, seconds);
    QFETCH(QString, hourly);
    QFETCH(QString, expected);
    QFETCH(int, relative);
    QCOMPARE(ImportePorTiempo(cache(), bands(set), seconds, relative, m(hourly), now,
                              settingsWith(QStringLiteral("0.05"), porfranjas, 0)),
             m(expected));
}

void TstTarifas::horasMinutosDialog_data() {
    QTest::addColumn<double>("seconds");
    QTest::addColumn<int>("hours");
    QTest::addColumn<int>("minutes");

    QTest::newRow("25 min") << 1500.0 << 0 << 25;
    QTest::newRow("minutes round") << 1529.0 << 0 << 25;
    QTest::newRow("half minute to even") << 1530.0 << 0 << 26;
    QTest::newRow("60 carries") << 3570.0 << 1 << 0;
    QTest::newRow("hours truncate") << 7199.4 << 2 << 0;
    QTest::newRow("negative is none") << -20.0 << 0 << 0;
}

void TstTarifas::horasMinutosDialog() {
    QFETCH(double, seconds);
    QFETCH(int, hours);
    QFETCH(int, minutes);
    const HorasMinutos hm = horasMinutos(static_cast<long double>(seconds));
    QCOMPARE(hm.hours, hours);
    QCOMPARE(hm.minutes, minutes);
}

namespace {

int addTarifa(const QSqlDatabase& db, const QString& nom, int tipo, const QString& hora, const QString& min) {
    store::Tarifa t;
    t.NOM = nom;
    t.TIPO = tipo;
    t.COS_HORA = m(hora);
    t.COS_MIN = m(min);
    return static_cast<int>(store::insert(db, t));
}

void addInterval(const QSqlDatabase& db, int id, int fin, const QString& precio) {
    store::LinTarifa l;
    l.id_tarifa = id;
    l.franja_fin = fin;
    l.precio = m(precio);
    store::insert(db, l);
}

} // namespace

void TstTarifas::cacheBuiltFromTables() {
    TestDatabase tdb;
    const QSqlDatabase db = tdb.data.db();
    const int v1 = addTarifa(db, QStringLiteral("V1"), 1, QStringLiteral("5.00"), QStringLiteral("5.00"));
    addTarifa(db, QStringLiteral("F1"), 0, QStringLiteral("1.20"), QStringLiteral("0.50"));
    addTarifa(db, QStringLiteral("OTRA"), 2, QStringLiteral("1.00"), QStringLiteral("0"));
    addTarifa(db, QStringLiteral("F2"), 0, QStringLiteral("2.00"), QStringLiteral("0"));
    addTarifa(db, QStringLiteral("V2"), 1, QStringLiteral("0"), QStringLiteral("0"));
    addInterval(db, v1, 60, QStringLiteral("1.80"));
    addInterval(db, v1, 30, QStringLiteral("1.00"));
    addInterval(db, v1, 120, QStringLiteral("3.00"));

    const ListaTarifas list = ListaTarifas::load(db);
    QCOMPARE(list.names(), (QStringList{"F1", "F2", "V1", "V2"}));
    const Ttarifas* f1 = list.find(QStringLiteral("F1"));
    QVERIFY(f1 && f1->isFixed());
    QCOMPARE(f1->hourlyCost, m(QStringLiteral("1.20")));
    QCOMPARE(f1->minimumCost, m(QStringLiteral("0.50")));
    const Ttarifas* v = list.find(QStringLiteral("V1"));
    QVERIFY(v && v->isVariable());
    // A variable tariff has no minimum, whatever its row says.
    QCOMPARE(v->minimumCost, Currency());
    QCOMPARE(v->intervals, (std::vector<Tintervalo>{{30, m(QStringLiteral("1.00"))},
                                                    {60, m(QStringLiteral("1.80"))},
                                                    {120, m(QStringLiteral("3.00"))}}));
    QVERIFY(list.find(QStringLiteral("V2"))->intervals.empty());
    QVERIFY(!list.find(QStringLiteral("OTRA")));
}

void TstTarifas::cacheLookupAndEditing() {
    TestDatabase tdb;
    const QSqlDatabase db = tdb.data.db();
    addTarifa(db, QStringLiteral("NORMAL"), 0, QStringLiteral("1.20"), QStringLiteral("0.50"));
    addTarifa(db, QStringLiteral("Normal"), 1, QStringLiteral("0"), QStringLiteral("0"));
    ListaTarifas list = ListaTarifas::load(db);
    const Ttarifas* normal = list.find(QStringLiteral("NORMAL"));
    QVERIFY(normal && normal->isFixed());
    QVERIFY(list.find(QStringLiteral("Normal"))->isVariable());
    QVERIFY(!list.find(QStringLiteral("normal")));
    QVERIFY(!list.find(QStringLiteral("NORMAL ")));

    // A new tariff goes to the end; a variable one brings its intervals.
    store::Tarifa row;
    row.NOM = QStringLiteral("NUEVA");
    row.TIPO = 1;
    row.ID_TAR = addTarifa(db, row.NOM, row.TIPO, QStringLiteral("0"), QStringLiteral("0"));
    addInterval(db, row.ID_TAR, 45, QStringLiteral("2.00"));
    QVERIFY(list.appendRecord(db, row));
    QCOMPARE(list.names().last(), QStringLiteral("NUEVA"));
    QCOMPARE(list.find(QStringLiteral("NUEVA"))->intervals.size(), size_t(1));

    // An edited interval list replaces the cached one.
    addInterval(db, row.ID_TAR, 15, QStringLiteral("0.75"));
    QVERIFY(list.refreshIntervals(db, row));
    QCOMPARE(list.find(QStringLiteral("NUEVA"))->intervals.front(),
             (Tintervalo{15, m(QStringLiteral("0.75"))}));

    QVERIFY(list.updateFixedCosts(QStringLiteral("NORMAL"), m(QStringLiteral("1.50")),
                                  m(QStringLiteral("0.60"))));
    QCOMPARE(normal->hourlyCost, m(QStringLiteral("1.50")));
    QVERIFY(!list.updateFixedCosts(QStringLiteral("NADA"), Currency(), Currency()));

    // Of two records with one name the first answers; removing it uncovers the second.
    QVERIFY(list.append(
        Ttarifas{QStringLiteral("NORMAL"), Ttarifas::Fija, m(QStringLiteral("9.00")), Currency(), {}}));
    QCOMPARE(list.find(QStringLiteral("NORMAL")), normal);

    // Stations hold pointers: editing other records never moves a record.
    const Ttarifas* variableNormal = list.find(QStringLiteral("Normal"));
    QVERIFY(list.remove(QStringLiteral("NUEVA")));
    for (int i = 0; i < 50; ++i)
        list.append(Ttarifas{QStringLiteral("X%1").arg(i), Ttarifas::Fija, Currency(), Currency(), {}});
    QCOMPARE(list.find(QStringLiteral("Normal")), variableNormal);
    QCOMPARE(list.find(QStringLiteral("NORMAL")), normal);
    QVERIFY(!list.find(QStringLiteral("NUEVA")));
    QVERIFY(!list.remove(QStringLiteral("NUEVA")));

    QVERIFY(list.remove(QStringLiteral("NORMAL")));
    QCOMPARE(list.find(QStringLiteral("NORMAL"))->hourlyCost, m(QStringLiteral("9.00")));

    // A type the cache does not hold is not appended.
    store::Tarifa other;
    other.NOM = QStringLiteral("RARA");
    other.TIPO = 3;
    QVERIFY(!list.appendRecord(db, other));
    QVERIFY(!list.find(QStringLiteral("RARA")));
}

void TstTarifas::costeHoraTarifa() {
    TestDatabase tdb;
    const QSqlDatabase db = tdb.data.db();
    addTarifa(db, QStringLiteral("NORMAL"), 0, QStringLiteral("1.20"), QStringLiteral("0.50"));
    QCOMPARE(CosteHoraTarifa(db, QStringLiteral("NORMAL")), m(QStringLiteral("1.20")));
    QCOMPARE(CosteHoraTarifa(db, QStringLiteral("normal")), m(QStringLiteral("-1.00")));
    QCOMPARE(CosteHoraTarifa(db, QStringLiteral("NADA")), m(QStringLiteral("-1.00")));
    QCOMPARE(CosteHoraTarifa(db, QStringLiteral("x' OR '1'='1")), m(QStringLiteral("-1.00")));
}

void TstTarifas::tarifaBorrable() {
    TestDatabase tdb;
    const QSqlDatabase db = tdb.data.db();
    store::Franja f;
    f.franja_ini = QTime(8, 0);
    f.franja_fin = QTime(20, 0);
    f.tarifa = QStringLiteral("DIA");
    store::insert(db, f);

    const QStringList stations{QStringLiteral("NORMAL"), QStringLiteral("FRANJAS")};
    auto check = [&](const QString& name, const QStringList& inUse) {
        return TarifaBorrable(db, name, inUse);
    };

    TarifaBorrableResult r = check(QStringLiteral("NORMAL"), stations);
    QCOMPARE(r.outcome, TarifaBorrableResult::Outcome::InUseAtStation);
    QCOMPARE(tarifaMessages().text(r.messageKey, ui::Language::Spanish),
             QStringLiteral("No se puede eliminar esta tarifa.\rSe está utilizando en algún puesto."));

    r = check(QStringLiteral("DIA"), stations);
    QCOMPARE(r.outcome, TarifaBorrableResult::Outcome::UsedByBand);
    QCOMPARE(tarifaMessages().text(r.messageKey, ui::Language::Spanish),
             QStringLiteral("No se puede eliminar esta tarifa.\rAlguna franja horaria la utiliza."));
    // The text stays Spanish in English too.
    QCOMPARE(tarifaMessages().text(r.messageKey, ui::Language::English),
             tarifaMessages().text(r.messageKey, ui::Language::Spanish));

    // A station outranks a band.
    QCOMPARE(check(QStringLiteral("DIA"), {QStringLiteral("DIA")}).outcome,
             TarifaBorrableResult::Outcome::InUseAtStation);
    // Names compare exactly.
    QVERIFY(check(QStringLiteral("normal"), stations).allowed());
    QVERIFY(check(QStringLiteral("dia"), stations).allowed());
    QVERIFY(check(QStringLiteral("NOCHE"), stations).allowed());
    QVERIFY(check(QStringLiteral("NOCHE"), stations).messageKey.isEmpty());
    // A station of another console runs on it, as its row tells; a free
    // row's old tariff counts for nothing, nor does a row of this console
    // (its stations say it better).
    store::run(
        db, QStringLiteral("INSERT INTO puestos (npuesto, estado, tarifa, CONSOLA) VALUES "
                           "(20, 3, 'NOCHE', 'ALLI'), (21, 1, 'TARDE', 'ALLI'), (22, 2, 'MAÑANA', 'AQUI')"));
    const auto here = [&](const QString& name) {
        return TarifaBorrable(db, name, stations, QStringLiteral("AQUI"));
    };
    QCOMPARE(here(QStringLiteral("NOCHE")).outcome, TarifaBorrableResult::Outcome::InUseAtStation);
    QVERIFY(here(QStringLiteral("TARDE")).allowed());
    QVERIFY(here(QStringLiteral("MAÑANA")).allowed());
}

void TstTarifas::bandSnapshotFromTable() {
    TestDatabase tdb;
    const QSqlDatabase db = tdb.data.db();
    const char* rows[][3] = {{"20:00:00", "08:00:00", "NOCHE"},
                             {"14:00:00", "20:00:00", "TARDE"},
                             {"08:00:00", "14:00:00", "MANANA"}};
    for (const auto& r : rows)
        store::insert(db, band(r[0], r[1], r[2]));
    const FranjasSnapshot snap = FranjasSnapshot::load(db);
    QCOMPARE(snap.size(), 3);
    QCOMPARE(snap.bands().at(0).tarifa, QStringLiteral("NOCHE"));
    QCOMPARE(snap.bands().at(1).tarifa, QStringLiteral("MANANA"));
    QCOMPARE(snap.bands().at(2).tarifa, QStringLiteral("TARDE"));
    QCOMPARE(snap.bands().at(0).lengthMs, qint64(12 * 3600 * 1000));
    QCOMPARE(snap.cycleMs(), FranjasSnapshot::DayMs);
    // 14:00 ends one band and begins the next: the first in franja_fin order
    // holds it, with an empty first piece.
    QCOMPARE(snap.startBand(14 * 3600 * 1000).index, 1);
    QCOMPARE(snap.startBand(14 * 3600 * 1000).firstPieceMs, qint64(0));
    QCOMPARE(snap.startBand(14 * 3600 * 1000 + 1000).index, 2);
    QCOMPARE(snap.startBand(8 * 3600 * 1000).index, 0);
    QCOMPARE(snap.startBand(3 * 3600 * 1000).index, 0);
}

void TstTarifas::ahoraAcrossClockChanges_data() {
    QTest::addColumn<QDateTime>("now");
    QTest::newRow("an ordinary day") << QDateTime(QDate(2026, 2, 10), QTime(12, 0));
    QTest::newRow("after the spring change") << QDateTime(QDate(2026, 3, 29), QTime(3, 30));
    QTest::newRow("just before the spring change") << QDateTime(QDate(2026, 3, 29), QTime(1, 59, 59));
    QTest::newRow("after the autumn change") << QDateTime(QDate(2026, 10, 25), QTime(4, 0));
    QTest::newRow("in UTC") << QDateTime(QDate(2026, 3, 29), QTime(1, 30), QTimeZone::utc());
}

void TstTarifas::ahoraAcrossClockChanges() {
    // The fast local time of the clock's tick must agree with the slow
    // conversion, also when the period crosses a change of the offset.
    QFETCH(QDateTime, now);
    const session::Ahora ahora(now);
    for (qint64 offset : {0LL, -1000LL, -3600000LL, -2 * 3600000LL - 1, -5 * 3600000LL, -26 * 3600000LL,
                          3600000LL, 3 * 3600000LL})
        QCOMPARE(ahora.msOfDayAt(offset), session::msOfDay(now.addMSecs(offset).time()));
}

QTEST_GUILESS_MAIN(TstTarifas)
#include "tst_tarifas.moc"
