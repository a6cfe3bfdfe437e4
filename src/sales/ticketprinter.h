#pragma once

#include "sales/rawprinter.h"
#include "ui/messagetable.h"

#include <QObject>

#include <memory>

class QThread;

namespace sales {

// The application's ticket printer: hands each job to a printing thread so
// the counter never waits for the printer, one job at a time.
class TicketPrinter : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxBytes = 2048;
    static inline const QString DocumentName = QStringLiteral("Quintor ticket");

    explicit TicketPrinter(std::unique_ptr<RawPrinter> printer, QObject* parent = nullptr);
    ~TicketPrinter() override;

    // The printer of the console (the last one built), or null.
    static TicketPrinter* instance();

    static const ui::MessageTable& messages();

    // The checks that need no printer, then the job goes to the printing
    // thread. Answers the key of a refusal in messages(), or empty when the
    // job went; its end is reported by finished(). printerName is the
    // option's value ("NoPrinter" or empty when none is chosen).
    QString submit(const QString& printerName, const QByteArray& data);
    bool busy() const { return m_busy; }

    // The installed printers (asks the system on the calling thread).
    QStringList printers();

signals:
    // A job ended; on failure, error is the text to show.
    void finished(bool ok, const QString& error);

private:
    void deliver(const RawPrinter::Outcome& outcome);

    std::shared_ptr<RawPrinter> m_printer;
    QThread* m_thread = nullptr;
    QObject* m_worker = nullptr;
    bool m_busy = false;
};

} // namespace sales
