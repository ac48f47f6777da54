#include "export/deletefilequiet.h"
#include "export/tempbitmap.h"
#include "exportfakes.h"
#include "platform/runtimeerror.h"
#include "support/temptree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QImage smallPicture()
{
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(QColor(10, 120, 220));
    picture.setPixelColor(5, 5, QColor(250, 200, 0));
    return picture;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

int loadErrorNumber(const QString &path)
{
    try {
        loadTempBitmap(path);
    } catch (const RuntimeError &error) {
        return error.number();
    }
    return 0;
}

bool isSymlink(const QString &path)
{
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISLNK(status.st_mode);
}

} // namespace

TEST(TempBitmapPath, FollowsTempThenRuntimeFolderThenTemporaryFolderNeverRoot)
{
    TempTree tree;
    tree.makeDir("runtime");
    tree.makeDir("tmp");
    const QByteArray runtime = tree.path("runtime").c_str();
    const QByteArray tmp = tree.path("tmp").c_str();

    {
        ScopedEnv temp("TEMP", QByteArray("/data/scratch/"));
        ScopedEnv xdg("XDG_RUNTIME_DIR", runtime);
        EXPECT_EQ(tempBitmapPath(), QStringLiteral("/data/scratch/Chart.bmp"));
    }
    {
        ScopedEnv temp("TEMP", QByteArray(""));
        ScopedEnv xdg("XDG_RUNTIME_DIR", runtime);
        EXPECT_EQ(tempBitmapPath(), tree.pathQ("runtime/Chart.bmp"));
    }
    {
        ScopedEnv temp("TEMP", std::nullopt);
        ScopedEnv xdg("XDG_RUNTIME_DIR", QByteArray(tree.path("no-such-runtime").c_str()));
        ScopedEnv tmpdir("TMPDIR", tmp);
        EXPECT_EQ(tempBitmapPath(), tree.pathQ("tmp/Chart.bmp"));
    }
    {
        ScopedEnv temp("TEMP", std::nullopt);
        ScopedEnv xdg("XDG_RUNTIME_DIR", std::nullopt);
        ScopedEnv tmpdir("TMPDIR", std::nullopt);
        EXPECT_EQ(tempBitmapPath(), QStringLiteral("/tmp/Chart.bmp"));
    }
}

TEST(TempBitmap, ExistingBitmapIsOverwrittenReadBackAndRemoved)
{
    TempTree tree;
    tree.makeFile("Chart.bmp", 5000);
    const QString path = tree.pathQ("Chart.bmp");

    saveTempBitmap(smallPicture(), path);
    ASSERT_TRUE(tempBitmapExists(path));
    const QImage loaded = loadTempBitmap(path);
    EXPECT_EQ(loaded.size(), QSize(64, 48));
    EXPECT_EQ(loaded.pixelColor(5, 5), QColor(250, 200, 0));
    EXPECT_EQ(loaded.pixelColor(30, 30), QColor(10, 120, 220));
    EXPECT_TRUE(contents(path).startsWith("BM"));

    DeleteFileQuiet(path);
    EXPECT_FALSE(tempBitmapExists(path));
    // The scratch file of the atomic write is gone too.
    EXPECT_TRUE(
        QDir(tree.rootQ())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
            .isEmpty());
}

TEST(TempBitmap, PlantedLinksAreReplacedNotFollowed)
{
    TempTree tree;
    tree.makeDir("other");
    const QString victim = tree.pathQ("other/precious.txt");
    {
        QFile file(victim);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("precious");
    }

    tree.makeSymlink("Chart.bmp", tree.path("other/precious.txt"));
    saveTempBitmap(smallPicture(), tree.pathQ("Chart.bmp"));
    EXPECT_EQ(contents(victim), QByteArray("precious"));
    EXPECT_FALSE(isSymlink(tree.pathQ("Chart.bmp")));
    EXPECT_EQ(loadTempBitmap(tree.pathQ("Chart.bmp")).size(), QSize(64, 48));

    // A hard link is just as dangerous: opening the name would write the victim's data.
    DeleteFileQuiet(tree.pathQ("Chart.bmp"));
    ASSERT_EQ(::link(QFile::encodeName(victim).constData(),
                     QFile::encodeName(tree.pathQ("Chart.bmp")).constData()),
              0);
    saveTempBitmap(smallPicture(), tree.pathQ("Chart.bmp"));
    EXPECT_EQ(contents(victim), QByteArray("precious"));
}

TEST(TempBitmap, LoadRefusesLinksOddFilesAndNonPictures)
{
    TempTree tree;
    saveTempBitmap(smallPicture(), tree.pathQ("real.bmp"));
    tree.makeSymlink("link.bmp", tree.path("real.bmp"));
    tree.makeFile("junk.bmp", 100);
    ASSERT_EQ(::mkfifo(tree.path("fifo.bmp").c_str(), 0600), 0);

    EXPECT_EQ(loadErrorNumber(tree.pathQ("missing.bmp")), 53);
    EXPECT_EQ(loadErrorNumber(tree.pathQ("link.bmp")), 75);
    EXPECT_EQ(loadErrorNumber(tree.pathQ("fifo.bmp")), 75);
    EXPECT_EQ(loadErrorNumber(tree.pathQ("junk.bmp")), 481);
}

TEST(TempBitmap, SaveFailuresAreClearErrors)
{
    TempTree tree;
    try {
        saveTempBitmap(smallPicture(), tree.pathQ("missing/Chart.bmp"));
        ADD_FAILURE() << "saved into a missing folder";
    } catch (const RuntimeError &error) {
        EXPECT_EQ(error.number(), 76);
        EXPECT_TRUE(error.description().startsWith(QStringLiteral("Path not found: ")));
        EXPECT_TRUE(error.description().contains(tree.pathQ("missing/Chart.bmp")));
    }
    try {
        saveTempBitmap(QImage(), tree.pathQ("Chart.bmp"));
        ADD_FAILURE() << "saved an empty picture";
    } catch (const RuntimeError &error) {
        EXPECT_EQ(error.number(), 481);
    }
    // A folder planted at the name is left alone.
    tree.makeDir("Chart.bmp/inside");
    EXPECT_THROW(saveTempBitmap(smallPicture(), tree.pathQ("Chart.bmp")), RuntimeError);
    EXPECT_TRUE(QFileInfo(tree.pathQ("Chart.bmp/inside")).isDir());
}

TEST(DeleteFileQuiet, IgnoresMissingFilesAndRemovesLinksNotTargets)
{
    TempTree tree;
    tree.makeFile("target", 10);
    tree.makeSymlink("link", tree.path("target"));

    DeleteFileQuiet(tree.pathQ("nothing-here"));
    DeleteFileQuiet(QString());
    DeleteFileQuiet(tree.pathQ("link"));
    EXPECT_FALSE(tempBitmapExists(tree.pathQ("link")));
    EXPECT_TRUE(QFileInfo::exists(tree.pathQ("target")));
}
