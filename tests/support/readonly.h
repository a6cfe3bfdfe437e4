#pragma once

#include <QFile>
#include <QString>

// Makes a file or folder read-only in a way its owner cannot write through
// either, root included: the immutable attribute when the system lets us set
// it, else the permissions (which bind everybody but root).
class ReadOnly {
public:
    explicit ReadOnly(QString path);
    ~ReadOnly();
    ReadOnly(const ReadOnly&) = delete;
    ReadOnly& operator=(const ReadOnly&) = delete;

    bool effective() const;

private:
    bool setImmutable(bool on) const;

    QString m_path;
    bool m_immutable = false;
    QFile::Permissions m_permissions;
};
