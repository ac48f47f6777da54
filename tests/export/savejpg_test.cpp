#include "export/savejpg.h"
#include "platform/runtimeerror.h"
#include "savetesting.h"
#include "support/temptree.h"

#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

// Four solid quarters, so that JPEG's smoothing at the edges does not touch the samples.
QImage quarteredPicture()
{
    QImage picture(240, 160, QImage::Format_RGB32);
    QPainter painter(&picture);
    painter.fillRect(0, 0, 120, 80, QColor(200, 30, 30));
    painter.fillRect(120, 0, 120, 80, QColor(30, 160, 40));
    painter.fillRect(0, 80, 120, 80, QColor(20, 40, 190));
    painter.fillRect(120, 80, 120, 80, Qt::white);
    return picture;
}

void expectNear(QColor actual, QColor expected)
{
    EXPECT_NEAR(actual.red(), expected.red(), 10);
    EXPECT_NEAR(actual.green(), expected.green(), 10);
    EXPECT_NEAR(actual.blue(), expected.blue(), 10);
}

QString failureText(const QImage &picture, const QString &fileName, int quality, int *number)
{
    try {
        SaveJPG(picture, fileName, quality);
    } catch (const RuntimeError &error) {
        *number = error.number();
        return error.description();
    }
    return {};
}

} // namespace

TEST(SaveJPG, WritesJpegOfPictureSizeAndColours)
{
    TempTree tree;
    const QImage picture = quarteredPicture();
    const QString file = tree.pathQ("chart.jpg");
    SaveJPG(picture, file, 100);

    QImageReader reader(file);
    EXPECT_EQ(reader.format(), "jpeg");
    const QImage decoded = reader.read();
    ASSERT_FALSE(decoded.isNull());
    EXPECT_EQ(decoded.size(), picture.size());
    for (const QPoint at : {QPoint(60, 40), QPoint(180, 40), QPoint(60, 120), QPoint(180, 120)})
        expectNear(decoded.pixelColor(at), picture.pixelColor(at));
}

TEST(SaveJPG, WritesTheNameAsGivenWhateverItsExtension)
{
    TempTree tree;
    SaveJPG(quarteredPicture(), tree.pathQ("chart"), 100);
    SaveJPG(quarteredPicture(), tree.pathQ("chart.png"), 100);

    EXPECT_FALSE(QFileInfo::exists(tree.pathQ("chart.jpg")));
    EXPECT_EQ(QImageReader(tree.pathQ("chart")).format(), "jpeg");
    EXPECT_EQ(QImageReader(tree.pathQ("chart.png")).format(), "jpeg");
}

TEST(SaveJPG, FailureIntoMissingFolderRaisesError5WithStatus)
{
    TempTree tree;
    int number = 0;
    const QString text =
        failureText(quarteredPicture(), tree.pathQ("missing/chart.jpg"), 100, &number);
    EXPECT_EQ(number, 5);
    EXPECT_EQ(text, QStringLiteral("Cannot save the image. GDI+ Error:7"));
}

TEST(SaveJPG, EmptyPictureOrBadQualityRaisesInvalidParameterAndWritesNothing)
{
    TempTree tree;
    int number = 0;
    EXPECT_EQ(failureText(QImage(), tree.pathQ("empty.jpg"), 100, &number),
              QStringLiteral("Cannot save the image. GDI+ Error:2"));
    EXPECT_EQ(number, 5);
    // Just outside the range on either side.
    EXPECT_EQ(failureText(quarteredPicture(), tree.pathQ("loud.jpg"), 101, &number),
              QStringLiteral("Cannot save the image. GDI+ Error:2"));
    EXPECT_EQ(failureText(quarteredPicture(), tree.pathQ("quiet.jpg"), -1, &number),
              QStringLiteral("Cannot save the image. GDI+ Error:2"));
    EXPECT_FALSE(QFileInfo::exists(tree.pathQ("empty.jpg")));
    EXPECT_FALSE(QFileInfo::exists(tree.pathQ("loud.jpg")));
    EXPECT_FALSE(QFileInfo::exists(tree.pathQ("quiet.jpg")));
}

TEST(SaveJPG, AFullDiskRaisesStatus7AndKeepsTheOldPicture)
{
    savetesting::FullDisk disk;
    const QString file = disk.pathQ("chart.jpg");
    QImage small(8, 8, QImage::Format_RGB32);
    small.fill(Qt::red);
    SaveJPG(small, file, 100);
    const QImage old = QImage(file);
    ASSERT_FALSE(old.isNull());
    disk.fill();

    // Noise does not compress: far more than the disk holds.
    QImage noise(400, 400, QImage::Format_RGB32);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, qRgb((x * 7919 + y * 104729) % 251, (x * y) % 253, (x ^ y) % 256));
    int number = 0;
    EXPECT_EQ(failureText(noise, file, 100, &number),
              QStringLiteral("Cannot save the image. GDI+ Error:7"));
    EXPECT_EQ(number, 5);
    EXPECT_EQ(QImage(file), old);
}
