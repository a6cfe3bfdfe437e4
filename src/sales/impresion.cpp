#include "sales/impresion.h"

#include "core/consolecontext.h"
#include "sales/puntoventa.h"
#include "sales/ticketprinter.h"
#include "store/datamodule.h"
#include "store/sql.h"
#include "ui/messagebox.h"
#include "ui/messagetable.h"

#include <QPointer>
#include <QWidget>

namespace sales {

namespace {

void showError(QWidget* parent, const QString& text) {
    ui::showError(parent, text);
}

} // namespace

LayoutContext layoutContext(const ConsoleContext& context) {
    return LayoutContext{context.data->db(), context.regional, ui::language()};
}

bool EnviarImpresoraTickets(QWidget* parent, ConsoleContext& context, const QByteArray& text) {
    TicketPrinter* printer = TicketPrinter::instance();
    QString name;
    try {
        name = store::toText(
            store::scalar(context.data->db(), QStringLiteral("SELECT impresoratick FROM opciones")));
    } catch (const store::DatabaseError& e) {
        showError(parent, e.text());
        return false;
    }
    const QString refusal = printer ? printer->submit(name, text)
                                    : (name.trimmed().isEmpty() || name == QLatin1String("NoPrinter")
                                           ? QStringLiteral("ConfigurarImpresora")
                                           : QStringLiteral("NoImpresora"));
    if (refusal == QLatin1String("ConfigurarImpresora")) {
        ui::showMessage(parent, TicketPrinter::messages(), refusal, ui::Icon::Information);
        return false;
    }
    if (!refusal.isEmpty()) {
        showError(parent, TicketPrinter::messages().text(refusal));
        return false;
    }
    QPointer<QWidget> owner(parent);
    QObject::connect(
        printer, &TicketPrinter::finished, printer,
        [owner](bool ok, const QString& error) {
            if (!ok)
                showError(owner.data(), error);
        },
        Qt::SingleShotConnection);
    return true;
}

bool imprimir(QWidget* parent, ConsoleContext& context,
              const std::function<QByteArray(const LayoutContext&)>& layout) {
    QByteArray text;
    try {
        text = layout(layoutContext(context));
    } catch (const store::DatabaseError& e) {
        showError(parent, e.text());
        return false;
    }
    return EnviarImpresoraTickets(parent, context, text);
}

bool abrirCajon(QWidget* parent, ConsoleContext& context) {
    return EnviarImpresoraTickets(parent, context, drawerKick());
}

bool abrirCajonBell(QWidget* parent, ConsoleContext& context) {
    return EnviarImpresoraTickets(parent, context, drawerBell());
}

bool abrirCajonSinVenta(QWidget* parent, ConsoleContext& context) {
    try {
        anotarCajonSinVenta(context.data->db(), context.currentOperator, context.clock->now());
    } catch (const store::DatabaseError& e) {
        showError(parent, e.text());
        return false;
    }
    return abrirCajon(parent, context);
}

} // namespace sales
