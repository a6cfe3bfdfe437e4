#pragma once

#include <QWidget>

// "Backup": the borderless notice that a compaction has finished.
class TFrminfo : public QWidget {
    Q_OBJECT
public:
    explicit TFrminfo(QWidget* parent = nullptr);

    // Shows the notice, lets it paint, keeps it up for ms while events run,
    // then closes it.
    static void showNotice(QWidget* parent, int ms = 1500);
};
