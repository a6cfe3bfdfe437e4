#include "app/consoleapplication.h"

#include "store/sql.h"
#include "ui/messagebox.h"

#include <QTimer>

ConsoleApplication::ConsoleApplication(int& argc, char** argv)
    : QApplication(argc, argv) {}

bool ConsoleApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const store::DatabaseError& e) {
        qWarning("Unhandled database error: %s", qPrintable(e.text()));
        showLater(e.text());
        return true;
    } catch (const CurrencyOverflow&) {
        // An amount no box lets through, computed from stored values.
        showLater(QStringLiteral("El importe está fuera de rango."));
        return true;
    }
}

void ConsoleApplication::showLater(const QString& text) {
    // One box at a time, opened from the event loop rather than from inside
    // the handler that failed.
    if (m_showing)
        return;
    m_showing = true;
    QTimer::singleShot(0, this, [this, text] {
        ui::showError(activeWindow(), text);
        m_showing = false;
    });
}
