#pragma once

#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <initializer_list>
#include <map>

class TDataModule1;

namespace store {

// What a console keeps in memory from the tables and must read again when
// another console sharing the database edits it. Each has a row of cambios
// whose VERSION every edit bumps inside its own transaction, so a watcher
// sees a change exactly when it was committed.
enum class Cambio {
    Opciones,   // opciones and webconfig
    Tarifas,    // tarifas with their lintarifas
    Franjas,    // franjas
    Bonos,      // bonos and recargas
    Operadores, // operadores and their permissions
    Puestos,    // puestos: addresses, relative prices, owning console
};

QString claveCambio(Cambio cambio);

// Bumps the keys inside the caller's transaction. Throws DatabaseError.
void marcarCambio(const QSqlDatabase& db, Cambio cambio);
void marcarCambios(const QSqlDatabase& db, std::initializer_list<Cambio> cambios);

// Every key's version, in one statement.
std::map<QString, qint64> versionesCambios(const QSqlDatabase& db);

// Polls the versions on one connection and tells which keys moved since the
// last look. The first look only learns where they stand.
class ChangeWatcher : public QObject {
    Q_OBJECT
public:
    static constexpr int PollMs = 2000;

    explicit ChangeWatcher(TDataModule1& data, QObject* parent = nullptr);
    // The connection as it is at each look (none yet: nothing to look at).
    explicit ChangeWatcher(std::function<TDataModule1*()> data, QObject* parent = nullptr);

    void start(int intervalMs = PollMs);
    void stop();
    bool isRunning() const { return m_timer.isActive(); }
    // While it answers true the timer's looks are skipped; what changed
    // meanwhile shows at the first look after.
    void setHoldWhile(std::function<bool()> hold) { m_hold = std::move(hold); }

    // One look now. Answers the keys that moved (empty on the first look or
    // when the versions could not be read).
    QStringList poll();

signals:
    void changed(const QStringList& keys);
    // The versions could not be read: the engine's text. The next look tries again.
    void failed(const QString& error);

private:
    std::function<TDataModule1*()> m_data;
    QTimer m_timer;
    std::function<bool()> m_hold;
    std::map<QString, qint64> m_known;
    bool m_primed = false;
};

} // namespace store
