#include "core/importes.h"

#include <cmath>

ImporteTecleado leerImporte(const Regional& regional, const QString& text) {
    using Estado = ImporteTecleado::Estado;
    const Regional::CurrencyReading r = regional.readCurrency(text);
    switch (r.status) {
    case Regional::CurrencyReading::Status::Ok:
        return {r.value.withinMaxAmount() ? Estado::Valido : Estado::Excesivo, r.value};
    case Regional::CurrencyReading::Status::OutOfRange:
        return {Estado::Excesivo, Currency()};
    case Regional::CurrencyReading::Status::Malformed:
        break;
    }
    return {Estado::NoLeido, Currency()};
}

std::optional<double> leerCantidad(const QString& text) {
    QString s = text.trimmed();
    s.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double v = s.toDouble(&ok);
    if (!ok || !std::isfinite(v) || std::fabs(v) > MaxCantidad)
        return std::nullopt;
    return v;
}

bool cantidadValida(double quantity) {
    return std::isfinite(quantity) && quantity != 0 && std::fabs(quantity) <= MaxCantidad;
}

std::optional<Currency> importeLineaAcotado(double quantity, Currency price) {
    if (!std::isfinite(quantity))
        return std::nullopt;
    const std::optional<Currency> amount = Currency::tryRoundHalfEven(static_cast<long double>(quantity) *
                                                                      static_cast<long double>(price.raw()));
    if (!amount || !amount->withinMaxAmount())
        return std::nullopt;
    return amount;
}

ui::MessageTable::Entry mensajeImporteMaximo() {
    return {"ImporteMaximo", QStringLiteral("El importe máximo es %1."),
            QStringLiteral("The largest amount is %1.")};
}

ui::MessageTable::Entry mensajeCantidadNoValida() {
    return {"CantidadNoValida", QStringLiteral("Cantidad no válida."), QStringLiteral("Invalid quantity.")};
}

QString textoImporteMaximo(const ui::MessageTable& table, const Regional& regional) {
    return table.text(QStringLiteral("ImporteMaximo")).arg(regional.formatCurrency(Currency::MaxAmount));
}
