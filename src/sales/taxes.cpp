#include "sales/taxes.h"

#include "store/auditoriatexto.h"
#include "store/consolas.h"
#include "store/sql.h"
#include "store/transaction.h"

#include <cmath>

namespace sales {

Currency ImpuestoIncluido(Currency amount, qint64 rate) {
    const long double a = static_cast<long double>(amount.raw());
    const long double r = static_cast<long double>(rate);
    const long double t = a - (100.0L * a / (r + 1000000.0L)) * 10000.0L;
    return Currency::roundHalfEven(t);
}

qint64 rateUnits(double percent) {
    return roundHalfEvenToInt(static_cast<long double>(percent) * 10000.0L);
}

std::optional<store::Tasa> tasaById(const QSqlDatabase& db, int id) {
    return store::selectOne<store::Tasa>(db, QStringLiteral("WHERE IdTax = ?"), {id});
}

QString BuscarTasa(const QSqlDatabase& db, int id, int ivaGen, qint64& rate) {
    if (const auto tasa = tasaById(db, id)) {
        rate = rateUnits(tasa->valor);
        return tasa->Nombre;
    }
    if (const auto general = tasaById(db, ivaGen))
        return general->Nombre;
    return QString();
}

TaxBreakdown taxBreakdown(const QSqlDatabase& db, int idTick, int ivaGen) {
    // Lines without tax first, then by tax, so each tax's lines are adjacent.
    const std::vector<store::LinTick> lines = store::select<store::LinTick>(
        db, QStringLiteral("WHERE ID_TICK = ? ORDER BY IdTax, ID_LIN"), {idTick});
    TaxBreakdown out;
    // A tax that no longer exists is reckoned at rate 0 in both passes, so
    // the subtotal and the taxes always add up to the ticket's total.
    for (const store::LinTick& line : lines) {
        qint64 rate = 0;
        if (line.IdTax != 0)
            BuscarTasa(db, line.IdTax, ivaGen, rate);
        out.subtotal += line.IMPORTE - ImpuestoIncluido(line.IMPORTE, rate);
    }
    for (size_t i = 0; i < lines.size();) {
        const int id = lines[i].IdTax;
        if (id == 0) {
            ++i;
            continue;
        }
        qint64 rate = 0;
        TaxLine tax;
        tax.name = BuscarTasa(db, id, ivaGen, rate);
        for (; i < lines.size() && lines[i].IdTax == id; ++i)
            tax.amount += ImpuestoIncluido(lines[i].IMPORTE, rate);
        out.taxes.push_back(tax);
    }
    return out;
}

std::vector<store::Tasa> tasasByValor(const QSqlDatabase& db) {
    return store::select<store::Tasa>(db, QStringLiteral("ORDER BY valor DESC, IdTax"));
}

TasaCheck checkTasa(const QSqlDatabase& db, const QString& name, const QString& value, bool isNew) {
    if (name.isEmpty())
        return TasaCheck{QStringLiteral("DebeNombre"), TasaCheck::Field::Name};
    if (isNew && store::toInt(store::scalar(db, QStringLiteral("SELECT COUNT(*) FROM tasas WHERE Nombre = ?"),
                                            {name})) != 0)
        return TasaCheck{QStringLiteral("NombreDuplicado"), TasaCheck::Field::Name};
    QString typed = value.trimmed();
    typed.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double v = typed.toDouble(&ok);
    // A rate that is not a number is refused like an empty one.
    if (!ok || v < 0 || !std::isfinite(v))
        return TasaCheck{QStringLiteral("DebeValor"), TasaCheck::Field::Value};
    TasaCheck done;
    done.value = v;
    return done;
}

namespace {

QString tipo(double value) {
    return QStringLiteral("Tipo: ") + store::cantidadAuditada(value) + QStringLiteral(" %");
}

void auditar(const QSqlDatabase& db, const QString& operatorName, const QString& name, const QString& antes,
             const QString& despues) {
    store::auditar(
        db, {operatorName, store::accion::Impuesto, QStringLiteral("Impuesto ") + name, antes, despues, {}});
}

std::optional<store::Tasa> tasaParaCambiar(const QSqlDatabase& db, int id) {
    return store::selectOne<store::Tasa>(db, QStringLiteral("WHERE IdTax = ?") + store::forUpdate(db), {id});
}

} // namespace

int addTasa(const QSqlDatabase& db, const QString& name, double value, const QString& operatorName) {
    store::Tasa t;
    t.Nombre = name;
    t.valor = value;
    store::Transaction tx(db);
    const int id = static_cast<int>(store::insert(db, t));
    auditar(db, operatorName, name, QString(), tipo(value));
    tx.commit();
    return id;
}

void setTasaValor(const QSqlDatabase& db, int id, double value, const QString& operatorName) {
    store::Transaction tx(db);
    if (const std::optional<store::Tasa> before = tasaParaCambiar(db, id); before && before->valor != value)
        auditar(db, operatorName, before->Nombre, tipo(before->valor), tipo(value));
    store::run(db, QStringLiteral("UPDATE tasas SET valor = ? WHERE IdTax = ?"), {value, id});
    tx.commit();
}

void deleteTasa(const QSqlDatabase& db, int id, const QString& operatorName) {
    store::Transaction tx(db);
    if (const std::optional<store::Tasa> before = tasaParaCambiar(db, id))
        auditar(db, operatorName, before->Nombre, tipo(before->valor), QString());
    store::run(db, QStringLiteral("DELETE FROM tasas WHERE IdTax = ?"), {id});
    tx.commit();
}

} // namespace sales
