#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <utility>
#include <vector>

namespace web {

// Headers every answer carries, pages, API and errors alike.
const std::vector<std::pair<QByteArray, QByteArray>>& cabecerasSeguridad();

// The texts of the pages in one language, from the resources.
QString texto(const QString& clave, bool english);

// A page of the owner's view: the page's template from the resources with
// its texts and values filled in (escaped), inside the common frame with
// the top bar when operador is set. vars hold the template's values.
QByteArray pagina(const QString& nombre, bool english, const QString& operador,
                  const QHash<QString, QString>& vars = {});

// A static file from the resources with its type; empty when there is none.
struct Estatico {
    QByteArray datos;
    QByteArray tipo;
};
Estatico estatico(const QString& nombre);

} // namespace web
