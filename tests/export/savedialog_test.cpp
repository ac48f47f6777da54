#include "platform/savedialog.h"
#include "support/temptree.h"

#include <QApplication>
#include <QFileDialog>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Answers the dialog from a timer once it is up, and notes how it was set up.
struct DialogAnswer {
    bool accept = true;
    QString typedName; // replaces the name in the dialog when not empty
    QString title;
    QStringList nameFilters;
    bool confirmsOverwrite = false;
    QString defaultSuffix;
    bool seen = false;

    void armFor()
    {
        QTimer::singleShot(0, [this] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            seen = true;
            title = dialog->windowTitle();
            nameFilters = dialog->nameFilters();
            confirmsOverwrite = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
            defaultSuffix = dialog->defaultSuffix();
            if (!typedName.isEmpty())
                dialog->selectFile(typedName);
            QDialog *plain = dialog; // accept() is protected in QFileDialog
            accept ? plain->accept() : plain->reject();
        });
    }
};

} // namespace

TEST(SaveDialogFilter, PairsBecomeQtNameFiltersAndAllFilesMatchesEverything)
{
    EXPECT_EQ(qtNameFilters(QStringLiteral("JPG Files (*.jpg)|*.jpg|")),
              QStringList{QStringLiteral("JPG Files (*.jpg)")});
    EXPECT_EQ(qtNameFilters(QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|")),
              QStringList({QStringLiteral("Text Files (*.txt)"), QStringLiteral("All Files (*)")}));
    EXPECT_EQ(qtNameFilters(QStringLiteral("Pictures|*.png; *.jpg|Odd")),
              QStringList({QStringLiteral("Pictures (*.png *.jpg)"), QStringLiteral("Odd (*)")}));
    EXPECT_TRUE(qtNameFilters(QString()).isEmpty());
}

TEST(QtSaveDialog, ReturnsTheNameAsChosenAndEmptyOnCancel)
{
    TempTree tree;
    QtSaveDialog dialog;
    dialog.setDialogTitle(QStringLiteral("Save"));
    dialog.setFilter(QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"));
    dialog.setFileName(tree.pathQ("sizes"));

    DialogAnswer answer;
    answer.armFor();
    dialog.showSave();
    ASSERT_TRUE(answer.seen);
    EXPECT_EQ(dialog.fileName(), tree.pathQ("sizes"));
    EXPECT_EQ(answer.title, QStringLiteral("Save"));
    EXPECT_EQ(answer.nameFilters,
              QStringList({QStringLiteral("Text Files (*.txt)"), QStringLiteral("All Files (*)")}));
    EXPECT_TRUE(answer.confirmsOverwrite);
    EXPECT_TRUE(answer.defaultSuffix.isEmpty());

    DialogAnswer cancel;
    cancel.accept = false;
    cancel.armFor();
    dialog.showSave();
    ASSERT_TRUE(cancel.seen);
    EXPECT_TRUE(dialog.fileName().isEmpty());
}
