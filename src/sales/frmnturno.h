#pragma once

#include "store/rows.h"

#include <QDialog>

class QLineEdit;
class QTimeEdit;

// "[ Turno de caja ]": a new shift (name and times) or the times of an
// existing one (its name shown, not editable). Accepting a new shift runs
// its checks and stores it; the dialog stays open on a refusal.
class Tfrmnturno : public QDialog {
    Q_OBJECT
public:
    Tfrmnturno(const QSqlDatabase& db, const store::Turno& turno, bool adding, QWidget* parent = nullptr);

    QLineEdit* nameEdit() const { return m_name; }
    QTimeEdit* startEdit() const { return m_start; }
    QTimeEdit* endEdit() const { return m_end; }

    void accept() override;

private:
    QSqlDatabase m_db;
    bool m_adding;
    QLineEdit* m_name = nullptr;
    QTimeEdit* m_start = nullptr;
    QTimeEdit* m_end = nullptr;
};
