#include "sales/ticketlayouts.h"

#include "core/formatohora.h"
#include "sales/puntoventa.h"
#include "sales/taxes.h"
#include "sales/tickets.h"
#include "store/dialect.h"
#include "store/opciones.h"
#include "store/rows.h"
#include "store/sql.h"

namespace sales {

namespace {

const QString NL = QStringLiteral("\n");
const QString RULE = QString(40, QLatin1Char('-'));

QString pad(const QString& s, int n) {
    return s.size() >= n ? s : s + QString(n - s.size(), QLatin1Char(' '));
}
QString fix(const QString& s, int n) {
    return pad(s, n).left(n);
}
QString blanks(int n) {
    return QString(n, QLatin1Char(' '));
}

// Header and footer texts as their editors show them, line feeds only.
QString plain(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

struct Printing {
    const LayoutContext& c;
    store::Opciones opciones;

    QString label(const char* key) const { return printLabels().text(QLatin1String(key), c.language); }
    QString money(Currency v) const { return c.regional.formatCurrency(v); }
    QString quantity(double v) const {
        // The shortest plain form: no exponent, no trailing zeros.
        QString s = QString::number(v, 'f', 10);
        if (s.contains(QLatin1Char('.'))) {
            while (s.endsWith(QLatin1Char('0')))
                s.chop(1);
            if (s.endsWith(QLatin1Char('.')))
                s.chop(1);
        }
        if (s == QLatin1String("-0"))
            s = QStringLiteral("0");
        s.replace(QLatin1Char('.'), c.regional.decimalSeparator());
        return s;
    }
    store::Ticket ticket(int idTick) const {
        auto t = ticketById(c.db, idTick);
        if (!t)
            throw store::DatabaseError(QStringLiteral("Ticket inexistente..."));
        return *t;
    }
    QString ticketLine(const store::Ticket& t) const {
        return QStringLiteral("TICKET : ") + t.NUM_TICKET + QStringLiteral("   ") +
               c.regional.formatDate(t.FECHA) + QStringLiteral("   ") + c.regional.formatTime(t.HORA) + NL +
               NL;
    }
    QString breakdown(int idTick) const {
        return opciones.desgloseiva ? DesgloseImpuestos(c, idTick) : QString();
    }
    QString total(const store::Ticket& t) const { return lineaTotal(c.regional, t.IMPORTE) + NL + NL; }
    QString deliveredAndChange() const {
        const store::Udart u = readUdart(c.db);
        return pad(label("ENTREGADO"), 27) + money(u.ENTREGADO) + NL + pad(label("CAMBIO"), 27) +
               money(u.CAMBIO) + NL;
    }
    QByteArray finish(const QString& text, const QString& footer) const {
        return toWindows1252(text + NL + plain(footer)) + endOfTicket();
    }
};

QByteArray accountTicket(const LayoutContext& c, int idTick, bool codeForm, bool recarga,
                         const QString& login, const QString& credit, const QString& time,
                         const QString& password) {
    const Printing p{c, store::readOpciones(c.db)};
    const store::Ticket t = p.ticket(idTick);
    QString s = plain(p.opciones.TEXTO_TICK) + NL;
    s += p.ticketLine(t);
    s += p.label("Articulo") + NL;
    s += p.label("CANT") + blanks(3) + p.label("PRECIO") + blanks(8) + p.label("preciototal") + NL;
    s += RULE + NL;
    for (const store::LinTick& l : lines(c.db, idTick)) {
        s += l.ARTICULO + NL;
        s += pad(fix(p.quantity(l.CANT), 7) + QLatin1Char(' ') + p.money(l.PRECIO), 27) + p.money(l.IMPORTE) +
             NL;
    }
    s += NL;
    const QString loginLine = p.label("Cuenta") + QStringLiteral(" :") + blanks(12) + login + NL;
    const QString passwordLine = p.label("Password") + QStringLiteral(" :") + blanks(10) + password + NL;
    if (codeForm) {
        s += loginLine + passwordLine + p.label("Tiempodisponible") + QStringLiteral(" : ") + time + NL;
    } else {
        s += loginLine;
        if (!recarga)
            s += passwordLine;
        s += p.label("Tiempodisponible") + QStringLiteral("  : ") + time + NL;
        s += p.label("creditodisponible") + QStringLiteral(" : ") + credit + NL;
    }
    s += NL + RULE + NL;
    s += p.breakdown(idTick);
    s += p.total(t);
    return p.finish(s, p.opciones.TEXTO_FINAL);
}

QString receiptHead(const Printing& p, const QDateTime& now, const QString& login) {
    QString s = plain(p.opciones.TXTCUENTA_INI) + NL + NL;
    s += QStringLiteral("FECHA: ") + p.c.regional.formatDate(now.date()) + QLatin1Char(' ') +
         p.c.regional.formatTime(now.time()) + NL + NL;
    s += RULE + NL + NL;
    s += p.label("Cuenta") + QStringLiteral(" :") + blanks(13) + login + NL;
    return s;
}

} // namespace

const ui::MessageTable& printLabels() {
    static const ui::MessageTable table{
        {"codigo", QStringLiteral("CODIGO"), QStringLiteral("CODE")},
        {"Articulo", QStringLiteral("ARTICULO"), QStringLiteral("ARTICLE")},
        {"CANT", QStringLiteral("CANT."), QStringLiteral("QTY.")},
        {"PRECIO", QStringLiteral("PRECIO/UN."), QString()},
        {"preciototal", QStringLiteral("IMPORTE"), QString()},
        {"ENTREGADO", QStringLiteral("ENTREGADO"), QString()},
        {"CAMBIO", QStringLiteral("CAMBIO"), QStringLiteral("CHANGE")},
        {"Cuenta", QStringLiteral("Login"), QString()},
        {"Password", QStringLiteral("Password"), QString()},
        {"Tiempodisponible", QStringLiteral("Tiempo disponible"), QString()},
        {"creditodisponible", QStringLiteral("Crédito disponible"), QString()},
        {"ESTADO", QStringLiteral("ESTADO DE CUENTA :"), QString()},
        {"DE", QStringLiteral("DE:"), QString()},
        {"FECHA", QStringLiteral("FECHA :"), QString()},
        {"CONCEPTO", QStringLiteral("CONCEPTO:"), QStringLiteral("CONCEPT")},
        {"SALDO_ANT", QStringLiteral("SALDO ANTERIOR :"), QString()},
        {"MOVIMIENTO", QStringLiteral("MOVIMIENTO :"), QString()},
        {"SALDOACTUAL", QStringLiteral("SALDO ACTUAL :"), QString()},
        {"Prueba", QStringLiteral("PRUEBA DE IMPRESORA"), QStringLiteral("PRINTER TEST")},
    };
    return table;
}

QString lineaTotal(const Regional& regional, Currency amount) {
    return pad(QStringLiteral("TOTAL"), 27) + regional.formatCurrency(amount);
}

QByteArray PruebaImpresora(const Regional& regional, ui::Language language, const QString& header,
                           const QString& footer, Currency sample) {
    QString s = plain(header) + NL + NL;
    s += printLabels().text(QStringLiteral("Prueba"), language) + NL;
    s += RULE + NL;
    s += lineaTotal(regional, sample) + NL + NL;
    return toWindows1252(s + NL + plain(footer)) + endOfTicket();
}

QByteArray endOfTicket() {
    return QByteArray("\x1b\x64\x0a\x1b\x6d", 5);
}

QByteArray drawerKick() {
    return QByteArray("\x1b\x70\x00\x0a\x64", 5);
}

QByteArray drawerBell() {
    return QByteArray("\x07", 1);
}

QByteArray toWindows1252(const QString& text) {
    // 0x80-0x9F of the code page; 0 where it has no character.
    static const char16_t high[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    QByteArray out;
    out.reserve(text.size());
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out += char(u);
            continue;
        }
        char byte = '?';
        if (u == 0x202F) // the narrow no-break space of some locales' amounts
            byte = char(0xA0);
        for (int i = 0; i < 32; ++i) {
            if (high[i] != 0 && high[i] == u)
                byte = char(0x80 + i);
        }
        out += byte;
    }
    return out;
}

QString DesgloseImpuestos(const LayoutContext& c, int idTick) {
    const store::Opciones o = store::readOpciones(c.db);
    const TaxBreakdown b = taxBreakdown(c.db, idTick, o.iva_gen);
    QString s = NL;
    s += pad(QStringLiteral("Subtotal"), 27) + c.regional.formatCurrency(b.subtotal) + NL;
    for (const TaxLine& t : b.taxes)
        s += fix(t.name, 27) + fix(c.regional.formatCurrency(t.amount), 13) + NL;
    return s;
}

QByteArray TicketVenta(const LayoutContext& c, int idTick) {
    const Printing p{c, store::readOpciones(c.db)};
    const store::Ticket t = p.ticket(idTick);
    QString s = plain(p.opciones.TEXTO_TICK) + NL;
    s += p.ticketLine(t);
    s += p.label("codigo") + blanks(11) + p.label("Articulo") + NL;
    s += p.label("CANT") + blanks(3) + p.label("PRECIO") + blanks(8) + p.label("preciototal") + NL;
    s += RULE + NL;
    for (const store::LinTick& l : lines(c.db, idTick)) {
        s += pad(l.CODIGO.left(15), 16) + QLatin1Char(' ') + l.ARTICULO + NL;
        s += pad(p.quantity(l.CANT), 8) + pad(p.money(l.PRECIO), 18) + p.money(l.IMPORTE) + NL;
    }
    s += RULE + NL;
    s += p.breakdown(idTick);
    s += p.total(t);
    s += p.deliveredAndChange();
    return p.finish(s, p.opciones.TEXTO_FINAL);
}

QByteArray TicketCuenta(const LayoutContext& c, int idTick, bool codeForm, const QString& login,
                        const QString& credit, const QString& time, const QString& password) {
    return accountTicket(c, idTick, codeForm, false, login, credit, time, password);
}

QByteArray TicketRecarga(const LayoutContext& c, int idTick, bool codeForm, const QString& login,
                         const QString& credit, const QString& time, const QString& password) {
    return accountTicket(c, idTick, codeForm, true, login, credit, time, password);
}

QByteArray ReciboCodigo(const LayoutContext& c, const QDateTime& now, const QString& login,
                        const QString& time, const QString& password) {
    const Printing p{c, store::readOpciones(c.db)};
    QString s = receiptHead(p, now, login);
    s += p.label("Password") + QStringLiteral(" :") + blanks(10) + password + NL;
    s += p.label("Tiempodisponible") + QStringLiteral(" : ") + time + NL;
    s += NL + RULE + NL + NL;
    return p.finish(s, p.opciones.TXTCUENTA_FIN);
}

QByteArray ReciboCuenta(const LayoutContext& c, const QDateTime& now, const QString& login,
                        const QString& password, const QString& credit, const QString& time) {
    const Printing p{c, store::readOpciones(c.db)};
    QString s = receiptHead(p, now, login);
    s += p.label("Password") + QStringLiteral(" :") + blanks(10) + password + NL;
    s += p.label("Tiempodisponible") + QStringLiteral("  : ") + time + NL;
    s += p.label("creditodisponible") + QStringLiteral(" : ") + credit + NL;
    s += NL + RULE + NL + NL;
    return p.finish(s, p.opciones.TXTCUENTA_FIN);
}

QByteArray ReciboMovimiento(const LayoutContext& c, int movId) {
    const Printing p{c, store::readOpciones(c.db)};
    const auto m = store::selectOne<store::MovCuenta>(c.db, QStringLiteral("WHERE ID = ?"), {movId});
    if (!m)
        throw store::DatabaseError(QStringLiteral("Movimiento inexistente."));
    const QString name = store::toText(store::scalar(c.db,
                                                     QStringLiteral("SELECT Nombre FROM cuentas WHERE ") +
                                                         store::equalsCaseless(c.db, QStringLiteral("Login")),
                                                     {m->CUENTA}));
    QString s = plain(p.opciones.TXTCUENTA_INI) + NL;
    s += p.label("ESTADO") + m->CUENTA + NL;
    s += p.label("DE") + name + NL + NL;
    s += p.label("FECHA") + c.regional.formatDate(m->FECHA) + QStringLiteral("  ") +
         c.regional.formatTime(m->HORA) + NL + NL;
    s += p.label("CONCEPTO") + m->CONCEPTO + NL + NL;
    const bool money = !m->SALDO_MOV.isZero();
    s += pad(p.label("SALDO_ANT"), 27) +
         (money ? p.money(m->SALDO_ANT) : FormatoHora(m->saldoti_ant_bono.value_or(0))) + NL;
    s += pad(p.label("MOVIMIENTO"), 27) + (money ? p.money(m->SALDO_MOV) : m->SALDOTI_MOV) + NL;
    s += pad(p.label("SALDOACTUAL"), 27) +
         (money ? p.money(m->SALDO_FIN) : FormatoHora(m->saldoti_fin_bono.value_or(0))) + NL;
    return p.finish(s, p.opciones.TXTCUENTA_FIN);
}

QByteArray ComprobanteCiber(const LayoutContext& c, int idTick) {
    const Printing p{c, store::readOpciones(c.db)};
    const store::Ticket t = p.ticket(idTick);
    QString s = plain(p.opciones.TXTCIBER_INI) + NL;
    s += p.ticketLine(t);
    s += p.label("Articulo") + blanks(12) + p.label("CANT") + blanks(2) + p.label("PRECIO") +
         QLatin1Char(' ') + NL;
    s += RULE + NL;
    for (const store::LinTick& l : lines(c.db, idTick))
        s += fix(l.ARTICULO, 20) + fix(p.quantity(l.CANT), 7) + fix(p.money(l.PRECIO), 13) + NL;
    s += RULE + NL;
    s += p.breakdown(idTick);
    s += p.total(t);
    s += p.deliveredAndChange();
    return p.finish(s, p.opciones.TXTCIBER_FIN);
}

} // namespace sales
