#pragma once

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <QtGlobal>

// HOME and XDG_DATA_HOME in a temporary folder for the life of the object, so that the
// desktop's Trash is a private one: <home>/data/Trash.
class PrivateTrash {
public:
    PrivateTrash()
        : m_home(qgetenv("HOME")), m_data(qgetenv("XDG_DATA_HOME")),
          m_hadData(qEnvironmentVariableIsSet("XDG_DATA_HOME"))
    {
        qputenv("HOME", QFile::encodeName(m_dir.path()));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.path() + QStringLiteral("/data")));
    }
    ~PrivateTrash()
    {
        qputenv("HOME", m_home);
        if (m_hadData)
            qputenv("XDG_DATA_HOME", m_data);
        else
            qunsetenv("XDG_DATA_HOME");
    }
    PrivateTrash(const PrivateTrash &) = delete;
    PrivateTrash &operator=(const PrivateTrash &) = delete;

    QString home() const { return m_dir.path(); }
    QString trash() const { return m_dir.path() + QStringLiteral("/data/Trash"); }

private:
    QTemporaryDir m_dir;
    QByteArray m_home;
    QByteArray m_data;
    bool m_hadData;
};
