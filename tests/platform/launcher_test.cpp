#include "platform/launcher.h"
#include "support/temptree.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <gtest/gtest.h>
#include <optional>

namespace {

// PATH holds only a folder with an xdg-open that ends with exitCode, for as long as it lives.
class FakeOpener {
public:
    explicit FakeOpener(std::optional<int> exitCode)
    {
        if (exitCode) {
            const QString script = m_tree.pathQ("bin/xdg-open");
            m_tree.makeFile("bin/xdg-open", 0);
            QFile file(script);
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(QStringLiteral("#!/bin/sh\nexit %1\n").arg(*exitCode).toUtf8());
            file.close();
            file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        } else {
            m_tree.makeDir("bin");
        }
        qputenv("PATH", m_tree.path("bin").c_str());
    }
    ~FakeOpener() { qputenv("PATH", m_path); }

private:
    TempTree m_tree;
    QByteArray m_path = qgetenv("PATH");
};

std::optional<bool> openFolder()
{
    std::optional<bool> opened;
    SystemLauncher().openFolder(QStringLiteral("file:///tmp"), [&](bool ok) { opened = ok; });
    const QDeadlineTimer deadline(10000);
    while (!opened && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return opened;
}

} // namespace

// xdg-open's own failure (no program for folders) is a failure, as is no xdg-open at all.
TEST(SystemLauncher, OpeningAFolderSaysWhetherTheOpenerSucceeded)
{
    {
        FakeOpener opener(0);
        EXPECT_EQ(openFolder(), std::optional<bool>(true));
    }
    {
        FakeOpener opener(3);
        EXPECT_EQ(openFolder(), std::optional<bool>(false));
    }
    {
        FakeOpener opener(std::nullopt);
        EXPECT_EQ(openFolder(), std::optional<bool>(false));
    }
}
