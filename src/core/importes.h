#pragma once

#include "core/currency.h"
#include "core/regional.h"
#include "ui/messagetable.h"

#include <QString>

#include <optional>

// Amounts and quantities as operators type them, and the limits that keep
// every sale line far from where its arithmetic could wrap.

// A typed amount: read, not readable, or beyond Currency::MaxAmount either
// way (also when it would not even fit a Currency).
struct ImporteTecleado {
    enum class Estado { Valido, NoLeido, Excesivo };
    Estado estado = Estado::NoLeido;
    Currency valor;
    bool valido() const { return estado == Estado::Valido; }
    bool excesivo() const { return estado == Estado::Excesivo; }
    std::optional<Currency> importe() const {
        return valido() ? std::optional<Currency>(valor) : std::nullopt;
    }
};
ImporteTecleado leerImporte(const Regional& regional, const QString& text);

// The largest quantity of one line, either way.
inline constexpr double MaxCantidad = 1e9;
// A typed quantity, "." and "," both separating decimals: nothing when the
// text is not a finite number within MaxCantidad. 0 reads.
std::optional<double> leerCantidad(const QString& text);
// What a sale line may carry: a finite number other than 0 within
// MaxCantidad. Negative quantities (returns) are allowed.
bool cantidadValida(double quantity);

// quantity x price rounded once to 1/10 000 (halves to even); nothing when
// the quantity is not a number or the product passes Currency::MaxAmount.
std::optional<Currency> importeLineaAcotado(double quantity, Currency price);

// The messages every window with an amount or quantity box adds to its
// table. "ImporteMaximo" holds %1 for the limit; show it through
// textoImporteMaximo.
ui::MessageTable::Entry mensajeImporteMaximo();
ui::MessageTable::Entry mensajeCantidadNoValida();
// The table's "ImporteMaximo" text with the limit in the regional format.
QString textoImporteMaximo(const ui::MessageTable& table, const Regional& regional);
