#pragma once

#include <QFile>
#include <QProcess>
#include <QString>
#include <chrono>
#include <csignal>
#include <thread>

// A FUSE volume (bindfs of a source folder) whose process is stopped with SIGSTOP, as a
// network volume whose server went away: every open or stat below its mount point waits until
// the process goes on. The destructor lets it go on and unmounts it. `why()` is empty when the
// volume is mounted and stopped, else the reason to skip the test.
class StoppedVolume {
public:
    StoppedVolume(const QString &source, const QString &mountPoint) : m_mountPoint(mountPoint)
    {
        m_volume.start(QStringLiteral("bindfs"), {QStringLiteral("-f"), source, mountPoint});
        if (!m_volume.waitForStarted()) {
            m_why = QStringLiteral("bindfs is not installed");
            return;
        }
        for (int i = 0; i < 100 && !mounted() && m_volume.state() == QProcess::Running; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (!mounted()) {
            m_why = QStringLiteral("no FUSE mount can be made here");
            return;
        }
        ::kill(pid_t(m_volume.processId()), SIGSTOP);
    }
    ~StoppedVolume()
    {
        if (m_volume.state() == QProcess::NotRunning)
            return;
        ::kill(pid_t(m_volume.processId()), SIGCONT);
        QProcess::execute(QStringLiteral("fusermount3"), {QStringLiteral("-u"), m_mountPoint});
        m_volume.waitForFinished();
    }
    StoppedVolume(const StoppedVolume &) = delete;
    StoppedVolume &operator=(const StoppedVolume &) = delete;

    std::string why() const { return m_why.toStdString(); }

private:
    bool mounted() const
    {
        QFile mounts(QStringLiteral("/proc/self/mounts"));
        return mounts.open(QIODevice::ReadOnly) &&
               mounts.readAll().contains(QFile::encodeName(m_mountPoint));
    }

    QString m_mountPoint;
    QString m_why;
    QProcess m_volume;
};
