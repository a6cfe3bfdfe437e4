#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace sales {

// The platform's raw printing: one job of bytes delivered unchanged to a
// named printer. Called from the printing thread, one job at a time.
class RawPrinter {
public:
    virtual ~RawPrinter() = default;

    struct Outcome {
        enum class Kind { Printed, NoPrinterInstalled, Failed };
        Kind kind = Kind::Printed;
        // The system's text of a failure.
        QString error;
        bool ok() const { return kind == Kind::Printed; }
    };

    // The installed printers, for the options window's list.
    virtual QStringList printers() = 0;
    virtual Outcome print(const QString& printer, const QByteArray& data, const QString& documentName) = 0;
};

} // namespace sales
