#include "admin/permisobox.h"

#include "admin/permisos.h"
#include "core/consolecontext.h"
#include "store/datamodule.h"
#include "store/sql.h"
#include "ui/messagebox.h"
#include "ui/messagetable.h"

namespace admin {

bool permitido(QWidget* parent, const ConsoleContext& context, store::Permiso permiso,
               const QString& refusalText) {
    PermisoCheck check = PermisoCheck::NoOperator;
    try {
        check = TienePermiso(context.data->db(), context.currentOperator, permiso);
    } catch (const store::DatabaseError& e) {
        ui::showError(parent, e.text());
        return false;
    }
    if (check == PermisoCheck::Allowed)
        return true;
    if (check == PermisoCheck::Refused)
        ui::showRefusal(parent, context.currentOperator,
                        refusalText.isEmpty() ? ui::commonMessages().text(refusalKey(permiso)) : refusalText);
    return false;
}

} // namespace admin
