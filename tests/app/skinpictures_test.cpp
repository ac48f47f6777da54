#include "app/regularfile.h"
#include "app/skinsheet.h"
#include "formfixture.h"
#include "support/guardedfifo.h"

#include <QFile>
#include <QImage>
#include <cstdlib>
#include <unistd.h>

namespace {

void writePicture(const QString &path, int side)
{
    QImage picture(side, side, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    ASSERT_TRUE(picture.save(path, "PNG"));
}

} // namespace

// Every url(...) of a skin names a picture that Qt may read, or none.
TEST(SkinSheet, KeepsOnlyResourcesAndRegularFilesOfABoundedPicture)
{
    TempTree tree;
    writePicture(tree.pathQ("small.png"), 16);
    writePicture(tree.pathQ("huge.png"), 5000);
    GuardedFifo fifo(tree.path("pipe.png"));
    ASSERT_TRUE(fifo.made());
    tree.makeDir("folder.png");
    tree.makeFile("long.png", MaxStartUpFileBytes + 1);
    const auto url = [&tree](const char *name, const char *quote = "") {
        return QStringLiteral("url(%1%2%1)").arg(QLatin1String(quote), tree.pathQ(name));
    };

    const QString kept = "A { border-image: " + url("small.png", "\"") + " } B { image: URL( " +
                         url("small.png").mid(4) + "; } C { image: url(:/icons/x.png) }";
    EXPECT_EQ(safeSkinStyleSheet(kept), kept);
    for (const char *refused : {"huge.png", "pipe.png", "folder.png", "long.png", "missing.png"}) {
        EXPECT_EQ(safeSkinStyleSheet("A { image: " + url(refused, "'") + "; }"),
                  "A { image: url(); }")
            << refused;
    }
    EXPECT_FALSE(fifo.rescued()) << "the FIFO was opened and waited on";
    // Qt reads escapes where the check would see other text: a sheet holding one is refused.
    writePicture(tree.pathQ("pi\\pe.png"), 16);
    EXPECT_EQ(safeSkinStyleSheet("A { image: " + url("pi\\pe.png", "\"") + " } B { color: red }"),
              "");
    for (const char *escaped : {"\\75rl(", "u\\72l(", "\\000075rl(", "\\u\\r\\l("}) {
        EXPECT_EQ(safeSkinStyleSheet(QStringLiteral("A { border-image: %1%2) }")
                                         .arg(QLatin1String(escaped), tree.pathQ("pipe.png"))),
                  "")
            << escaped;
    }
    EXPECT_EQ(safeSkinStyleSheet("A { color: red } B { image: url(" + tree.pathQ("small.png")),
              "A { color: red } B { image: ");
}

// Run in a child of its own (a death test), which a stalled or flooded start-up would not
// leave within the second.
TEST_F(FormTest, ASkinNamingAFifoOrAHugePictureStillShowsTheWindowWithinASecond)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    tree.makeDir("program/x");
    writePicture(tree.pathQ("program/x/huge.png"), 5000);
    GuardedFifo fifo(tree.path("program/x/pipe.png"));
    ASSERT_TRUE(fifo.made());
    QFile skin(tree.pathQ("program/x/o.cjs"));
    ASSERT_TRUE(skin.open(QIODevice::WriteOnly));
    skin.write(QString("QPushButton { border-image: url(" + tree.pathQ("program/x/pipe.png") +
                       ") 2 } QWidget { border-image: url(" + tree.pathQ("program/x/huge.png") +
                       ") 2 }")
                   .toUtf8());
    skin.close();

    // The child builds the fixture again: under this tree its own goes with this one, however
    // the child ends (_Exit runs no destructor; the alarm ends it by a signal).
    const QByteArray temp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(tree.rootQ()));
    EXPECT_EXIT(
        {
            ::alarm(1);
            Form1 form(environment());
            form.Form_Load();
            form.show();
            form.grab();
            std::_Exit(form.styleSheet().count(QStringLiteral("url()")) == 2 ? 0 : 4);
        },
        ::testing::ExitedWithCode(0), "");
    if (temp.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", temp);
}
