#include "sales/cupsprinter.h"

#include "admin/impresoras.h"

#include <cups/cups.h>

namespace sales {

namespace {

QString lastError() {
    const char* text = cupsLastErrorString();
    return text && *text ? QString::fromLocal8Bit(text) : QStringLiteral("Error de impresión.");
}

} // namespace

QStringList CupsPrinter::printers() {
    return admin::impresorasInstaladas();
}

RawPrinter::Outcome CupsPrinter::print(const QString& printer, const QByteArray& data,
                                       const QString& documentName) {
    if (printers().isEmpty()) {
        // No destinations: either none is installed or the scheduler did not
        // answer; its own text says which.
        if (cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE)
            return Outcome{Outcome::Kind::Failed, lastError()};
        return Outcome{Outcome::Kind::NoPrinterInstalled, QString()};
    }
    const QByteArray name = printer.toUtf8();
    const QByteArray title = documentName.toUtf8();
    const int job = cupsCreateJob(CUPS_HTTP_DEFAULT, name.constData(), title.constData(), 0, nullptr);
    if (job == 0)
        return Outcome{Outcome::Kind::Failed, lastError()};
    // The job, once created, is always ended: with the bytes, or cancelled empty.
    if (cupsStartDocument(CUPS_HTTP_DEFAULT, name.constData(), job, title.constData(), CUPS_FORMAT_RAW, 1) !=
        HTTP_STATUS_CONTINUE) {
        const QString error = lastError();
        cupsCancelJob2(CUPS_HTTP_DEFAULT, name.constData(), job, 0);
        return Outcome{Outcome::Kind::Failed, error};
    }
    if (cupsWriteRequestData(CUPS_HTTP_DEFAULT, data.constData(), size_t(data.size())) !=
        HTTP_STATUS_CONTINUE) {
        const QString error = lastError();
        cupsFinishDocument(CUPS_HTTP_DEFAULT, name.constData());
        cupsCancelJob2(CUPS_HTTP_DEFAULT, name.constData(), job, 0);
        return Outcome{Outcome::Kind::Failed, error};
    }
    if (cupsFinishDocument(CUPS_HTTP_DEFAULT, name.constData()) > IPP_STATUS_OK_EVENTS_COMPLETE)
        return Outcome{Outcome::Kind::Failed, lastError()};
    return Outcome{};
}

} // namespace sales
