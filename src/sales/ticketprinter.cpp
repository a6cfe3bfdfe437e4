#include "sales/ticketprinter.h"

#include <QPointer>
#include <QThread>

namespace sales {

namespace {
TicketPrinter* current = nullptr;
} // namespace

TicketPrinter::TicketPrinter(std::unique_ptr<RawPrinter> printer, QObject* parent)
    : QObject(parent)
    , m_printer(std::move(printer))
    , m_thread(new QThread)
    , m_worker(new QObject) {
    m_thread->setObjectName(QStringLiteral("ticket printer"));
    m_worker->moveToThread(m_thread);
    m_thread->start();
    current = this;
}

TicketPrinter::~TicketPrinter() {
    if (current == this)
        current = nullptr;
    m_thread->quit();
    if (m_thread->wait(5000)) {
        delete m_worker;
        delete m_thread;
    }
    // A job stuck in the system's printing calls keeps its thread; the
    // process is ending, and stopping a thread by force would be worse.
}

TicketPrinter* TicketPrinter::instance() {
    return current;
}

const ui::MessageTable& TicketPrinter::messages() {
    static const ui::MessageTable table{
        {"ConfigurarImpresora",
         QStringLiteral("Debe configurar la impresora de Tickets en parámetros generales."), QString()},
        {"NoImpresora", QStringLiteral("No se instaló ninguna impresora"), QString()},
        {"ImpresoraOcupada", QStringLiteral("La impresora está ocupada"), QString()},
        {"ErrorCaracteres", QStringLiteral("Número de caracteres a imprimir demasiado grande"), QString()},
    };
    return table;
}

QString TicketPrinter::submit(const QString& printerName, const QByteArray& data) {
    if (printerName.trimmed().isEmpty() || printerName == QLatin1String("NoPrinter"))
        return QStringLiteral("ConfigurarImpresora");
    if (m_busy)
        return QStringLiteral("ImpresoraOcupada");
    if (data.size() > MaxBytes)
        return QStringLiteral("ErrorCaracteres");
    m_busy = true;
    std::shared_ptr<RawPrinter> printer = m_printer;
    QPointer<TicketPrinter> self(this);
    QMetaObject::invokeMethod(
        m_worker,
        [printer, printerName, data, self] {
            const RawPrinter::Outcome outcome = printer->print(printerName, data, DocumentName);
            if (self)
                QMetaObject::invokeMethod(
                    self.data(), [self, outcome] { self->deliver(outcome); }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
    return QString();
}

void TicketPrinter::deliver(const RawPrinter::Outcome& outcome) {
    m_busy = false;
    switch (outcome.kind) {
    case RawPrinter::Outcome::Kind::Printed:
        emit finished(true, QString());
        break;
    case RawPrinter::Outcome::Kind::NoPrinterInstalled:
        emit finished(false, messages().text(QStringLiteral("NoImpresora")));
        break;
    case RawPrinter::Outcome::Kind::Failed:
        emit finished(false, outcome.error);
        break;
    }
}

QStringList TicketPrinter::printers() {
    return m_printer->printers();
}

} // namespace sales
