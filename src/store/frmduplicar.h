#pragma once

#include "store/replica.h"
#include "ui/messagetable.h"

#include <QDialog>

class QDateEdit;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTreeWidget;

// " Replicar la base de datos: ": archives a copy of the working database,
// then purges its history tables and compacts it. Three pages: the copy's
// name, the tables to purge, the progress.
class TFrmduplicar : public QDialog, private store::ReplicaObserver {
    Q_OBJECT
public:
    // folder: the database folder, where the archive goes; name: the working
    // database's file name, or its server's URI, whose password is password.
    TFrmduplicar(QString folder, QString name, QWidget* parent = nullptr, QString password = QString());

    static const ui::MessageTable& messages();

    int currentPage() const;
    store::ReplicaEnd lastEnd() const { return m_end; }
    bool running() const { return m_running; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void next();
    void back();
    void cancel();
    void runReplica();
    void showPageNumber(int page);
    // The working database: its file's path, or the server's URI.
    QString where() const;
    QString sizeText() const;

    void line(const QString& text) override;
    void ticketPurgeStarted(int maximum) override;
    void ticketPurged(int number) override;
    bool cancelRequested() override;
    void ticketPurgeEnded(bool cancelled) override;
    void archiveProgress(int percent) override;
    void archiveEnded(bool cancelled) override;
    void failure(const QString& text) override;

    QString m_folder;
    QString m_name;
    QString m_password;
    bool m_running = false;
    bool m_ticketPurgeRunning = false;
    bool m_cancelRequested = false;
    store::ReplicaEnd m_end = store::ReplicaEnd::Failed;

    QStackedWidget* m_pages = nullptr;
    QLineEdit* m_copyName = nullptr;
    QTreeWidget* m_tables = nullptr;
    QRadioButton* m_all = nullptr;
    QRadioButton* m_before = nullptr;
    QDateEdit* m_date = nullptr;
    QTreeWidget* m_progressTree = nullptr;
    QLabel* m_completedLabel = nullptr;
    QProgressBar* m_bar = nullptr;
    QPushButton* m_back = nullptr;
    QPushButton* m_next = nullptr;
    QPushButton* m_finish = nullptr;
    QPushButton* m_cancel = nullptr;
};
