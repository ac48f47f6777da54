#include "exportfixture.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QPushButton>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The picture in the file, decoded by its content alone, with the format it was found in.
QImage decode(const QString &path, QByteArray *format)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    *format = reader.format();
    return reader.read();
}

QImage chartPicture(Form1 &form)
{
    return form.MSChart1()->picture().toImage();
}

} // namespace

TEST_F(ExportTest, JpegCancelWritesNothingAndShowsNoBox)
{
    makeDataFolder();
    Form1 form(exportEnvironment());
    chart(form, tree.pathQ("Data"));
    dialog->setFileName(tree.pathQ("earlier.jpg"));
    dialog->answer.clear();

    form.PushButton1()->click();

    ASSERT_EQ(dialog->shown.size(), 1u);
    EXPECT_EQ(dialog->shown[0].fileName, "") << "the name is cleared before the dialog opens";
    EXPECT_EQ(dialog->shown[0].title, "Add File(s) - Hold Ctrl to select multiple files");
    EXPECT_EQ(dialog->shown[0].filter, "JPG Files (*.jpg)|*.jpg|");
    EXPECT_TRUE(box->boxes.empty());
    EXPECT_TRUE(tempEntries().isEmpty());
    EXPECT_FALSE(QFile::exists(tree.pathQ("earlier.jpg")));
    EXPECT_TRUE(form.Creator()->pixmap().isNull());
}

TEST_F(ExportTest, JpegIsTheChartAtItsSizeUnderTheNameAsTypedAndTheBitmapIsGone)
{
    makeDataFolder();
    // A bitmap left by an earlier run is replaced, never exported.
    QImage stale(16, 16, QImage::Format_RGB32);
    stale.fill(Qt::magenta);
    ASSERT_TRUE(stale.save(bitmapPath(), "BMP"));
    Form1 form(exportEnvironment());
    chart(form, tree.pathQ("Data"));
    const QImage chart = chartPicture(form);
    dialog->answer = tree.pathQ("Pie chart"); // typed without extension

    form.PushButton1()->click();

    EXPECT_TRUE(box->boxes.empty());
    EXPECT_FALSE(QFile::exists(tree.pathQ("Pie chart.jpg")));
    EXPECT_TRUE(readAll(tree.pathQ("Pie chart")).startsWith("\xFF\xD8\xFF"));
    QByteArray format;
    const QImage saved = decode(tree.pathQ("Pie chart"), &format);
    EXPECT_EQ(format, "jpeg");
    expectSamePicture(saved, chart, 12);
    EXPECT_TRUE(tempEntries().isEmpty()) << tempEntries().join(u' ').toStdString();
    // What stays behind: the chart on the clipboard and in Creator.
    EXPECT_EQ(QApplication::clipboard()->image().size(), chart.size());
    EXPECT_EQ(form.Creator()->pixmap().size(), chart.size());
}

TEST_F(ExportTest, JpegEncodingFailureReportsStep122AndStillRemovesTheBitmap)
{
    makeDataFolder();
    Form1 form(exportEnvironment());
    chart(form, tree.pathQ("Data"));
    dialog->answer = tree.pathQ("no such folder/chart.jpg");

    form.PushButton1()->click();

    ASSERT_EQ(box->boxes.size(), 1u);
    EXPECT_EQ(box->boxes[0].text, "Cannot save the image. GDI+ Error:7\r\n"
                                  "in Quorvane7/29/2014.Form1.PushButton1_Click at line 122\r\r"
                                  "Please email screenshot of this message to "
                                  "support@quorvane.org");
    EXPECT_EQ(box->boxes[0].title, "Application Error");
    EXPECT_EQ(box->boxes[0].icon, MessageBox::Icon::Warning);
    EXPECT_FALSE(QFile::exists(tree.pathQ("no such folder")));
    EXPECT_TRUE(tempEntries().isEmpty()) << "steps 124 and 126 ran after the failure";
}

TEST_F(ExportTest, JpegWithoutAFreshBitmapFailsRatherThanSavingTheEarlierPicture)
{
    makeDataFolder();
    Form1 form(exportEnvironment());
    chart(form, tree.pathQ("Data"));
    dialog->answer = tree.pathQ("first.jpg");
    form.PushButton1()->click();
    ASSERT_TRUE(QFile::exists(tree.pathQ("first.jpg")));
    ASSERT_FALSE(form.Creator()->pixmap().isNull());

    setenv("TEMP", tree.path("temp/missing").c_str(), 1);
    dialog->answer = tree.pathQ("second.jpg");
    form.PushButton1()->click();

    // 118 cannot write the bitmap, 120 cannot read it, 122 has no picture; 124 then ends.
    EXPECT_EQ(reportedSteps(), (std::vector<int>{118, 120, 122}));
    EXPECT_TRUE(box->boxes[2].text.startsWith("Cannot save the image. GDI+ Error:2\r\n"));
    EXPECT_FALSE(QFile::exists(tree.pathQ("second.jpg")));
}

TEST_F(ExportTest, JpegReplacesALinkPlantedAtTheBitmapNameWithoutWritingItsTarget)
{
    makeDataFolder();
    tree.makeFile("victim/precious.txt", 0);
    {
        QFile victim(tree.pathQ("victim/precious.txt"));
        ASSERT_TRUE(victim.open(QIODevice::WriteOnly));
        victim.write("someone else's data");
    }
    tree.makeSymlink("temp/Chart.bmp", tree.path("victim/precious.txt"));
    Form1 form(exportEnvironment());
    chart(form, tree.pathQ("Data"));
    dialog->answer = tree.pathQ("chart.jpg");

    form.PushButton1()->click();

    EXPECT_TRUE(box->boxes.empty());
    EXPECT_EQ(readAll(tree.pathQ("victim/precious.txt")), "someone else's data");
    EXPECT_TRUE(tempEntries().isEmpty());
    QByteArray format;
    expectSamePicture(decode(tree.pathQ("chart.jpg"), &format), chartPicture(form), 12);
}

TEST_F(ExportTest, ExportClickedWhileADialogIsOpenIsIgnored)
{
    makeDataFolder();
    Form1 form(exportEnvironment());
    chart(form, tree.pathQ("Data"));
    dialog->answer = tree.pathQ("chart.jpg");
    dialog->whileShown = [&] {
        dialog->whileShown = nullptr; // a run that got through would not recurse forever
        form.PushButton1()->click();
        form.PushButton2()->click();
        form.PushButton3()->click();
    };
    locator->program = SpreadsheetProgram{QStringLiteral("/opt/fake/calc"), {}, -1};

    form.PushButton1()->click();

    EXPECT_EQ(dialog->shown.size(), 1u);
    EXPECT_TRUE(launcher->programs.isEmpty());
    EXPECT_TRUE(box->boxes.empty());
    EXPECT_TRUE(QFile::exists(tree.pathQ("chart.jpg")));

    dialog->answer = tree.pathQ("again.jpg");
    form.PushButton1()->click();
    EXPECT_TRUE(QFile::exists(tree.pathQ("again.jpg"))) << "the guard is released afterwards";
}

TEST_F(ExportTest, JpegPressedDuringAScanSavesThePartialChartAndTheScanGoesOn)
{
    makeDataFolder();
    Form1 form(exportEnvironment());
    dialog->answer = tree.pathQ("partial.jpg");
    QStringList labelsWhenPressed;
    QImage chartWhenPressed;
    // Pressed as the third subfolder starts being sized, after two slices are done.
    QObject::connect(&form.chartModel(), &ChartModel::subfolderChanged, &form, [&](int index) {
        if (index != 2 || form.chartModel().at(2).state != ChartModel::State::Sizing)
            return;
        labelsWhenPressed = form.MSChart1()->columnLabels();
        chartWhenPressed = chartPicture(form);
        form.PushButton1()->click();
    });

    chart(form, tree.pathQ("Data"));

    ASSERT_FALSE(labelsWhenPressed.isEmpty());
    EXPECT_EQ(labelsWhenPressed.mid(0, 2), QStringList({"Alpha - 2.93 KB", "Beta - 1.95 KB"}));
    EXPECT_NE(labelsWhenPressed, form.MSChart1()->columnLabels()) << "a partial chart";
    EXPECT_TRUE(box->boxes.empty());
    QByteArray format;
    expectSamePicture(decode(tree.pathQ("partial.jpg"), &format), chartWhenPressed, 12);
    EXPECT_EQ(form.SideTextLines()->size(), 3);
    EXPECT_TRUE(form.ChartDone());
}
