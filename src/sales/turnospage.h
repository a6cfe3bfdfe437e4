#pragma once

#include "ui/opcionespage.h"

#include <QSqlDatabase>

class QTableWidget;

// The options page "Turnos caja": the first shifts read, added, changed and
// deleted at once through their dialog.
class TurnosPage : public ui::OpcionesPage {
    Q_OBJECT
public:
    TurnosPage(const QSqlDatabase& db, QWidget* parent = nullptr);

    QTableWidget* grid() const { return m_grid; }
    void reload();
    void addTurno();
    void modifyTurno();
    void deleteTurno();

private:
    QString currentName() const;

    QSqlDatabase m_db;
    QTableWidget* m_grid = nullptr;
};
