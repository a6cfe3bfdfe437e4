#pragma once

#include "app/paths.h"
#include "store/databaselock.h"
#include "store/operadores.h"
#include "ui/messagetable.h"

#include <QDialog>

#include <array>
#include <vector>

struct ConsoleContext;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QMenuBar;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QProgressBar;
class QTreeWidget;

// "[ Acceso ]": finds and opens the working database, lets an operator log
// in, and offers ADMIN the database tools. Shown at start-up and for a
// change of operator.
class TFrmAcceso : public QDialog {
    Q_OBJECT
public:
    enum class Mode { Startup, ChangeOperator };
    enum class Page { Login, Tools, Upgrade, NotFound, Progress };

    TFrmAcceso(ConsoleContext& context, app::Paths paths, Mode mode, QWidget* parent = nullptr);

    // Start-up: read config.ini, find and open the database and show the page
    // that follows. Change of operator: fill the list and show the log-in
    // page. False when the operator gave up at the password dialog, which
    // ends the program.
    bool begin();

    Page currentPage() const;
    QString workingDatabase() const;
    QStringList operatorNames() const;
    QString notFoundPath() const { return m_notFoundPath; }
    QStringList toolsFiles() const;
    // The operator gave up at the password dialog.
    bool programMustEnd() const { return m_endProgram; }

    static const ui::MessageTable& messages();
    // Why a console may not work on a database: another console holds it,
    // or the engine cannot write it.
    static QString lockRefusalText(const store::DatabaseLock::Outcome& outcome);
    static QString notWritableText(const QString& name, const QString& reason);

signals:
    void operatorLoggedIn(const QString& name);

protected:
    // In front of every other window (the station simulator's too) and
    // ready for typing.
    void showEvent(QShowEvent* event) override;

private:
    void buildLoginPage();
    void buildToolsPage();
    void buildUpgradePage();
    void buildNotFoundPage();
    void buildProgressPage();
    void showPage(Page page);

    // Steps 2 to 5 of the start-up for a database name: not found, upgrade or log-in.
    bool goToDatabase(const QString& name);
    // Opens the database, asking for the password until it opens or the
    // operator cancels; false on cancel.
    bool abrirBase(const QString& name);
    // The console's claim moves to this database; a refusal is shown and
    // the claim stays where it was.
    bool claimWorkingDatabase(const QString& name);
    // A tool works on a file only while no other console holds it: the
    // console's own claim, or toolLock for the tool's run.
    bool claimForTool(const QString& name, store::DatabaseLock& toolLock);
    void showLockRefusal(const store::DatabaseLock::Outcome& outcome);
    void fillOperators();
    void endProgram();

    void acceptLogin();
    void acceptTools();
    void acceptNotFound();
    void selectOtherDatabase();
    void upgradeNext();

    // The database tools and the upgrade page (frmaccesotools.cpp).
    void showUpgradePage(const QString& name, bool fromTools);
    void fillToolsMenu(QMenu* file);
    void upgradeNow();
    void upgradeCopy(const QString& version);
    void importAccounts(const QString& version, int fieldCount);
    void compactSelected();
    // VACUUM of the server's database, table by table on the progress page.
    void compactServer(const QString& name);
    void replicaSelected();
    // The entry of the tools list the tools work on; empty when none.
    QString selectedToolsEntry();
    void showProgressPanel(const QString& title);
    void progressFinished();

    // The database-selection window; empty when cancelled.
    QString pickDatabase();

    ConsoleContext& m_context;
    app::Paths m_paths;
    Mode m_mode;
    bool m_endProgram = false;
    bool m_upgradeFromTools = false;
    QString m_notFoundPath;
    std::vector<store::Operador> m_operators;

    QStackedWidget* m_pages = nullptr;
    QMenuBar* m_menuBar = nullptr;
    QListWidget* m_operatorList = nullptr;
    QLineEdit* m_password = nullptr;
    QPushButton* m_loginAccept = nullptr;
    // Per page: the button Enter presses and the widget that takes the keyboard.
    std::array<QPushButton*, 5> m_primary{};
    std::array<QWidget*, 5> m_firstFocus{};
    QListWidget* m_toolsList = nullptr;
    QLabel* m_upgradeFile = nullptr;
    QPushButton* m_upgradeNow = nullptr;
    QPushButton* m_upgradeNext = nullptr;
    QTreeWidget* m_upgradeTree = nullptr;
    QString m_upgradeName;
    QString m_importFolder;
    QLabel* m_notFoundLabel = nullptr;
    QRadioButton* m_chooseOther = nullptr;
    QRadioButton* m_findElsewhere = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_progressTitle = nullptr;
    QLabel* m_progressResult = nullptr;
    QLabel* m_progressDetail = nullptr;
    QPushButton* m_progressContinue = nullptr;
};
