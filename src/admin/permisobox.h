#pragma once

#include "store/operadores.h"

#include <QString>

class QWidget;
struct ConsoleContext;

namespace admin {

// A guarded command's permission check at the window boundary: true when the
// current operator holds it; otherwise the refusal (operator's name and
// refusalText, or the command's common text when empty) or a database error
// is shown over parent, and false.
bool permitido(QWidget* parent, const ConsoleContext& context, store::Permiso permiso,
               const QString& refusalText = QString());

} // namespace admin
