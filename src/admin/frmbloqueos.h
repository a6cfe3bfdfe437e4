#pragma once

#include "store/bloqueos.h"

#include <QDialog>

#include <vector>

class QLabel;
class QPushButton;
class QTableWidget;
struct ConsoleContext;

// "[ Bloqueos de acceso ]": the logins, stations and operators locked now
// after too many failed log-ins (kind, who, failures, until when) and the
// unlock by hand of the chosen one: a login or a station under the accounts
// permission, an operator by ADMIN only.
class TFrmBloqueos final : public QDialog {
    Q_OBJECT
public:
    explicit TFrmBloqueos(ConsoleContext& context, QWidget* parent = nullptr);

    // Reads the locks again; false (the error shown) when that failed.
    bool load();
    // "&Desbloquear" on the chosen row.
    void desbloquear();

    const std::vector<store::Bloqueo>& bloqueos() const { return m_rows; }
    QTableWidget* table() const { return m_table; }

private:
    ConsoleContext& m_context;
    std::vector<store::Bloqueo> m_rows;
    QTableWidget* m_table = nullptr;
    QLabel* m_empty = nullptr;
    QPushButton* m_unlock = nullptr;
};
