#include "app/handcursor.h"
#include "cursorfile.h"
#include "platform/runtimeerror.h"
#include "support/temptree.h"

#include <QFile>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

QString writeFile(const TempTree &tree, const char *name, const QByteArray &bytes)
{
    QFile file(tree.pathQ(name));
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return file.fileName();
}

} // namespace

TEST(HandCursor, TakesPictureAndHotSpotFromTheFile)
{
    TempTree tree;
    const QByteArray bytes = cursorFile(5, 1);
    ASSERT_FALSE(bytes.isEmpty());
    const QCursor cursor = LoadCursorFile(writeFile(tree, "HAND-M.CUR", bytes));
    EXPECT_EQ(cursor.shape(), Qt::BitmapCursor);
    EXPECT_EQ(cursor.hotSpot(), QPoint(5, 1));
    EXPECT_EQ(cursor.pixmap().size(), QSize(32, 32));
}

TEST(HandCursor, FilesThatAreNoCursorGiveAnInvalidPictureError)
{
    TempTree tree;
    QByteArray icon = cursorFile(0, 0);
    qToLittleEndian<quint16>(1, icon.data() + 2); // an icon, not a cursor
    for (const QString &path :
         {writeFile(tree, "text.cur", "not a cursor at all"), writeFile(tree, "icon.cur", icon),
          writeFile(tree, "cut.cur", cursorFile(0, 0).left(30)), tree.pathQ("missing.cur")}) {
        try {
            LoadCursorFile(path);
            ADD_FAILURE() << "accepted " << path.toStdString();
        } catch (const RuntimeError &error) {
            EXPECT_EQ(error.number(), 481);
        }
    }
}
