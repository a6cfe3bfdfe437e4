#pragma once

#include "store/rows.h"
#include "ui/messagetable.h"

#include <QWidget>

#include <functional>
#include <vector>

class QTabBar;
class QTableWidget;
struct ConsoleContext;

namespace sales {

class TFrmIvaTPV;

// "[ Listado de productos de TPV ]": the articles, ordered by code or by
// description, with their add, modify, delete, search and tax commands.
class TFrmconftpv : public QWidget {
    Q_OBJECT
public:
    // The permission check of the commands (CONFTPV again); refusalKey is the
    // text of a refusal. Shows the refusal and answers false.
    using PermissionCheck = std::function<bool(const QString& refusalKey)>;

    TFrmconftpv(ConsoleContext& context, PermissionCheck permitted, QWidget* parent = nullptr);

    static const ui::MessageTable& messages();

    void refresh();
    void anadir();
    void modificar();
    void eliminar();
    void busqueda();
    void editarImpuestos();

    QTableWidget* grid() const { return m_grid; }
    QTabBar* orderTabs() const { return m_tabs; }
    // The codes of the selected rows.
    QStringList selectedCodes() const;

private:
    std::optional<store::Articulo> current() const;
    void selectCode(const QString& code);
    void showError(const QString& text);

    ConsoleContext& m_context;
    PermissionCheck m_permitted;
    QTabBar* m_tabs = nullptr;
    QTableWidget* m_grid = nullptr;
    TFrmIvaTPV* m_iva = nullptr;
    std::vector<store::Articulo> m_rows;
};

} // namespace sales
