#include "reports/listadoauditoria.h"

#include "store/sql.h"

#include <QSqlQuery>

#include <algorithm>

namespace reports {

namespace {

constexpr double W = PageGeometry::printableWidth;
// A generous width of one character of the listing's text, so that a
// wrapped line fits its column as printed.
constexpr double charWidth = 1.75;

int charsFor(double width) {
    return std::max(4, int(width / charWidth));
}

QStringList distinct(const QSqlDatabase& db, const QString& column) {
    QStringList out;
    QSqlQuery q = store::run(
        db, QStringLiteral("SELECT DISTINCT COALESCE(%1, '') FROM auditoria ORDER BY 1").arg(column));
    while (q.next())
        out << store::toText(q.value(0));
    return out;
}

} // namespace

QStringList envolver(const QString& text, int width) {
    QStringList out;
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        QString rest = paragraph;
        rest.remove(QLatin1Char('\r'));
        while (rest.size() > width) {
            // The last blank that leaves a piece within the width; a word
            // longer than the width is cut.
            qsizetype cut = rest.lastIndexOf(QLatin1Char(' '), width);
            if (cut <= 0)
                cut = width;
            out << rest.left(cut);
            rest = rest.mid(cut).trimmed();
        }
        out << rest;
    }
    return out;
}

QStringList operadoresAuditados(const QSqlDatabase& db) {
    return distinct(db, QStringLiteral("OPERADOR"));
}

QStringList accionesAuditadas(const QSqlDatabase& db) {
    return distinct(db, QStringLiteral("ACCION"));
}

Report listadoAuditoria(const QSqlDatabase& db, const Regional& regional, const FiltroAuditoria& filtro,
                        const QDateTime& printedAt) {
    Report r;
    r.caption = QStringLiteral("[Registro de auditoría]");
    r.printedAt = printedAt;
    r.addTitle(r.addColumns({{0, W, Align::Left}}), {QStringLiteral("Registro de auditoría")});
    r.addTitle(
        r.addColumns(
            {{0, 14, Align::Left}, {15, 24, Align::Left}, {41, 14, Align::Left}, {56, 24, Align::Left}}),
        {QStringLiteral("Desde"), regional.formatDate(filtro.range.from), QStringLiteral("Hasta"),
         regional.formatDate(filtro.range.to)},
        Row::Style::Subtitle);
    if (filtro.operador || filtro.accion) {
        QStringList chosen;
        if (filtro.operador)
            chosen << QStringLiteral("Operador: ") +
                          (filtro.operador->isEmpty() ? QStringLiteral("(la consola)") : *filtro.operador);
        if (filtro.accion)
            chosen << QStringLiteral("Acción: ") + *filtro.accion;
        r.addTitle(r.addColumns({{0, W, Align::Left}}), {chosen.join(QStringLiteral("   "))},
                   Row::Style::Subtitle);
    }
    const std::vector<Column> columns{
        // A whole date (dd/MM/yyyy) needs 18 mm at the listing's size.
        {0, 18, Align::Left},  {18.5, 13, Align::Left}, {33, 13.5, Align::Left},  {47, 15.5, Align::Left},
        {63, 30, Align::Left}, {94, 22, Align::Left},   {117, 39.8, Align::Left}, {157.5, 39.8, Align::Left}};
    const int set = r.addColumns(columns);
    r.addHeader(set, {QStringLiteral("Fecha"), QStringLiteral("Hora"), QStringLiteral("Consola"),
                      QStringLiteral("Operador"), QStringLiteral("Acción"), QStringLiteral("Objeto"),
                      QStringLiteral("Antes"), QStringLiteral("Después")});

    QString sql = QStringLiteral("SELECT FECHA, HORA, CONSOLA, OPERADOR, ACCION, OBJETO, ANTES, DESPUES "
                                 "FROM auditoria WHERE FECHA BETWEEN ? AND ?");
    QVariantList values{store::sqlValue(filtro.range.from), store::sqlValue(filtro.range.to)};
    if (filtro.operador) {
        sql += QStringLiteral(" AND COALESCE(OPERADOR, '') = ?");
        values << *filtro.operador;
    }
    if (filtro.accion) {
        sql += QStringLiteral(" AND ACCION = ?");
        values << *filtro.accion;
    }
    sql += QStringLiteral(" ORDER BY FECHA, HORA, ID");
    QSqlQuery q = store::run(db, sql, values);
    while (q.next()) {
        QStringList record{regional.formatDate(store::toDate(q.value(0))),
                           regional.formatTime(store::toTime(q.value(1)))};
        for (int c = 2; c < 8; ++c)
            record << store::toText(q.value(c));
        std::vector<QStringList> wrapped;
        qsizetype height = 1;
        for (size_t c = 0; c < columns.size(); ++c) {
            // Dates and times are never cut.
            wrapped.push_back(c < 2 ? QStringList{record.at(int(c))}
                                    : envolver(record.at(int(c)), charsFor(columns[c].width)));
            height = std::max(height, wrapped.back().size());
        }
        Group& g = r.addGroup();
        for (qsizetype line = 0; line < height; ++line) {
            QStringList cells;
            for (const QStringList& w : wrapped)
                cells << w.value(line);
            g.rows.push_back(Row{set, cells, Row::Style::Normal, false});
        }
        r.records.push_back(record);
    }
    return r;
}

} // namespace reports
