#pragma once

#include <QDialog>

class QLineEdit;
class QListWidget;

// "[ Accediendo a ciber.mdb ]": asks for the database password after a
// failed opening.
class TFrmPassBD : public QDialog {
    Q_OBJECT
public:
    explicit TFrmPassBD(QWidget* parent = nullptr);
    QString password() const;

private:
    QLineEdit* m_password = nullptr;
};

// The database-selection window: the .mdb files of the database folder.
class TFrmSelBase : public QDialog {
    Q_OBJECT
public:
    TFrmSelBase(const QString& folder, const QString& current, QWidget* parent = nullptr);
    QString selectedFile() const;

private:
    QListWidget* m_files = nullptr;
};
