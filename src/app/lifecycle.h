#pragma once

#include "app/paths.h"
#include "store/rows.h"

#include <QList>
#include <QObject>
#include <QStringList>

#include <vector>

struct ConsoleContext;
class ConsoleEngine;
class TFrmMain;

// A window whose column widths live in Grids and whose sort order lives in
// the options; start-up hands both over, shut-down takes them back.
class GridLayoutParticipant {
public:
    virtual void applyGrids(const store::Grids& grids, const store::Opciones& opciones) = 0;
    virtual void captureGrids(store::Grids& grids, store::Opciones& opciones) const = 0;

protected:
    ~GridLayoutParticipant() = default;
    // Column widths into the Grids fields that keep them, in order.
    static void storeWidths(std::initializer_list<int*> fields, const QList<int>& widths) {
        qsizetype i = 0;
        for (int* field : fields)
            *field = widths.value(i++);
    }
};

// The notification mails, at their places in the start-up, the change of
// operator and the shut-down.
class ConsoleMail {
public:
    // Start-up: the start mail when asked for, then the mail schedule.
    virtual void started(const store::WebConfig& web) = 0;
    virtual void operatorChanged() = 0;
    // Shut-down confirmed: starts the closing mail when asked for; true when
    // one is pending.
    virtual bool closing() = 0;
    // The last shut-down step: waits, showing it, until the closing mail ends.
    virtual void awaitClosing() = 0;

protected:
    ~ConsoleMail() = default;
};

// The console's life after the log-in: everything the main window needs
// before it is shown, the change of operator, and the orderly shut-down.
class ConsoleLifecycle : public QObject {
    Q_OBJECT
public:
    ConsoleLifecycle(ConsoleContext& context, app::Paths paths, TFrmMain& mainWindow, ConsoleEngine& engine,
                     QObject* parent = nullptr);

    // Runs the start-up steps that follow an accepted log-in, in order.
    // False when the database could not be read at all.
    bool afterLogin();
    // Once, shortly after the window is shown: the default docking layout on
    // the first run, otherwise the one saved in config.ini.
    void restoreLayout();
    // The shut-down steps that follow the operator's confirmation.
    void shutdown();
    // "&2.- Cambio de operador...".
    void changeOperator();

    void addGridParticipant(GridLayoutParticipant* participant);
    void setMail(ConsoleMail* mail) { m_mail = mail; }

    // What the console could not read or write, for the operator to see.
    QStringList problems() const { return m_problems; }

    const store::Opciones& opciones() const { return m_opciones; }
    const store::Grids& grids() const { return m_grids; }

signals:
    // A change of operator was accepted.
    void operatorChanged(const QString& name);

private:
    void report(const QString& problem);
    void applyRuntimeSettings();

    ConsoleContext& m_context;
    app::Paths m_paths;
    TFrmMain& m_main;
    ConsoleEngine& m_engine;
    store::Opciones m_opciones;
    store::Grids m_grids;
    store::WebConfig m_webConfig;
    QStringList m_problems;
    std::vector<GridLayoutParticipant*> m_gridParticipants;
    ConsoleMail* m_mail = nullptr;
};
