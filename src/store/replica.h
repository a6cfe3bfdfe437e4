#pragma once

#include <QDate>
#include <QString>

#include <optional>

namespace store {

// What the replica purges from the working database once the archive copy
// is made. Without a date every row of a ticked table goes; with one, only
// rows strictly before it.
struct ReplicaPlan {
    QString databasePath; // the working database (closed), or its server's URI
    QString password;     // the server's, when the URI does not carry it
    QString copyPath;     // the archive copy to make (a file, whatever the engine); must not exist
    QString copyName;     // as the operator typed it, for the messages
    bool tickets = true;
    bool movcuentas = true;
    bool ciber = true;
    std::optional<QDate> before;
    // The dated ticket purge commits after this many tickets or this long,
    // whichever comes first.
    int batchRows = 1000;
    int batchMs = 200;
};

// The window's side of a running replica.
class ReplicaObserver {
public:
    virtual ~ReplicaObserver() = default;
    virtual void line(const QString& text) = 0;
    // The dated ticket purge: its bar, one step per ticket.
    virtual void ticketPurgeStarted(int maximum) = 0;
    // Called after each committed batch with the tickets purged so far; lets
    // the window repaint and take a cancel.
    virtual void ticketPurged(int number) = 0;
    virtual bool cancelRequested() = 0;
    virtual void ticketPurgeEnded(bool cancelled) = 0;
    // A server's archive being written, in percent; lets the window repaint
    // and take a cancel, which then purges nothing.
    virtual void archiveProgress(int percent) { Q_UNUSED(percent); }
    virtual void archiveEnded(bool cancelled) { Q_UNUSED(cancelled); }
    // A failure to show in a box (compaction refused, database error).
    virtual void failure(const QString& text) = 0;
};

enum class ReplicaEnd { Finished, Cancelled, CopyFailed, Failed };

// Copies the working database to the archive, purges the ticked history
// tables of the working database and compacts it; nothing is purged unless
// the copy was made. Tickets go with their lines in batches, so that no
// cancel or crash leaves lines without their ticket; a cancel keeps the
// batches already committed, purges nothing else and does not compact.
//
// On a server other consoles go on writing meanwhile: the archive (a file)
// and the purge read one snapshot of the database, and the purge is one
// transaction committed only once the archive is written and on disk. A row
// written meanwhile is neither purged nor archived, and stays for the next
// replica; a cancel or a failure purges nothing.
ReplicaEnd runReplica(const ReplicaPlan& plan, ReplicaObserver& observer);

} // namespace store
