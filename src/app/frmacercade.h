#pragma once

#include "ui/messagetable.h"

#include <QDialog>

class QSqlDatabase;

// "Acerca de Quintor": version, licence and the libraries in use.
class TFrmAcercaDe : public QDialog {
    Q_OBJECT
public:
    explicit TFrmAcercaDe(const QSqlDatabase& db, QWidget* parent = nullptr);

    static const ui::MessageTable& messages();
};
