#include "store/auditoriatexto.h"

#include "store/sql.h"

#include <QLocale>

#include <cmath>

namespace store {

QString importeAuditado(Currency amount) {
    const qint64 raw = amount.raw();
    // The magnitude unsigned: the smallest raw value has no positive counterpart.
    const quint64 magnitude = raw < 0 ? 0 - quint64(raw) : quint64(raw);
    QString fraction =
        QStringLiteral("%1").arg(magnitude % quint64(Currency::Scale), 4, 10, QLatin1Char('0'));
    while (fraction.size() > 2 && fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    return (raw < 0 ? QStringLiteral("-") : QString()) +
           QString::number(magnitude / quint64(Currency::Scale)) + QLatin1Char(',') + fraction;
}

QString cantidadAuditada(double quantity) {
    if (!std::isfinite(quantity))
        return QString::number(quantity);
    QString text = QLocale::c().toString(quantity, 'f', 4);
    while (text.contains(QLatin1Char('.')) &&
           (text.endsWith(QLatin1Char('0')) || text.endsWith(QLatin1Char('.'))))
        text.chop(1);
    text.replace(QLatin1Char('.'), QLatin1Char(','));
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

QString valorAuditado(bool value) {
    return value ? QStringLiteral("Sí") : QStringLiteral("No");
}

QString valorAuditado(int value) {
    return QString::number(value);
}

QString valorAuditado(double value) {
    return cantidadAuditada(value);
}

QString valorAuditado(const QString& value) {
    return value;
}

QString valorAuditado(Currency value) {
    return importeAuditado(value);
}

QString valorAuditado(const QDate& value) {
    return value.isValid() ? value.toString(QStringLiteral("dd/MM/yyyy")) : QString();
}

QString valorAuditado(const QTime& value) {
    return value.isValid() ? value.toString(QStringLiteral("HH:mm:ss")) : QString();
}

QString valorAuditado(const std::optional<int>& value) {
    return value ? QString::number(*value) : QString();
}

#define QUINTOR_AUDIT_FIELD(type, name) out.push_back({QStringLiteral(#name), valorAuditado(row.name)});

QList<ValorAuditado> camposAuditados(const Opciones& row) {
    QList<ValorAuditado> out;
    QUINTOR_OPCIONES(QUINTOR_AUDIT_FIELD)
    return out;
}

QList<ValorAuditado> camposAuditados(const WebConfig& row) {
    QList<ValorAuditado> out;
    QUINTOR_WEBCONFIG(QUINTOR_AUDIT_FIELD)
    return out;
}

#undef QUINTOR_AUDIT_FIELD

QString textoCampos(const QList<ValorAuditado>& campos) {
    QStringList lines;
    for (const ValorAuditado& c : campos)
        lines << c.nombre + QStringLiteral(": ") + c.valor;
    return lines.join(QLatin1Char('\n'));
}

QString nombreImpuesto(const QSqlDatabase& db, int idTax) {
    if (idTax == 0)
        return QString();
    QSqlQuery q = run(db, QStringLiteral("SELECT Nombre FROM tasas WHERE IdTax = ?"), {idTax});
    return q.next() ? toText(q.value(0)) : QStringLiteral("#") + QString::number(idTax);
}

} // namespace store
