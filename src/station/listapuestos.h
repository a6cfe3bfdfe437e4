#pragma once

#include "core/consolecontext.h"
#include "core/result.h"
#include "station/linkdecisions.h"
#include "station/linkscheduler.h"
#include "station/loginsinuse.h"
#include "station/messagerow.h"
#include "station/tareacliente.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QSqlDatabase;
namespace store {
struct Puesto;
class DatabaseError;
} // namespace store
namespace station {
class Progress;
}
class ListaPuestos;

// One registry entry: the station's configuration and its record and link.
class TPuestos final : private station::LinkHost {
public:
    // The station's answer to a log-in already in use at another station.
    static constexpr int LoginInUse = 5;
    // puestos.host when the option Host is set, else puestos.ip.
    QString address;
    int number = 0;
    // Percent applied to every price of this station (100 = list price).
    int relativePrice = 100;
    // The grid never shows this station as unreachable.
    bool treatAsConnected = false;
    // Grid row, 1-based: registry position + 1, kept right after every reorder.
    int row = 0;
    std::unique_ptr<TTareaCliente> tarea;

    station::StationRecord& rec() { return tarea->rec(); }
    const station::StationRecord& rec() const { return tarea->rec(); }
    ListaPuestos& lista() const { return *m_lista; }

private:
    friend class ListaPuestos;
    explicit TPuestos(ListaPuestos& lista)
        : m_lista(&lista) {}

    int checkStationLogin(const QString& request) override;
    QString changeStationPassword(const QString& login, const QString& newPassword) override;
    void connectionChanged() override;
    void loginAccepted(const QString& login) override;
    void noticeQueued(const QString& message) override;

    ListaPuestos* m_lista;
};

// The registry of stations, in grid order: position p is grid row p + 1.
// Everything runs on the main thread; the links are asynchronous on the same
// event loop, so no lock is needed.
class ListaPuestos : public QObject {
    Q_OBJECT
public:
    static constexpr int PeriodicSaveMs = 60000;
    // More rows than this show the progress at load.
    static constexpr int ProgressAboveRows = 10;

    explicit ListaPuestos(ConsoleContext& context, QObject* parent = nullptr);
    ~ListaPuestos() override;

    ConsoleContext& context() const { return m_ctx; }

    // Until set, DefaultLinkDecisions answers. Not owned.
    void setDecisions(station::LinkDecisions* decisions);
    station::LinkDecisions& decisions() const { return *m_decisions; }
    // Books an ended period at once (before the station takes a new one);
    // false when the booking failed and the period is still pending.
    void setPendingBooker(std::function<bool(int pos)> booker) { m_booker = std::move(booker); }
    bool liquidarPendiente(int pos);
    station::LoginsInUse& loginsInUse() { return m_logins; }
    const station::LoginsInUse& loginsInUse() const { return m_logins; }

    // Timings, port and transport of links created from now on (the timings
    // and port are read by existing links at their next exchange).
    station::LinkEnvironment& linkEnvironment() { return m_env; }
    station::LinkScheduler& scheduler() { return m_scheduler; }
    station::LinkStatistics& statistics() { return m_statistics; }

    int count() const { return int(m_entries.size()); }
    TPuestos& at(int pos) { return *m_entries.at(size_t(pos)); }
    const TPuestos& at(int pos) const { return *m_entries.at(size_t(pos)); }
    TPuestos* byNumber(int number);
    const TPuestos* byNumber(int number) const;
    // Registry position of the station with that number, or -1.
    int positionOf(int number) const;
    bool stationsLoaded() const { return m_loaded; }

    // The grid row the commands act on, 1-based; 0 counts as 1.
    int selectedRow() const { return m_selectedRow; }
    void setSelectedRow(int row);
    TPuestos* selected();
    const TPuestos* selected() const;

    // Typing a station number while the main window has the focus: digits
    // collect, Enter selects the station with that number.
    void typeDigit(QChar c);
    void typeEnter();
    QString typedNumber() const { return m_typed; }

    // Builds the registry from the table puestos, in ascending npuesto.
    // progress (may be null) is shown for more than ten rows.
    Status CargarPuestos(station::Progress* progress = nullptr);
    // The same from rows already read; useHost picks puestos.host over ip.
    void cargarFilas(const std::vector<store::Puesto>& rows, bool useHost,
                     station::Progress* progress = nullptr);
    // Writes every entry back to puestos in one transaction, sorted by number
    // first. With progress (shut-down), progress is shown.
    Status GuardarPuestos(station::Progress* progress = nullptr);
    // Writes the rows of the stations in use (and of ends not booked yet) in
    // one transaction, unsorted.
    Status guardarOcupados();
    // Writes one entry's row at once (a period opened, closed or exchanged),
    // without sorting, so a crash never loses that event.
    Status guardarPuesto(int pos);
    // Writes one station's row as the record holds it, inside the caller's
    // transaction; a period that ended but is not booked yet is written as
    // running. Throws store::DatabaseError.
    static void escribirFila(const QSqlDatabase& db, int number, const station::StationRecord& rec);
    // The last write of the stations' work (a save, a booking, a log-in)
    // failed: its error, until one succeeds.
    QString saveError() const { return m_saveError; }
    // Every such write reports here: the first failure after working ones
    // raises saveFailed (once), each change of state saveStateChanged. A
    // failure that the outage check claims (the server went away) raises
    // nothing: whoever keeps the connection tells the operator.
    void noteSave(const Status& saved);
    // The same for a write that threw; a station written under an epoch
    // this console no longer holds raises ownershipLost instead.
    void noteError(const store::DatabaseError& error);
    void noteNotOwner();
    static QString notOwnerText(int number);
    void setOutageCheck(std::function<bool(const QString& error)> check) { m_outage = std::move(check); }
    // Adds the station of that npuesto and starts its link; a row without a
    // console becomes this console's. False when the table has no such row,
    // another console polls it, or the registry already holds that number.
    Result<bool> AnadirPuesto(int number);
    // Removes a station that is not in use: stops its link, drops the entry
    // and deletes its puestos row. The caller stops and restarts the clock.
    Status QuitarPuesto(int number);
    // A free station whose row changed: its link stops, its entry goes and
    // comes back from the row, so it polls its new address at once. False
    // when the station is in use (it keeps running as it was loaded).
    Result<bool> RecargarPuesto(int number);
    // The console whose stations this registry polls; empty (tests, tools)
    // loads every station.
    void setConsoleName(const QString& name) { m_console = name; }
    const QString& consoleName() const { return m_console; }
    // Brings the registry in step with the stations the console owns now:
    // stations taken over or given to it join (their periods go on from
    // their rows, polled when the links run), stations another console owns
    // now, or owned again under a newer epoch, leave without a write.
    struct Reconciliacion {
        QList<int> added;
        QList<int> dropped;
    };
    Result<Reconciliacion> reconciliar();
    // False when the station with that number is in counter or prepaid mode.
    bool PuestoLibre(int number) const;

    // Starts every link whose station is not deactivated; stops them all.
    void startAll();
    void stopAll();
    // The 60-second save of the registry.
    void startPeriodicSave();
    void stopPeriodicSave();
    bool periodicSaveActive() const { return m_saveTimer.isActive(); }

    void RedibujarFila(int pos);
    void RefrescarMenus();
    // 0 by number, 2 by clock, 3 by cost; other columns do not sort.
    void OrdenarPuestos(int column, bool ascending);

    // Operator commands on the selected station (they queue what the
    // station's next exchange sends). False when nothing was done.
    bool apagar(int kind);
    // Shut-down order to every free, reachable station; answers how many.
    int apagarTodos();
    bool desactivar();
    bool activar();
    // Queues the message (cut to what fits one line) and answers the row for
    // the message queue window; nothing when no station is loaded.
    std::optional<station::MessageQueueRow> EnviarMensaje(const QString& text);
    bool FijarVolumen(int value);

signals:
    void rowChanged(int pos);
    // Load, sort, addition or removal: every row may show another station.
    void rowsReset();
    void selectedRowChanged(int row);
    void menusRefreshRequested();
    // An account's notice was queued for a station as a message.
    void noticeQueued(int number, const QString& message);
    // A per-event or periodic save failed after the saves were working: the
    // window shows the error once.
    void saveFailed(const QString& error);
    // The saves started failing (error not empty) or work again (empty).
    void saveStateChanged(const QString& error);
    // A write found a station owned by another console now (from the event
    // loop, once per burst).
    void ownershipLost();

private:
    friend class TPuestos;
    std::unique_ptr<TPuestos> makeEntry(const store::Puesto& row, bool useHost);
    void renumber();
    void sortByNumber();
    void clear();
    void periodicSave();

    ConsoleContext& m_ctx;
    station::DefaultLinkDecisions m_defaultDecisions;
    station::LinkDecisions* m_decisions = &m_defaultDecisions;
    station::LoginsInUse m_logins;
    station::LinkScheduler m_scheduler;
    station::LinkStatistics m_statistics;
    station::LinkEnvironment m_env;
    std::vector<std::unique_ptr<TPuestos>> m_entries;
    bool m_loaded = false;
    int m_selectedRow = 1;
    QString m_typed;
    QTimer m_saveTimer;
    QString m_saveError;
    bool m_saveErrorIsOutage = false;
    bool m_notOwnerQueued = false;
    bool m_linksRunning = false;
    QString m_console;
    std::function<bool(int)> m_booker;
    std::function<bool(const QString&)> m_outage;
};
