#include "export/sidetext.h"
#include "export/textfile.h"
#include "platform/runtimeerror.h"
#include "savetesting.h"
#include "support/guardedfifo.h"
#include "support/temptree.h"

#include <QFile>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

RuntimeError writeError(const QString &path)
{
    try {
        WriteTextFile(QStringLiteral("x\r\n"), path);
    } catch (const RuntimeError &error) {
        return error;
    }
    return RuntimeError(0, QString());
}

} // namespace

TEST(SideTextFile, EveryLineEndsInCrLfInOrderWithNothingAfter)
{
    TempTree tree;
    const QString path = tree.pathQ("sizes.txt");
    WriteTextFile(
        sideTextFileText({QStringLiteral("Music - 1.50 GB"), QStringLiteral("Docs - 12 KB"),
                          QStringLiteral("Apps - 3 bytes")}),
        path);
    EXPECT_EQ(contents(path), QByteArray("Music - 1.50 GB\r\nDocs - 12 KB\r\nApps - 3 bytes\r\n"));

    WriteTextFile(sideTextFileText({}), path);
    EXPECT_EQ(contents(path), QByteArray());
}

TEST(SideTextFile, LongAndNonAsciiNamesAreWrittenWholeInUtf8)
{
    TempTree tree;
    const QString longName = QString(300, QLatin1Char('n')) + QStringLiteral(" Müsik Ω");
    const QString path = tree.pathQ("long name without extension");
    WriteTextFile(sideTextFileText({longName + QStringLiteral(" - 1 KB")}), path);
    EXPECT_EQ(contents(path), (longName + QStringLiteral(" - 1 KB\r\n")).toUtf8());
}

TEST(WriteTextFile, ReplacesALongerFileCompletely)
{
    TempTree tree;
    tree.makeFile("old.txt", 10000);
    WriteTextFile(QStringLiteral("short\r\n"), tree.pathQ("old.txt"));
    EXPECT_EQ(contents(tree.pathQ("old.txt")), QByteArray("short\r\n"));
}

TEST(WriteTextFile, FailuresRaiseNumberedErrorsNamingThePath)
{
    TempTree tree;
    tree.makeDir("folder");

    const RuntimeError missing = writeError(tree.pathQ("missing/out.txt"));
    EXPECT_EQ(missing.number(), 76);
    EXPECT_TRUE(missing.description().contains(tree.pathQ("missing/out.txt")));

    EXPECT_EQ(writeError(tree.pathQ("folder")).number(), 75);
    // A FIFO nobody reads would block the window if it were opened.
    GuardedFifo fifo(tree.path("pipe"));
    ASSERT_TRUE(fifo.made());
    EXPECT_EQ(writeError(fifo.pathQ()).number(), 75);
    EXPECT_FALSE(fifo.rescued()) << "the export waited on a FIFO";
    EXPECT_EQ(writeError(QString()).number(), 75);
    if (::geteuid() != 0) {
        EXPECT_EQ(writeError(QStringLiteral("/proc/version")).number(), 70);
    }
}

TEST(WriteTextFile, AFullDiskRaisesDiskFullAndKeepsTheOldText)
{
    savetesting::FullDisk disk;
    const QString path = disk.pathQ("sizes.txt");
    WriteTextFile(QStringLiteral("old\r\n"), path);
    disk.fill();

    try {
        WriteTextFile(QString(30000, QLatin1Char('n')), path);
        ADD_FAILURE() << "a full disk was reported as success";
    } catch (const RuntimeError &error) {
        EXPECT_EQ(error.number(), 61);
    }
    EXPECT_EQ(contents(path), QByteArray("old\r\n"));
}
