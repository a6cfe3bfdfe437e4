#pragma once

#include "sales/rawprinter.h"

namespace sales {

// Raw jobs through the CUPS scheduler named by the environment (CUPS_SERVER)
// or the system's default.
class CupsPrinter final : public RawPrinter {
public:
    QStringList printers() override;
    Outcome print(const QString& printer, const QByteArray& data, const QString& documentName) override;
};

} // namespace sales
