#include "session/otrasconsolas.h"

#include "core/runtimesettings.h"

#include <QStringList>

#include <algorithm>

namespace session {

const ui::MessageTable& otrasConsolasMessages() {
    static const ui::MessageTable table{
        {"Atencion", QStringLiteral("Atención"), QStringLiteral("Attention")},
        {"Tomados", QStringLiteral("Puestos tomados de la consola %1: %2."),
         QStringLiteral("Stations taken over from console %1: %2.")},
        {"Recibidos", QStringLiteral("Puestos recibidos de otra consola: %1."),
         QStringLiteral("Stations received from another console: %1.")},
        {"Perdidos", QStringLiteral("Los puestos %1 los atiende ahora otra consola."),
         QStringLiteral("Stations %1 are now served by another console.")},
        {"Perdido", QStringLiteral("El puesto %1 lo atiende ahora otra consola."),
         QStringLiteral("Station %1 is now served by another console.")},
        {"Aislada", QStringLiteral("Sin contacto con las demás consolas: puestos en espera…"),
         QStringLiteral("No contact with the other consoles: stations on hold…")},
        {"Reanudada", QStringLiteral("De nuevo en contacto con las demás consolas: puestos en marcha."),
         QStringLiteral("In contact with the other consoles again: stations running.")},
        {"Cerrada", QStringLiteral("cerrada"), QStringLiteral("closed")},
        {"Hace", QStringLiteral("hace %1 s"), QStringLiteral("%1 s ago")},
        {"TomarConfirme", QStringLiteral("¿Tomar los puestos de la consola %1?"),
         QStringLiteral("Take over the stations of console %1?")},
        {"TomarViva",
         QStringLiteral("La consola %1 parece estar en marcha: su último latido fue %2.\r\r"
                        "Si toma sus puestos, esa consola dejará de atenderlos.\r\r"
                        "¿Tomar sus puestos de todas formas?"),
         QStringLiteral("Console %1 seems to be running: its last heartbeat was %2.\r\r"
                        "If you take its stations over, that console stops serving them.\r\r"
                        "Take them over anyway?")},
        {"NadaQueTomar", QStringLiteral("La consola %1 no tiene puestos que tomar."),
         QStringLiteral("Console %1 has no stations to take over.")},
        {"SinOtras", QStringLiteral("No hay otras consolas con puestos."),
         QStringLiteral("No other console owns stations.")},
    };
    return table;
}

QString rangosPuestos(QList<int> numbers) {
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    QStringList parts;
    for (qsizetype i = 0; i < numbers.size();) {
        qsizetype j = i;
        while (j + 1 < numbers.size() && numbers[j + 1] == numbers[j] + 1)
            ++j;
        // A run of two reads better as two numbers.
        if (j - i >= 2) {
            parts << QString::number(numbers[i]) + QLatin1Char('-') + QString::number(numbers[j]);
        } else {
            for (qsizetype k = i; k <= j; ++k)
                parts << QString::number(numbers[k]);
        }
        i = j + 1;
    }
    return parts.join(QStringLiteral(", "));
}

QString textoTomados(const QString& from, const QList<int>& stations) {
    const ui::MessageTable& t = otrasConsolasMessages();
    if (from.isEmpty())
        return t.text(QStringLiteral("Recibidos")).arg(rangosPuestos(stations));
    return t.text(QStringLiteral("Tomados")).arg(from, rangosPuestos(stations));
}

QString textoPerdidos(const QList<int>& stations) {
    const ui::MessageTable& t = otrasConsolasMessages();
    return t.text(stations.size() == 1 ? QStringLiteral("Perdido") : QStringLiteral("Perdidos"))
        .arg(rangosPuestos(stations));
}

QString textoAislada(bool fenced) {
    return otrasConsolasMessages().text(fenced ? QStringLiteral("Aislada") : QStringLiteral("Reanudada"));
}

bool pareceViva(const store::ConsolaRow& consola, qint64 deadAfterMs) {
    if (consola.silenceMs < 0)
        return false;
    const qint64 delay =
        deadAfterMs > 0 ? deadAfterMs : qint64(RuntimeSettings::DefaultTakeoverDelaySeconds) * 1000;
    return consola.silenceMs < delay;
}

QString textoLatido(const store::ConsolaRow& consola) {
    const ui::MessageTable& t = otrasConsolasMessages();
    if (consola.silenceMs < 0)
        return t.text(QStringLiteral("Cerrada"));
    return t.text(QStringLiteral("Hace")).arg(consola.silenceMs / 1000);
}

} // namespace session
