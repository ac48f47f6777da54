#include "exportfixture.h"

#include <QFile>
#include <QPushButton>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

TEST_F(ExportTest, TextHasOneCrLfLinePerSubfolderInChartOrderWithWholeNames)
{
    tree.makeFile("Data/zeta/z.bin", 10);
    tree.makeFile("Data/Alpha/a.bin", 2048);
    tree.makeFile("Data/Photographs 2019 Summer Holidays in Norway/p.bin", 512);
    Form1 form(exportEnvironment());
    chart(form, tree.pathQ("Data"));
    dialog->answer = tree.pathQ("sizes"); // typed without extension

    form.PushButton2()->click();

    ASSERT_EQ(dialog->shown.size(), 1u);
    EXPECT_EQ(dialog->shown[0].title, "Save");
    EXPECT_EQ(dialog->shown[0].filter, "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|");
    EXPECT_TRUE(box->boxes.empty());
    EXPECT_EQ(readAll(tree.pathQ("sizes")),
              "Alpha - 2.00 KB\r\n"
              "Photographs 2019 Summer Holidays in Norway - 512 Bytes\r\n"
              "zeta - 10 Bytes\r\n");
}

TEST_F(ExportTest, TextAfterAnEmptyFolderHoldsTheLinesOfTheFolderBefore)
{
    makeDataFolder();
    tree.makeFile("Flat/file.txt", 99);
    Form1 form(exportEnvironment());
    chart(form, tree.pathQ("Data"));
    chart(form, tree.pathQ("Flat"));
    dialog->answer = tree.pathQ("sizes.txt");

    form.PushButton2()->click();

    EXPECT_EQ(readAll(tree.pathQ("sizes.txt")),
              "Alpha - 2.93 KB\r\nBeta - 1.95 KB\r\nGamma - 1000 Bytes\r\n");
}

TEST_F(ExportTest, TextDialogStartsWithTheNameChosenLastAndCancelWritesNothing)
{
    makeDataFolder();
    Form1 form(exportEnvironment());
    chart(form, tree.pathQ("Data"));
    dialog->answer = tree.pathQ("chart.jpg");
    form.PushButton1()->click();
    dialog->answer.clear();

    form.PushButton2()->click();

    ASSERT_EQ(dialog->shown.size(), 2u);
    EXPECT_EQ(dialog->shown[1].fileName, tree.pathQ("chart.jpg"));
    EXPECT_TRUE(box->boxes.empty());
    EXPECT_EQ(QDir(tree.rootQ()).entryList({"*.txt"}, QDir::Files), QStringList());
    EXPECT_TRUE(readAll(tree.pathQ("chart.jpg")).startsWith("\xFF\xD8"))
        << "cancel leaves the file the dialog was offered alone";
}

TEST_F(ExportTest, TextWriteFailureShowsOneBoxWithStep122)
{
    makeDataFolder();
    Form1 form(exportEnvironment());
    chart(form, tree.pathQ("Data"));
    const QString target = tree.pathQ("no such folder/sizes.txt");
    dialog->answer = target;

    form.PushButton2()->click();

    ASSERT_EQ(box->boxes.size(), 1u);
    const QString text = box->boxes[0].text;
    EXPECT_TRUE(text.contains(target)) << text.toStdString();
    EXPECT_TRUE(text.endsWith("\r\nin Quorvane7/29/2014.Form1.PushButton2_Click at line 122\r\r"
                              "Please email screenshot of this message to support@quorvane.org"))
        << text.toStdString();
    EXPECT_EQ(box->boxes[0].title, "Application Error");
    EXPECT_FALSE(QFile::exists(tree.pathQ("no such folder")));
}

TEST_F(ExportTest, TextBeforeAnyGenerationIsAnEmptyFileReplacingAnOldOne)
{
    Form1 form(exportEnvironment());
    {
        QFile old(tree.pathQ("sizes.txt"));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old contents\r\n");
    }
    dialog->answer = tree.pathQ("sizes.txt");

    form.PushButton2()->click();

    EXPECT_TRUE(box->boxes.empty());
    EXPECT_EQ(readAll(tree.pathQ("sizes.txt")), QByteArray());
}
