#include "station/listapuestos.h"

#include "core/formatohora.h"
#include "station/progress.h"
#include "station/wireformat.h"
#include "store/consolas.h"
#include "store/datamodule.h"
#include "store/opciones.h"
#include "store/rows.h"
#include "store/sql.h"
#include "store/transaction.h"

#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>

using station::Estado;
using station::Pendiente;

// ---- TPuestos: what the station's link asks of the registry ----

int TPuestos::checkStationLogin(const QString& request) {
    // A period that ended an instant ago is booked before a new one starts;
    // while that fails the request stays unanswered and the station asks again.
    if (rec().bookingPending() && !m_lista->liquidarPendiente(row - 1))
        return -1;
    const station::StationRecord before = rec();
    try {
        const int code = m_lista->decisions().CheckStationLogin(*this, request);
        if (code != 0)
            return code;
        // The accepted period is written at once: a crash a second later
        // still finds it running, and bills it.
        station::StationRecord accepted = rec();
        station::aceptarLogin(accepted, accepted.accountLogin.isEmpty() ? station::loginFromRequest(request)
                                                                        : accepted.accountLogin);
        if (m_lista->m_ctx.data) {
            // The login is claimed for every console's stations in the
            // transaction that writes the period: of two consoles accepting
            // it at once, the second meets the first's claim.
            const QSqlDatabase db = m_lista->m_ctx.data->db();
            store::Transaction tx(db);
            if (!store::reclamarLogin(db, accepted.accountLogin, number, m_lista->m_console)) {
                rec() = before;
                return LoginInUse;
            }
            ListaPuestos::escribirFila(db, number, accepted);
            tx.commit();
        }
        m_lista->noteSave(Status::success());
        return 0;
    } catch (const store::DatabaseError& e) {
        // Never a wrong password: the customer is answered once the database is back.
        rec() = before;
        m_lista->noteError(e);
        return -1;
    }
}

QString TPuestos::changeStationPassword(const QString& login, const QString& newPassword) {
    try {
        return m_lista->decisions().ChangeStationPassword(login, newPassword);
    } catch (const store::DatabaseError& e) {
        m_lista->noteSave(Status::failure(e.text()));
        return QStringLiteral("0");
    }
}

void TPuestos::connectionChanged() {
    m_lista->RedibujarFila(row - 1);
    m_lista->RefrescarMenus();
}

void TPuestos::loginAccepted(const QString& login) {
    m_lista->m_logins.add(login);
    m_lista->RedibujarFila(row - 1);
    m_lista->RefrescarMenus();
}

void TPuestos::noticeQueued(const QString& message) {
    emit m_lista->noticeQueued(number, message);
}

// ---- ListaPuestos ----

ListaPuestos::ListaPuestos(ConsoleContext& context, QObject* parent)
    : QObject(parent)
    , m_ctx(context)
    , m_scheduler(*context.clock) {
    m_env.settings = &m_ctx.settings;
    m_env.regional = &m_ctx.regional;
    m_env.scheduler = &m_scheduler;
    m_env.statistics = &m_statistics;
    m_saveTimer.setInterval(PeriodicSaveMs);
    connect(&m_saveTimer, &QTimer::timeout, this, &ListaPuestos::periodicSave);
}

ListaPuestos::~ListaPuestos() {
    clear();
}

void ListaPuestos::setDecisions(station::LinkDecisions* decisions) {
    m_decisions = decisions ? decisions : &m_defaultDecisions;
}

bool ListaPuestos::liquidarPendiente(int pos) {
    if (pos < 0 || pos >= count() || !at(pos).rec().bookingPending())
        return true;
    return m_booker && m_booker(pos);
}

TPuestos* ListaPuestos::byNumber(int number) {
    const int pos = positionOf(number);
    return pos < 0 ? nullptr : m_entries[size_t(pos)].get();
}

const TPuestos* ListaPuestos::byNumber(int number) const {
    const int pos = positionOf(number);
    return pos < 0 ? nullptr : m_entries[size_t(pos)].get();
}

int ListaPuestos::positionOf(int number) const {
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i]->number == number)
            return int(i);
    }
    return -1;
}

void ListaPuestos::setSelectedRow(int row) {
    const bool changed = row != m_selectedRow;
    m_selectedRow = row;
    if (changed)
        emit selectedRowChanged(row);
    RefrescarMenus();
}

TPuestos* ListaPuestos::selected() {
    const int row = m_selectedRow <= 0 ? 1 : m_selectedRow;
    return row <= count() ? m_entries[size_t(row - 1)].get() : nullptr;
}

const TPuestos* ListaPuestos::selected() const {
    return const_cast<ListaPuestos*>(this)->selected();
}

void ListaPuestos::typeDigit(QChar c) {
    // Longer than any station number already; a held key must not grow it for ever.
    if (c >= QLatin1Char('0') && c <= QLatin1Char('9') && m_typed.size() < 16)
        m_typed += c;
}

void ListaPuestos::typeEnter() {
    bool ok = false;
    const int number = m_typed.toInt(&ok);
    m_typed.clear();
    if (!ok)
        return;
    int row = 0;
    for (const auto& e : m_entries) {
        if (e->number == number)
            row = e->row;
    }
    if (row == 0)
        return;
    setSelectedRow(row);
}

std::unique_ptr<TPuestos> ListaPuestos::makeEntry(const store::Puesto& row, bool useHost) {
    std::unique_ptr<TPuestos> e(new TPuestos(*this));
    e->number = row.npuesto;
    e->address = (useHost ? row.host : row.ip).trimmed();
    e->relativePrice = row.preciorel;
    e->treatAsConnected = row.trsinconex;
    e->tarea =
        std::make_unique<TTareaCliente>(e->address, e->number, m_env, static_cast<station::LinkHost&>(*e));

    station::StationRecord& r = e->rec();
    r.estado = (row.estado >= 1 && row.estado <= 5) ? Estado(row.estado - 1) : Estado::Libre;
    r.estadoAnterior = r.estado;
    r.messageToSend.clear();
    r.messageReceived.clear();
    r.disconnected = row.sinconex == QLatin1String("1");
    r.ticketNumber = row.ticket;
    r.clockMs = qint64(row.tiempo) * 1000;
    r.exchangeTimeMs = qint64(row.tiempointercambio) * 1000;
    r.cost = row.coste;
    r.exchangeCost = row.costeintercambio;
    r.prepaidSeconds = row.seg_prepago;
    r.prepaidAmount = row.coste_prepago;
    r.tariffCheckPending = r.occupied();
    r.accountLogin = row.cuenta;
    r.password = row.pass;
    if (!r.accountLogin.isEmpty())
        m_logins.add(r.accountLogin);
    r.tariffName = row.tarifa;
    r.closeWhenCreditExhausted = row.cerraraut;
    r.moneyCredit = row.pagado;
    r.accountType = row.tipotarifa;
    r.discountPercent = row.descuento;
    r.noPasswordChange = row.Modoconexion;
    r.tariff = nullptr;
    r.epoch = row.EPOCA;
    return e;
}

void ListaPuestos::clear() {
    for (auto& e : m_entries)
        e->tarea->stop();
    m_entries.clear();
    m_loaded = false;
}

void ListaPuestos::renumber() {
    for (size_t i = 0; i < m_entries.size(); ++i)
        m_entries[i]->row = int(i) + 1;
}

Status ListaPuestos::CargarPuestos(station::Progress* progress) {
    if (!m_ctx.data)
        return Status::failure(QStringLiteral("No hay base de datos abierta."));
    try {
        const QSqlDatabase db = m_ctx.data->db();
        // A console that has a name polls only its own stations.
        const std::vector<store::Puesto> rows =
            m_console.isEmpty() ? store::select<store::Puesto>(db, QStringLiteral("ORDER BY npuesto"))
                                : store::select<store::Puesto>(
                                      db, QStringLiteral("WHERE CONSOLA = ? ORDER BY npuesto"), {m_console});
        const bool useHost = store::readOpciones(db).Host;
        cargarFilas(rows, useHost, progress);
    } catch (const store::DatabaseError& e) {
        return Status::failure(e.text());
    }
    return Status::success();
}

void ListaPuestos::cargarFilas(const std::vector<store::Puesto>& rows, bool useHost,
                               station::Progress* progress) {
    const bool show = progress && rows.size() > size_t(ProgressAboveRows);
    if (show)
        progress->begin(int(rows.size()));
    clear();
    m_entries.reserve(rows.size());
    for (const store::Puesto& row : rows) {
        m_entries.push_back(makeEntry(row, useHost));
        m_loaded = true;
        if (show)
            progress->step();
    }
    if (show)
        progress->end();
    renumber();
    emit rowsReset();
}

namespace {

// The row records when it was saved, on the database server's clock, so a
// reader elsewhere can run a station's clock on between saves.
QString saveStatement(const QSqlDatabase& db) {
    return QStringLiteral(
               "UPDATE puestos SET estado = ?, sinconex = ?, tiempo = ?, coste = ?, seg_prepago = ?, "
               "coste_prepago = ?, cuenta = ?, pass = ?, tarifa = ?, cerraraut = ?, pagado = ?, descuento = "
               "?, "
               "tipotarifa = ?, Modoconexion = ?, tiempointercambio = ?, costeintercambio = ?, ticket = ?, "
               "GUARDADO = ") +
           store::nowExpression(db) + QStringLiteral(" WHERE npuesto = ? AND COALESCE(EPOCA, 0) = ?");
}

// Writes one station's row through the prepared save statement; false when
// the row is no longer this console's (another took the station over).
bool saveEntry(const QSqlDatabase& db, QSqlQuery& q, int number, const station::StationRecord& r) {
    // The row may hold the period as booked: it stays as the server has it.
    if (r.bookingInDoubt())
        return true;
    const QVariantList values{
        int(r.estadoGuardado()) + 1,
        r.disconnected ? QStringLiteral("1") : QStringLiteral("0"),
        qlonglong(station::roundedSeconds(r.clockMs)),
        store::sqlValue(r.cost),
        r.prepaidSeconds,
        store::sqlValue(r.prepaidAmount),
        r.accountLogin,
        r.password,
        r.tariffName,
        store::sqlValue(r.closeWhenCreditExhausted),
        store::sqlValue(r.moneyCredit),
        r.discountPercent,
        r.accountType,
        r.noPasswordChange,
        qlonglong(station::roundedSeconds(r.exchangeTimeMs)),
        store::sqlValue(r.exchangeCost),
        r.ticketNumber,
        number,
        r.epoch,
    };
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values.at(i));
    if (!q.exec())
        throw store::failedStatement(db, q.lastError());
    return q.numRowsAffected() == 1;
}

QSqlQuery prepareSave(const QSqlDatabase& db) {
    store::requireOpen(db);
    QSqlQuery q(db);
    if (!q.prepare(saveStatement(db)))
        throw store::failedStatement(db, q.lastError());
    return q;
}

} // namespace

Status ListaPuestos::GuardarPuestos(station::Progress* progress) {
    if (!m_ctx.data)
        return Status::failure(QStringLiteral("No hay base de datos abierta."));
    try {
        const QSqlDatabase db = m_ctx.data->db();
        const int rows = store::toInt(store::scalar(db, QStringLiteral("SELECT COUNT(*) FROM puestos")));
        if (rows == 0)
            return Status::success();
        if (progress)
            progress->begin(rows);
        sortByNumber();

        store::Transaction transaction(db);
        QSqlQuery q = prepareSave(db);
        QList<int> lost;
        for (const auto& e : m_entries) {
            if (!saveEntry(db, q, e->number, e->rec()))
                lost << e->number;
            if (progress)
                progress->step();
        }
        transaction.commit();
        if (progress)
            progress->end();
        if (!lost.isEmpty())
            noteNotOwner();
    } catch (const store::DatabaseError& e) {
        if (progress)
            progress->end();
        return Status::failure(e.text());
    }
    return Status::success();
}

Status ListaPuestos::guardarOcupados() {
    if (!m_ctx.data)
        return Status::failure(QStringLiteral("No hay base de datos abierta."));
    try {
        const QSqlDatabase db = m_ctx.data->db();
        store::Transaction transaction(db);
        QSqlQuery q = prepareSave(db);
        bool lost = false;
        for (const auto& e : m_entries) {
            const station::StationRecord& r = e->rec();
            if ((r.occupied() || r.bookingPending()) && !saveEntry(db, q, e->number, r))
                lost = true;
        }
        transaction.commit();
        if (lost)
            noteNotOwner();
    } catch (const store::DatabaseError& e) {
        return Status::failure(e.text());
    }
    return Status::success();
}

Status ListaPuestos::guardarPuesto(int pos) {
    if (!m_ctx.data)
        return Status::failure(QStringLiteral("No hay base de datos abierta."));
    if (pos < 0 || pos >= count())
        return Status::success();
    Status saved = Status::success();
    try {
        escribirFila(m_ctx.data->db(), at(pos).number, at(pos).rec());
    } catch (const store::DatabaseError& e) {
        noteError(e);
        return Status::failure(e.text());
    }
    noteSave(saved);
    return saved;
}

void ListaPuestos::escribirFila(const QSqlDatabase& db, int number, const station::StationRecord& rec) {
    if (rec.bookingInDoubt())
        return;
    QSqlQuery q = prepareSave(db);
    if (!saveEntry(db, q, number, rec))
        throw store::DatabaseError(notOwnerText(number), store::DatabaseError::Cause::NotOwner);
}

QString ListaPuestos::notOwnerText(int number) {
    return QStringLiteral("El puesto %1 lo atiende ahora otra consola.").arg(number);
}

void ListaPuestos::noteError(const store::DatabaseError& error) {
    if (error.notOwner()) {
        noteNotOwner();
        return;
    }
    noteSave(Status::failure(error.text()));
}

void ListaPuestos::noteNotOwner() {
    // Whoever keeps the console's stations finds out which went, once.
    if (m_notOwnerQueued)
        return;
    m_notOwnerQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_notOwnerQueued = false;
            emit ownershipLost();
        },
        Qt::QueuedConnection);
}

void ListaPuestos::noteSave(const Status& saved) {
    const QString error = saved ? QString() : (saved.error().isEmpty() ? QStringLiteral("?") : saved.error());
    const bool outage = !error.isEmpty() && m_outage && m_outage(error);
    if (error == m_saveError)
        return;
    // Writes that failed only while the server was away were not refused.
    const bool wasWorking = m_saveError.isEmpty() || m_saveErrorIsOutage;
    m_saveError = error;
    m_saveErrorIsOutage = outage;
    emit saveStateChanged(error);
    // The box opens from the event loop: never in the middle of a tick or an
    // exchange, whose state a nested loop could change under them.
    if (!error.isEmpty() && wasWorking && !outage)
        QMetaObject::invokeMethod(
            this, [this, error] { emit saveFailed(error); }, Qt::QueuedConnection);
}

Result<bool> ListaPuestos::AnadirPuesto(int number) {
    if (byNumber(number))
        return false;
    if (!m_ctx.data)
        return Result<bool>::failure(QStringLiteral("No hay base de datos abierta."));
    std::optional<store::Puesto> row;
    bool useHost = false;
    try {
        const QSqlDatabase db = m_ctx.data->db();
        // A station written without a console is this one's, as at start-up.
        if (!m_console.isEmpty())
            store::run(db,
                       QStringLiteral(
                           "UPDATE puestos SET CONSOLA = ?, EPOCA = COALESCE(EPOCA, 0) + 1 WHERE npuesto = ? "
                           "AND COALESCE(CONSOLA, '') = ''"),
                       {m_console, number});
        row = store::selectOne<store::Puesto>(db, QStringLiteral("WHERE npuesto = ?"), {number});
        useHost = store::readOpciones(db).Host;
    } catch (const store::DatabaseError& e) {
        return Result<bool>::failure(e.text());
    }
    // Another console's station is polled there.
    if (!row || (!m_console.isEmpty() && row->CONSOLA != m_console))
        return false;
    m_entries.push_back(makeEntry(*row, useHost));
    m_loaded = true;
    TPuestos* added = m_entries.back().get();
    renumber();
    sortByNumber();
    if (added->rec().estado != Estado::Desactivado)
        added->tarea->start();
    return true;
}

Status ListaPuestos::QuitarPuesto(int number) {
    const int pos = positionOf(number);
    if (pos >= 0 &&
        (m_entries[size_t(pos)]->rec().occupied() || m_entries[size_t(pos)]->rec().bookingPending()))
        return Status::failure(QStringLiteral("El puesto está ocupado."));
    if (!m_ctx.data)
        return Status::failure(QStringLiteral("No hay base de datos abierta."));
    try {
        store::run(m_ctx.data->db(), QStringLiteral("DELETE FROM puestos WHERE npuesto = ?"), {number});
    } catch (const store::DatabaseError& e) {
        return Status::failure(e.text());
    }
    if (pos < 0)
        return Status::success();
    const TPuestos* keepSelected = selected();
    if (keepSelected == m_entries[size_t(pos)].get())
        keepSelected = nullptr;
    m_entries[size_t(pos)]->tarea->stop();
    m_entries.erase(m_entries.begin() + pos);
    renumber();
    m_loaded = !m_entries.empty();
    m_selectedRow = keepSelected ? keepSelected->row : qBound(1, m_selectedRow, qMax(1, count()));
    sortByNumber();
    emit selectedRowChanged(m_selectedRow);
    RefrescarMenus();
    return Status::success();
}

Result<bool> ListaPuestos::RecargarPuesto(int number) {
    const int pos = positionOf(number);
    if (pos >= 0) {
        if (m_entries[size_t(pos)]->rec().occupied())
            return false;
        m_entries[size_t(pos)]->tarea->stop();
        m_entries.erase(m_entries.begin() + pos);
        renumber();
        m_loaded = !m_entries.empty();
    }
    return AnadirPuesto(number);
}

Result<ListaPuestos::Reconciliacion> ListaPuestos::reconciliar() {
    Reconciliacion outcome;
    if (!m_ctx.data || m_console.isEmpty())
        return outcome;
    std::vector<store::Puesto> rows;
    bool useHost = false;
    try {
        const QSqlDatabase db = m_ctx.data->db();
        rows = store::select<store::Puesto>(db, QStringLiteral("WHERE CONSOLA = ? ORDER BY npuesto"),
                                            {m_console});
        useHost = store::readOpciones(db).Host;
    } catch (const store::DatabaseError& e) {
        return Result<Reconciliacion>::failure(e.text());
    }
    const TPuestos* keepSelected = selected();
    // Gone: rows now another's, or ours again under a newer epoch (taken and
    // given back), whose period this console's memory no longer knows.
    for (size_t i = m_entries.size(); i-- > 0;) {
        TPuestos& e = *m_entries[i];
        const auto row = std::find_if(rows.begin(), rows.end(),
                                      [&](const store::Puesto& r) { return r.npuesto == e.number; });
        if (row != rows.end() && row->EPOCA == e.rec().epoch)
            continue;
        outcome.dropped << e.number;
        if (!e.rec().accountLogin.isEmpty())
            m_logins.remove(e.rec().accountLogin);
        if (keepSelected == &e)
            keepSelected = nullptr;
        e.tarea->stop();
        m_entries.erase(m_entries.begin() + qsizetype(i));
    }
    for (const store::Puesto& row : rows) {
        if (positionOf(row.npuesto) >= 0)
            continue;
        m_entries.push_back(makeEntry(row, useHost));
        outcome.added << row.npuesto;
        if (m_linksRunning && m_entries.back()->rec().estado != Estado::Desactivado)
            m_entries.back()->tarea->start();
    }
    if (outcome.added.isEmpty() && outcome.dropped.isEmpty())
        return outcome;
    std::sort(outcome.dropped.begin(), outcome.dropped.end());
    m_loaded = !m_entries.empty();
    renumber();
    sortByNumber();
    m_selectedRow = keepSelected ? keepSelected->row : qBound(1, m_selectedRow, qMax(1, count()));
    emit rowsReset();
    emit selectedRowChanged(m_selectedRow);
    RefrescarMenus();
    return outcome;
}

bool ListaPuestos::PuestoLibre(int number) const {
    for (const auto& e : m_entries) {
        if (e->number == number && (e->rec().occupied() || e->rec().bookingPending()))
            return false;
    }
    return true;
}

void ListaPuestos::startAll() {
    m_linksRunning = true;
    for (auto& e : m_entries) {
        if (e->rec().estado != Estado::Desactivado)
            e->tarea->start();
    }
}

void ListaPuestos::stopAll() {
    m_linksRunning = false;
    for (auto& e : m_entries)
        e->tarea->stop();
}

void ListaPuestos::startPeriodicSave() {
    m_saveTimer.start();
}

void ListaPuestos::stopPeriodicSave() {
    m_saveTimer.stop();
}

void ListaPuestos::periodicSave() {
    noteSave(GuardarPuestos(nullptr));
}

void ListaPuestos::RedibujarFila(int pos) {
    if (pos >= 0 && pos < count())
        emit rowChanged(pos);
}

void ListaPuestos::RefrescarMenus() {
    emit menusRefreshRequested();
}

void ListaPuestos::OrdenarPuestos(int column, bool ascending) {
    auto key = [column](const std::unique_ptr<TPuestos>& e) -> qint64 {
        switch (column) {
        case 2:
            return e->rec().clockMs;
        case 3:
            return e->rec().cost.raw();
        default:
            return e->number;
        }
    };
    if (column != 0 && column != 2 && column != 3)
        return;
    const TPuestos* selectedBefore = selected();
    std::stable_sort(m_entries.begin(), m_entries.end(), [&](const auto& a, const auto& b) {
        return ascending ? key(a) < key(b) : key(b) < key(a);
    });
    renumber();
    emit rowsReset();
    // The selection stays with its station.
    if (selectedBefore && selectedBefore->row != m_selectedRow) {
        m_selectedRow = selectedBefore->row;
        emit selectedRowChanged(m_selectedRow);
    }
}

void ListaPuestos::sortByNumber() {
    OrdenarPuestos(0, true);
}

// ---- Operator commands ----

bool ListaPuestos::apagar(int kind) {
    TPuestos* p = selected();
    if (!p || kind < station::CerrarSesion || kind > station::FinalizarVelkar)
        return false;
    p->rec().shutdownKind = kind;
    p->rec().pendiente = Pendiente::Apagar;
    RedibujarFila(p->row - 1);
    RefrescarMenus();
    return true;
}

int ListaPuestos::apagarTodos() {
    int n = 0;
    for (auto& e : m_entries) {
        station::StationRecord& r = e->rec();
        if (r.estado != Estado::Libre || r.disconnected)
            continue;
        r.shutdownKind = station::ApagarEquipo;
        r.pendiente = Pendiente::Apagar;
        ++n;
        RedibujarFila(e->row - 1);
    }
    RefrescarMenus();
    return n;
}

bool ListaPuestos::desactivar() {
    TPuestos* p = selected();
    // Only a free station: an occupied one would lose its use period unsettled.
    if (!p || p->rec().estado != Estado::Libre || p->rec().bookingPending())
        return false;
    p->rec().clockMs = 0;
    p->rec().cost = Currency();
    p->rec().estado = Estado::Desactivado;
    RedibujarFila(p->row - 1);
    p->tarea->pause();
    RefrescarMenus();
    return true;
}

bool ListaPuestos::activar() {
    TPuestos* p = selected();
    if (!p || p->rec().estado != Estado::Desactivado)
        return false;
    p->rec().estado = Estado::Libre;
    RedibujarFila(p->row - 1);
    p->tarea->resume();
    RefrescarMenus();
    return true;
}

std::optional<station::MessageQueueRow> ListaPuestos::EnviarMensaje(const QString& text) {
    TPuestos* p = count() > 0 ? selected() : nullptr;
    if (!p)
        return std::nullopt;
    const QString message = station::fitMessage(text);
    p->rec().messageToSend = message;
    p->rec().pendiente = Pendiente::Mensaje;
    return station::MessageQueueRow{p->number, m_ctx.regional.formatTime(m_ctx.clock->now().time()),
                                    QStringLiteral("[Send]: ") + message};
}

bool ListaPuestos::FijarVolumen(int value) {
    TPuestos* p = count() > 0 ? selected() : nullptr;
    if (!p)
        return false;
    p->rec().volume = value;
    p->rec().pendiente = Pendiente::Volumen;
    return true;
}
