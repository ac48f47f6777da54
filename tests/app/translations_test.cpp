#include "app/errorreport.h"
#include "app/foldermenu.h"
#include "app/translations.h"
#include "app/trashbar.h"
#include "chart/piechart.h"
#include "formfixture.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>

namespace {

// Puts English back however the test ends, for the tests that follow in this program.
struct BackToEnglish {
    ~BackToEnglish() { InstallTranslations(QLocale(QLocale::English), {}); }
};

const QStringList QmFolders = {QStringLiteral(QUORVANE_QM_FOLDER)};

} // namespace

// A German locale shows the window in German, Qt's own texts too, and the chart's picture
// that the exports take has the German title; English stays the default and comes back; a
// language without a translation keeps English.
TEST_F(FormTest, AGermanLocaleShowsTheWindowInGermanAndEnglishStaysTheDefault)
{
    tree.makeDir("Data/a");
    BackToEnglish guard;
    {
        ASSERT_TRUE(InstallTranslations(QLocale(QLocale::German, QLocale::Austria), QmFolders));
        Form1 form(environment());
        form.show();
        chart(form, tree.pathQ("Data"));
        EXPECT_EQ(form.PushButton1()->text(), "Diagramm als JPG speichern");
        EXPECT_EQ(form.PushButton2()->text(), "Seitentext als Textdatei speichern");
        EXPECT_EQ(form.ProgressBar1()->format(), "Fortschrittsbalken");
        EXPECT_EQ(form.Frame2()->title(), "Vorschau");
        EXPECT_EQ(form.MSChart1()->title(), "Ordnergrößen");
        EXPECT_EQ(ErrorReportTitle(), "Anwendungsfehler");
        EXPECT_EQ(TranslatedErrorDescription("Path not found: /data/x"),
                  "Pfad nicht gefunden: /data/x");
        EXPECT_EQ(TranslatedErrorDescription("Overflowing"), "Overflowing");
        EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Abbrechen");
    }
    ASSERT_TRUE(InstallTranslations(QLocale(QLocale::English, QLocale::UnitedKingdom), QmFolders));
    Form1 english(environment());
    EXPECT_EQ(english.PushButton1()->text(), "Save Chart As JPG");
    EXPECT_EQ(english.MSChart1()->title(), "Folder Sizes");
    EXPECT_EQ(ErrorReportTitle(), "Application Error");
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancel");

    EXPECT_FALSE(InstallTranslations(QLocale(QLocale::Welsh), QmFolders));
    EXPECT_EQ(Form1(environment()).PushButton1()->text(), "Save Chart As JPG");
}

// The folder menu, its refusals and the Trash bar speak German with the window.
TEST_F(FormTest, TheFolderMenuAndTheTrashBarShowInGerman)
{
    BackToEnglish guard;
    ASSERT_TRUE(InstallTranslations(QLocale(QLocale::German, QLocale::Germany), QmFolders));
    FolderTarget target;
    target.name = QStringLiteral("Videos");
    target.bytes = 4096;
    TrashRequest root;
    root.folder = "/";
    target.trashRefusal = trashRefusal(root, {});
    EXPECT_EQ(target.trashRefusal, "Die Wurzel des Dateisystems");
    std::unique_ptr<QMenu> menu(makeFolderMenu(target, {}, nullptr));
    QStringList texts;
    for (const QAction *action : menu->actions())
        if (!action->isSeparator())
            texts.append(action->text());
    EXPECT_EQ(texts, QStringList({"Öffnen", "Terminal hier öffnen", "Pfad kopieren",
                                  "In den Papierkorb verschieben…", "Aktualisieren"}));
    EXPECT_EQ(TrashQuestion(target), "'Videos' (4.00 KB) in den Papierkorb verschieben?");
    TrashBar bar;
    EXPECT_EQ(bar.undoButton()->text(), "Rückgängig");
}
