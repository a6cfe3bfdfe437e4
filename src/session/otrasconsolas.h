#pragma once

#include "store/consolas.h"
#include "ui/messagetable.h"

#include <QList>
#include <QString>

// What the operator is told about the other consoles of the database and
// the stations that move between them.
namespace session {

// Station numbers as the operator reads them: in order, once each, runs of
// three or more as "first-last": {15, 1, 2, 3, 4} gives "1-4, 15"; {3, 4}
// gives "3, 4".
QString rangosPuestos(QList<int> numbers);

// "Puestos tomados de la consola X: 1-12, 15." (from empty: another console
// gave them).
QString textoTomados(const QString& from, const QList<int>& stations);
// "Los puestos 3, 4 los atiende ahora otra consola."
QString textoPerdidos(const QList<int>& stations);
// The console stopped polling, or goes on.
QString textoAislada(bool fenced);

// Whether a console's last heartbeat is younger than the take-over delay
// (the default delay when the stations move only by hand): taking its
// stations would take them from a console at work.
bool pareceViva(const store::ConsolaRow& consola, qint64 deadAfterMs);
// "hace 12 s", or "cerrada" for a console that ended (it has no row).
QString textoLatido(const store::ConsolaRow& consola);

const ui::MessageTable& otrasConsolasMessages();

} // namespace session
