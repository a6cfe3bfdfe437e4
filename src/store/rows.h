#pragma once

// Typed rows of every table, generated from one column list per table so the
// struct, the reader and the writer can never disagree. Column names are
// spelled as the database names them.

#include "core/currency.h"
#include "store/sql.h"

#include <QDate>
#include <QSqlRecord>
#include <QStringList>
#include <QTime>
#include <QVariantList>

#include <optional>
#include <vector>

namespace store::detail {

inline void read(const QVariant& v, bool& out) {
    out = toBool(v);
}
inline void read(const QVariant& v, int& out) {
    out = toInt(v);
}
inline void read(const QVariant& v, double& out) {
    out = toDouble(v);
}
inline void read(const QVariant& v, QString& out) {
    out = toText(v);
}
inline void read(const QVariant& v, Currency& out) {
    out = toCurrency(v);
}
inline void read(const QVariant& v, QDate& out) {
    out = toDate(v);
}
inline void read(const QVariant& v, QTime& out) {
    out = toTime(v);
}
inline void read(const QVariant& v, std::optional<int>& out) {
    out = toOptionalInt(v);
}

} // namespace store::detail

#define QUINTOR_ROW_FIELD(type, name) type name{};
#define QUINTOR_ROW_NAME(type, name) QStringLiteral(#name),
#define QUINTOR_ROW_READ(type, name) ::store::detail::read(rec.value(QStringLiteral(#name)), r.name);
#define QUINTOR_ROW_VALUE(type, name) << ::store::sqlValue(name)

// Declares struct NAME for TABLE with the columns of LIST; KEY is the name of
// the counter column or nullptr.
#define QUINTOR_DECLARE_ROW(NAME, TABLE, KEY, LIST)                                                          \
    struct NAME {                                                                                            \
        LIST(QUINTOR_ROW_FIELD)                                                                              \
        static QString table() { return QStringLiteral(TABLE); }                                             \
        static const char* key() { return KEY; }                                                             \
        static const QStringList& columns() {                                                                \
            static const QStringList c{LIST(QUINTOR_ROW_NAME)};                                              \
            return c;                                                                                        \
        }                                                                                                    \
        static NAME fromRecord(const QSqlRecord& rec) {                                                      \
            NAME r;                                                                                          \
            LIST(QUINTOR_ROW_READ)                                                                           \
            return r;                                                                                        \
        }                                                                                                    \
        QVariantList values() const { return QVariantList() LIST(QUINTOR_ROW_VALUE); }                       \
        bool operator==(const NAME&) const = default;                                                        \
    };

namespace store {

// clang-format off
#define QUINTOR_ARTICULOS(X) X(QString, CODIGO) X(QString, ARTICULO) X(Currency, PRECIO) X(int, IdTax)
QUINTOR_DECLARE_ROW(Articulo, "articulos", nullptr, QUINTOR_ARTICULOS)

#define QUINTOR_BONOS(X) X(QString, CODIGO) X(QString, DESCRIPCION) X(Currency, PRECIO) X(int, tiempo_bono)
QUINTOR_DECLARE_ROW(Bono, "bonos", nullptr, QUINTOR_BONOS)

#define QUINTOR_CIBER(X)                                                                                     \
    X(QDate, FECHA) X(QTime, HORA) X(int, NPUESTO) X(QString, MODALIDAD) X(QString, NUM_TICKET)              \
    X(QString, TARIFA) X(QString, OPERADOR) X(QString, CLIENTE) X(int, TIEMPO)
QUINTOR_DECLARE_ROW(Ciber, "ciber", nullptr, QUINTOR_CIBER)

#define QUINTOR_CUENTAS(X)                                                                                   \
    X(QString, Login) X(QString, Pass) X(QString, Nombre) X(QString, Dir) X(QString, Telf) X(QString, email) \
    X(QDate, Alta) X(QDate, Ultima) X(QString, Tipo) X(QString, Tarifa) X(Currency, credito)                 \
    X(int, Bonotiempo) X(int, Descuento) X(bool, Bloquear) X(bool, Desactivada) X(bool, Intropass)           \
    X(bool, Nomodpass) X(QString, Aviso) X(bool, CheckAviso) X(int, Escritorio) X(QString, Observaciones)
QUINTOR_DECLARE_ROW(Cuenta, "cuentas", nullptr, QUINTOR_CUENTAS)

#define QUINTOR_FRANJAS(X)                                                                                   \
    X(int, id_fran) X(QTime, franja_ini) X(QTime, franja_fin) X(int, id_tar) X(QString, tarifa)
QUINTOR_DECLARE_ROW(Franja, "franjas", "id_fran", QUINTOR_FRANJAS)

#define QUINTOR_GRIDS(X)                                                                                     \
    X(int, GRID1COL0) X(int, GRID1COL1) X(int, GRID1COL2) X(int, GRID1COL3) X(int, GRID1COL4)               \
    X(int, GRID1COL5) X(int, GRID1COL6) X(int, PANELIZQ) X(int, GRID2COL0) X(int, GRID2COL1)                \
    X(int, GRID2COL2) X(int, GRID2COL3) X(int, GRID2COL4) X(int, GRID2COL5) X(int, GRID2COL6)               \
    X(int, PANELINF) X(int, GRIDCUECOL0) X(int, GRIDCUECOL1) X(int, GRIDCUECOL2) X(int, GRIDCUECOL3)        \
    X(int, GRIDCUECOL4) X(int, GRIDCUECOL5) X(int, GRIDCODCOL0) X(int, GRIDCODCOL1) X(int, GRIDCODCOL2)
QUINTOR_DECLARE_ROW(Grids, "Grids", nullptr, QUINTOR_GRIDS)

#define QUINTOR_LINTARIFAS(X) X(int, id_tarifa) X(int, franja_ini) X(int, franja_fin) X(Currency, precio)
QUINTOR_DECLARE_ROW(LinTarifa, "lintarifas", nullptr, QUINTOR_LINTARIFAS)

#define QUINTOR_LINTICK(X)                                                                                   \
    X(int, ID_LIN) X(int, ID_TICK) X(QString, CODIGO) X(QString, ARTICULO) X(double, CANT)                  \
    X(Currency, PRECIO) X(Currency, IMPORTE) X(bool, BONO) X(int, IdTax)
QUINTOR_DECLARE_ROW(LinTick, "lintick", "ID_LIN", QUINTOR_LINTICK)

#define QUINTOR_MOVCUENTAS(X)                                                                                \
    X(int, ID) X(QString, CUENTA) X(QDate, FECHA) X(QTime, HORA) X(QString, TICKET) X(QString, CONCEPTO)    \
    X(Currency, SALDO_ANT) X(Currency, SALDO_MOV) X(Currency, SALDO_FIN)                                    \
    X(std::optional<int>, saldoti_ant_bono) X(QString, SALDOTI_MOV) X(std::optional<int>, saldoti_fin_bono) \
    X(bool, CONTA) X(QString, TIPOMOV) X(QString, CONSOLA)
QUINTOR_DECLARE_ROW(MovCuenta, "movcuentas", "ID", QUINTOR_MOVCUENTAS)

#define QUINTOR_PUESTOS(X)                                                                                   \
    X(int, npuesto) X(QString, ip) X(int, ip1) X(int, ip2) X(int, ip3) X(int, ip4) X(QString, host)         \
    X(int, preciorel) X(bool, trsinconex) X(int, estado) X(QString, sinconex) X(int, tiempo)                \
    X(Currency, coste) X(int, seg_prepago) X(Currency, coste_prepago) X(QString, cuenta) X(QString, pass)   \
    X(QString, tarifa) X(QString, tipotarifa) X(bool, cerraraut) X(Currency, pagado) X(int, descuento)      \
    X(int, Modoconexion) X(int, tiempointercambio) X(Currency, costeintercambio) X(QString, ticket)  \
    X(QString, CONSOLA) X(int, EPOCA)
QUINTOR_DECLARE_ROW(Puesto, "puestos", nullptr, QUINTOR_PUESTOS)

#define QUINTOR_RECARGAS(X) X(QString, CODIGO) X(QString, DESCRIPCION) X(Currency, PRECIO)
QUINTOR_DECLARE_ROW(Recarga, "recargas", nullptr, QUINTOR_RECARGAS)

#define QUINTOR_TARIFAS(X) X(int, ID_TAR) X(QString, NOM) X(int, TIPO) X(Currency, COS_HORA) X(Currency, COS_MIN)
QUINTOR_DECLARE_ROW(Tarifa, "tarifas", "ID_TAR", QUINTOR_TARIFAS)

#define QUINTOR_TASAS(X) X(int, IdTax) X(QString, Nombre) X(double, valor)
QUINTOR_DECLARE_ROW(Tasa, "tasas", "IdTax", QUINTOR_TASAS)

#define QUINTOR_TICKET(X)                                                                                    \
    X(int, ID_TICK) X(QString, NUM_TICKET) X(QDate, FECHA) X(QTime, HORA) X(Currency, IMPORTE)              \
    X(QString, CLIENTE) X(int, NPUESTO) X(QString, MODO) X(bool, CONTA) X(QString, OPERADOR)                \
    X(QString, OBSERVACIONES) X(QString, CONSOLA)
QUINTOR_DECLARE_ROW(Ticket, "ticket", "ID_TICK", QUINTOR_TICKET)

#define QUINTOR_TURNOS(X) X(QString, TURNO) X(QTime, HORA_INI) X(QTime, HORA_FIN)
QUINTOR_DECLARE_ROW(Turno, "turnos", nullptr, QUINTOR_TURNOS)

#define QUINTOR_UDART(X)                                                                                     \
    X(double, UD) X(QString, ART) X(Currency, PRE) X(Currency, IMP) X(Currency, ENTREGADO) X(Currency, CAMBIO) \
    X(QString, CONSOLA)
QUINTOR_DECLARE_ROW(Udart, "udart", nullptr, QUINTOR_UDART)

#define QUINTOR_WEBCONFIG(X)                                                                                 \
    X(int, Id) X(bool, activar) X(QString, smtp) X(QString, port) X(QString, userid) X(QString, body)       \
    X(QString, copy) X(QString, blindcopy) X(QString, de) X(QString, attach) X(QString, to1)                \
    X(QString, to2) X(QString, to3) X(QString, deinformes) X(QString, toinformes) X(QString, smtpinformes)  \
    X(QString, portinformes) X(QString, ccinformes) X(bool, inicio) X(bool, fin) X(bool, cambio)            \
    X(bool, resumen) X(bool, estado) X(bool, informe) X(int, frecuencia) X(int, Desocupacion_p)            \
    X(QString, smtpusuario) X(QString, smtpclave) X(bool, smtptls) X(QString, usuarioinformes)              \
    X(QString, claveinformes) X(bool, tlsinformes) X(bool, smtpsincifrar) X(bool, sincifrarinformes)
QUINTOR_DECLARE_ROW(WebConfig, "webconfig", "Id", QUINTOR_WEBCONFIG)

#define QUINTOR_OPCIONES(X)                                                                                  \
    X(int, NUM_TICK) X(QString, TEXTO_TICK) X(QString, TEXTO_FINAL) X(QString, TXTCIBER_INI)                \
    X(QString, TXTCIBER_FIN) X(QString, TXTCUENTA_INI) X(QString, TXTCUENTA_FIN)                            \
    X(Currency, TOTALIZAPUESTO) X(Currency, redondeo) X(Currency, alarmacredito) X(Currency, dbeditpesetas) \
    X(Currency, stringciber) X(Currency, op4_cash)                                                          \
    X(bool, alinicio) X(bool, porfranjas) X(bool, porfranjascli) X(bool, Host) X(bool, desgloseiva)         \
    X(bool, op2_1) X(bool, op2_4) X(bool, op2_6) X(bool, op2_7) X(bool, op3_1) X(bool, op3_3)               \
    X(bool, op3_4) X(bool, op3_6) X(bool, op4_2) X(bool, op4_3) X(bool, sup) X(bool, inf)                   \
    X(bool, tick_cargo) X(bool, tick_aviso)                                                                 \
    X(int, alarmaprepago) X(int, op4_4) X(int, contador) X(int, izq_sup) X(int, izq_inf) X(int, panelinf)   \
    X(QString, DBLookUp) X(QString, textocargo) X(QString, impresoratick) X(QString, ini_tarifa)            \
    X(QString, ini_tarifa_2) X(QString, pass_ini) X(QString, pass_ini2) X(QString, ID) X(QString, ini_met)  \
    X(QString, ini_time) X(QString, ini_time_cod) X(QTime, stringtiempo)                                    \
    X(int, ping) X(int, iva_gen) X(int, cad_cod) X(int, cad_cue) X(int, dias_cad_cue) X(int, dias_cad_cod)  \
    X(int, cambiotarifa) X(int, cmb_1) X(int, cmb_1_val) X(int, op2_2) X(int, op2_5) X(int, op3_2)          \
    X(int, cmb_2) X(int, cmb_2_val) X(int, op4_1) X(int, ini_desktop) X(int, ini_desktop_cod)               \
    X(int, imp_cierre) X(int, esperatoma) X(int, bloq_intentos) X(int, bloq_ventana) X(int, bloq_minutos)     \
    X(int, bloq_puesto_intentos) X(int, bloq_puesto_minutos)
QUINTOR_DECLARE_ROW(Opciones, "opciones", nullptr, QUINTOR_OPCIONES)
// clang-format on

// Rows that record the console that wrote them (CONSOLA): a row inserted
// without one gets the connection's writing console.
template <class Row> inline constexpr bool recordsConsole = false;
template <> inline constexpr bool recordsConsole<Ticket> = true;
template <> inline constexpr bool recordsConsole<MovCuenta> = true;

// SELECT of a row type's columns; tail is what follows the table name
// (WHERE, ORDER BY), with "?" for the values.
template <class Row>
std::vector<Row> select(const QSqlDatabase& db, const QString& tail = QString(),
                        const QVariantList& values = {}) {
    QString sql = QStringLiteral("SELECT ") + Row::columns().join(QStringLiteral(", ")) +
                  QStringLiteral(" FROM ") + Row::table();
    if (!tail.isEmpty())
        sql += QLatin1Char(' ') + tail;
    QSqlQuery q = run(db, sql, values);
    std::vector<Row> rows;
    while (q.next())
        rows.push_back(Row::fromRecord(q.record()));
    return rows;
}

template <class Row>
std::optional<Row> selectOne(const QSqlDatabase& db, const QString& tail = QString(),
                             const QVariantList& values = {}) {
    std::vector<Row> rows = select<Row>(db, tail, values);
    if (rows.empty())
        return std::nullopt;
    return rows.front();
}

// Inserts a row; the counter column, when the table has one, is left to the
// database. Answers the new counter value (or the row id).
template <class Row> qint64 insert(const QSqlDatabase& db, const Row& row) {
    const QStringList& all = Row::columns();
    QVariantList allValues;
    if constexpr (recordsConsole<Row>) {
        Row stamped = row;
        if (stamped.CONSOLA.isEmpty())
            stamped.CONSOLA = writingConsole(db);
        allValues = stamped.values();
    } else {
        allValues = row.values();
    }
    QStringList cols;
    QVariantList vals;
    for (int i = 0; i < all.size(); ++i) {
        if (Row::key() && all.at(i) == QLatin1String(Row::key()))
            continue;
        cols << all.at(i);
        vals << allValues.at(i);
    }
    QStringList marks;
    for (int i = 0; i < cols.size(); ++i)
        marks << QStringLiteral("?");
    // RETURNING, not the driver's last insert id: only SQLite's driver has one.
    QSqlQuery q = run(db,
                      QStringLiteral("INSERT INTO ") + Row::table() + QStringLiteral(" (") +
                          cols.join(QStringLiteral(", ")) + QStringLiteral(") VALUES (") +
                          marks.join(QStringLiteral(", ")) + QStringLiteral(") RETURNING ") +
                          (Row::key() ? QLatin1String(Row::key()) : QLatin1String("rowid")),
                      vals);
    return q.next() ? q.value(0).toLongLong() : 0;
}

// Writes every column of a row; where selects the rows (with "?" values).
template <class Row>
void update(const QSqlDatabase& db, const Row& row, const QString& where, const QVariantList& whereValues) {
    const QStringList& all = Row::columns();
    const QVariantList allValues = row.values();
    QStringList sets;
    QVariantList vals;
    for (int i = 0; i < all.size(); ++i) {
        if (Row::key() && all.at(i) == QLatin1String(Row::key()))
            continue;
        sets << all.at(i) + QStringLiteral(" = ?");
        vals << allValues.at(i);
    }
    vals << whereValues;
    QString sql =
        QStringLiteral("UPDATE ") + Row::table() + QStringLiteral(" SET ") + sets.join(QStringLiteral(", "));
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + where;
    run(db, sql, vals);
}

} // namespace store
