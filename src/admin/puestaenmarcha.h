#pragma once

#include "core/currency.h"
#include "core/regional.h"
#include "core/result.h"
#include "store/operadores.h"
#include "store/rows.h"

#include <QLocale>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

class ListaTarifas;
struct RuntimeSettings;

namespace admin {

class ConfiguracionPuestos;

// The mark of a database the console created for itself: one row that says
// whether its start-up assistant has been finished. Databases without it
// (the demo, --new-database, older ones) never open the assistant by
// themselves. The statements create it, not finished.
QStringList tablaAsistente();
bool creadaPorLaConsola(const QSqlDatabase& db);
// Created by the console and never finished. Throws store::DatabaseError.
bool asistentePendiente(const QSqlDatabase& db);
// ADMIN holds no password. Throws store::DatabaseError.
bool adminSinClave(const QSqlDatabase& db);

// The permissions of a cashier: the counter's work without configuration.
std::array<bool, store::PermisoCount> permisosCajero();

// The general tax rate of a country, when we know it.
std::optional<double> ivaGeneralDe(QLocale::Territory territory);

// The pages that check something, in order.
enum class Paso { Admin, Puestos, Tarifa, Impuestos, Impresora, Cajero };

// A page's first failed check: its message key, the field to focus and, in
// the station table, the row (from 0). Empty key: all passed.
struct PasoCheck {
    QString messageKey;
    QString field;
    int row = -1;
    bool ok() const { return messageKey.isEmpty(); }
};

// A row of the station table, as typed.
struct PuestoNuevo {
    QString number;
    QString address;
    bool operator==(const PuestoNuevo&) const = default;
};

// Lines a page shows of a ticket text; what does not fit is kept as it was.
constexpr int LineasCabecera = 3; // the café's name and two more
constexpr int LineasPie = 2;
// The default size of a new room.
constexpr int PuestosPorDefecto = 10;

// Everything the assistant may write. A page left out writes nothing.
struct PlanPuestaEnMarcha {
    // ADMIN and the tickets: never left out.
    // A database the console made for itself must not go on with an open
    // ADMIN; elsewhere (the demo, --new-database) the fields may stay empty
    // and ADMIN stays as it is.
    bool adminClaveObligatoria = false;
    bool adminTieneClave = false;
    QString adminClave;
    QString adminConfirmacion;
    std::array<QString, LineasCabecera> cabecera;
    std::array<QString, LineasPie> pie;
    QStringList cabeceraResto;
    QStringList pieResto;

    // Stations; a console that identifies them by host name adds them in
    // the station configuration instead.
    bool conPuestos = true;
    bool puestosPorHost = false;
    // Stations the room already has: the page adds to them.
    int puestosExistentes = 0;
    int primerNumero = 1;
    QString primeraDireccion;
    std::vector<PuestoNuevo> puestos;

    bool conTarifa = true;
    QString tarifa;
    std::optional<Currency> costeHora;
    std::optional<Currency> costeMinimo;
    std::optional<Currency> redondeo;

    bool conImpuestos = true;
    double iva = 21;

    bool conImpresora = true;
    QString impresora; // empty: "Sin impresora"

    bool conCajero = false;
    QString cajero;
    QString cajeroClave;
    QString cajeroConfirmacion;

    // Who runs the assistant, for the audit trail of the operators it writes.
    QString operador;

    // The ticket texts as the options store them.
    QString textoCabecera() const;
    QString textoPie() const;
};

// What the one transaction wrote, for the running console to follow.
struct PuestaEnMarchaEscrita {
    std::vector<int> puestos;
    std::optional<store::Tarifa> tarifa;
    bool tarifaNueva = false;
    std::optional<Currency> redondeo;
};

// The outcome of the write: a check that fails at the last moment (the
// database changed meanwhile) names its page and writes nothing.
struct Escritura {
    Paso paso = Paso::Admin;
    PasoCheck check;
    PuestaEnMarchaEscrita escrita;
};

// The start-up assistant's logic: its proposals, its checks and its one
// transaction. Every value reaches SQL bound.
class PuestaEnMarcha {
public:
    PuestaEnMarcha(QSqlDatabase db, Regional regional);

    // Sound defaults from what the database holds: the ticket texts, the next
    // station numbers and addresses, a first tariff, the country's tax rate,
    // the printer chosen. Throws store::DatabaseError.
    PlanPuestaEnMarcha propuesta() const;

    // count stations numbered from firstNumber at consecutive addresses from
    // first, as the station simulator numbers them. The check fails on the
    // first address ("primera"), the count ("cantidad") or a number past the range.
    struct Serie {
        std::vector<PuestoNuevo> puestos;
        PasoCheck check;
    };
    static Serie serie(int firstNumber, const QString& first, int count);

    // A page's checks, in order; the station rows with the station
    // configuration's own checks and against each other. Throws store::DatabaseError.
    PasoCheck comprobar(Paso paso, const PlanPuestaEnMarcha& plan) const;

    // Checks every page again and writes them all in one transaction, the
    // assistant marked finished with them; a failure writes nothing.
    // Failure: the database's error text.
    Result<Escritura> escribir(const PlanPuestaEnMarcha& plan) const;

    // The running console takes what was written: the new stations join the
    // registry and poll, the tariff enters the cache, the rounding applies.
    static Status aplicar(const PuestaEnMarchaEscrita& escrita, const QSqlDatabase& db,
                          ConfiguracionPuestos& puestos, ListaTarifas& tarifas, RuntimeSettings& settings);

private:
    PasoCheck comprobarAdmin(const PlanPuestaEnMarcha& plan) const;
    PasoCheck comprobarPuestos(const PlanPuestaEnMarcha& plan) const;
    PasoCheck comprobarTarifa(const PlanPuestaEnMarcha& plan) const;
    PasoCheck comprobarCajero(const PlanPuestaEnMarcha& plan) const;
    void escribirTextos(const PlanPuestaEnMarcha& plan) const;
    void escribirTarifa(const PlanPuestaEnMarcha& plan, PuestaEnMarchaEscrita& escrita) const;
    void escribirIva(double rate) const;

    QSqlDatabase m_db;
    Regional m_regional;
};

} // namespace admin
