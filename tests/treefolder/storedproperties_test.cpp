#include "platform/runtimeerror.h"
#include "platform/shellhelpers.h"
#include "treefolder/olecolor.h"
#include "treefolder/propertybag.h"
#include "treefolder/storedproperties.h"
#include "treefolder/storedpropertiesform1.h"

#include <QDir>
#include <QGuiApplication>
#include <QHash>
#include <QPalette>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace {

QString describe(const QFont &font)
{
    return QStringLiteral("%1 %2pt w%3")
        .arg(font.family())
        .arg(font.pointSizeF())
        .arg(font.weight());
}

// Stands in for the control: keeps what it is given like the control's fields and tree do,
// and records each assignment in order.
class RecordingTarget : public StoredPropertyTarget {
public:
    QStringList calls;
    QString failAt; // the setter that throws, by name

    bool enabled = true;
    short borderStyle = 1;
    qint32 backColor = TranslateColor(OleColor::WindowBackground);
    bool checkBoxes = false;
    QFont font = QFont(QStringLiteral("Sans Serif"), 8);
    QFont ambient = QFont(QStringLiteral("Sans Serif"), 8);
    bool fullRowSelect = false, hideSelection = true, hotTracking = false, singleSel = false;
    bool hideControlPanel = false, hideFavorites = false, hideMyDocuments = false,
         hideNetwork = false, showFolders = false;
    int labelEdit = 0, mousePointer = 0, oleDragMode = 0, oleDropMode = 0;
    int style = 7, lineStyle = 1;
    QPixmap mouseIcon;
    QString path = ProcessCurrentDirectory();

    void setStored(const StoredProperty &property, const QVariant &v) override
    {
        const QString &name = property.name;
        if (name == QLatin1String("BackColor"))
            backColor = TranslateColor(v.toUInt()); // as the control's BackColor does
        else
            field(name).set(v);
        if (failAt == name)
            throw RuntimeError(RuntimeErrorNumber::InvalidPropertyValue,
                               QStringLiteral("Invalid property value"));
        calls << QStringLiteral("%1=%2").arg(name, shown(name, v));
    }
    QVariant stored(const StoredProperty &property) const override
    {
        return const_cast<RecordingTarget *>(this)->field(property.name).get();
    }
    QFont ambientFont() const override { return ambient; }

private:
    struct Field {
        std::function<QVariant()> get;
        std::function<void(const QVariant &)> set;
    };
    template<class T> static Field fieldOf(T &value)
    {
        return {[&value] { return QVariant::fromValue(value); },
                [&value](const QVariant &v) { value = v.value<T>(); }};
    }
    Field field(const QString &name)
    {
        const QHash<QString, Field> fields{
            {"Enabled", fieldOf(enabled)},
            {"BorderStyle", fieldOf(borderStyle)},
            {"BackColor", fieldOf(backColor)},
            {"CheckBoxes", fieldOf(checkBoxes)},
            {"Font", fieldOf(font)},
            {"FullRowSelect", fieldOf(fullRowSelect)},
            {"HideSelection", fieldOf(hideSelection)},
            {"HotTracking", fieldOf(hotTracking)},
            {"LabelEdit", fieldOf(labelEdit)},
            {"MouseIcon", fieldOf(mouseIcon)},
            {"MousePointer", fieldOf(mousePointer)},
            {"OleDragMode", fieldOf(oleDragMode)},
            {"OleDropMode", fieldOf(oleDropMode)},
            {"SingleSel", fieldOf(singleSel)},
            {"HideControlPanel", fieldOf(hideControlPanel)},
            {"HideFavorites", fieldOf(hideFavorites)},
            {"HideMyDocuments", fieldOf(hideMyDocuments)},
            {"HideNetwork", fieldOf(hideNetwork)},
            {"ShowFolders", fieldOf(showFolders)},
            {"Path", fieldOf(path)},
            {"Style", fieldOf(style)},
            {"LineStyle", fieldOf(lineStyle)},
        };
        return fields.value(name);
    }
    static QString shown(const QString &name, const QVariant &v)
    {
        if (name == QLatin1String("BackColor"))
            return QString::number(v.toUInt(), 16);
        if (name == QLatin1String("Font"))
            return describe(v.value<QFont>());
        if (name == QLatin1String("MouseIcon"))
            return v.value<QPixmap>().isNull() ? QStringLiteral("none") : QStringLiteral("picture");
        return v.toString();
    }
};

QString desktopForTests()
{
    return QStringLiteral("/desk/top/");
}

int expectError(const std::function<void()> &action)
{
    try {
        action();
    } catch (const RuntimeError &error) {
        return error.number();
    }
    ADD_FAILURE() << "no error";
    return 0;
}

} // namespace

TEST(StoredProperties, EmptySetReadsEveryDefaultInOrderAndLeavesStylesAsTheyAre)
{
    RecordingTarget target;
    target.style = 5;
    target.lineStyle = 0;
    readStoredProperties(PropertyBag(), target, desktopForTests);
    EXPECT_EQ(target.calls, (QStringList{"Enabled=true",
                                         "BorderStyle=1",
                                         "BackColor=80000005",
                                         "CheckBoxes=false",
                                         "Font=" + describe(target.ambient),
                                         "FullRowSelect=false",
                                         "HideSelection=true",
                                         "HotTracking=false",
                                         "LabelEdit=0",
                                         "MouseIcon=none",
                                         "MousePointer=0",
                                         "OleDragMode=0",
                                         "OleDropMode=0",
                                         "SingleSel=false",
                                         "HideControlPanel=false",
                                         "HideFavorites=false",
                                         "HideMyDocuments=false",
                                         "HideNetwork=false",
                                         "Path=/desk/top/",
                                         "Style=5",
                                         "LineStyle=0"}));
}

TEST(StoredProperties, MainWindowSetReadsItsValuesWhateverTheCaseOfItsNames)
{
    RecordingTarget target;
    readStoredProperties(Form1TreeFolder1Properties(), target, desktopForTests);
    EXPECT_EQ(target.calls, (QStringList{"Enabled=true",
                                         "BorderStyle=1",
                                         "BackColor=ffffff",
                                         "CheckBoxes=false",
                                         "Font=Arial 9pt w700",
                                         "FullRowSelect=false",
                                         "HideSelection=false",
                                         "HotTracking=false",
                                         "LabelEdit=1",
                                         "MouseIcon=none",
                                         "MousePointer=0",
                                         "OleDragMode=1",
                                         "OleDropMode=1",
                                         "SingleSel=false",
                                         "HideControlPanel=true",
                                         "HideFavorites=false",
                                         "HideMyDocuments=false",
                                         "HideNetwork=false",
                                         "Path=" + DesktopFolderPath(),
                                         "Style=7",
                                         "LineStyle=1"}));
}

TEST(StoredProperties, MainWindowSetSurvivesASaveAndReload)
{
    const PropertyBag original = Form1TreeFolder1Properties();
    RecordingTarget loaded;
    readStoredProperties(original, loaded, desktopForTests);
    PropertyBag saved;
    writeStoredProperties(saved, loaded);

    // The host's own size entries are the host's to write; an empty picture is no picture.
    EXPECT_EQ(saved.names(),
              (QStringList{"BackColor", "Font", "HideSelection", "HideControlPanel", "LabelEdit",
                           "OleDragMode", "OleDropMode", "ShowFolders", "Path"}));
    for (const QString &name : saved.names())
        EXPECT_TRUE(storedValuesEqual(saved.ReadProperty(name), original.ReadProperty(name)))
            << name.toStdString();

    RecordingTarget reloaded;
    readStoredProperties(saved, reloaded, desktopForTests);
    EXPECT_EQ(reloaded.calls, loaded.calls);
}

TEST(StoredProperties, FreshInstanceKeepsOnlyBackColorAsRgbAndShowFolders)
{
    const QPalette savedPalette = QGuiApplication::palette();
    QPalette palette = savedPalette;
    palette.setColor(QPalette::All, QPalette::Base, QColor(0x10, 0x20, 0x30));
    QGuiApplication::setPalette(palette);
    RecordingTarget fresh; // m_BackColor translated from the system window colour now
    QGuiApplication::setPalette(savedPalette);
    fresh.font = fresh.ambient;

    PropertyBag bag;
    writeStoredProperties(bag, fresh);
    EXPECT_EQ(bag.names(), (QStringList{"BackColor", "ShowFolders"}));
    EXPECT_EQ(bag.ReadProperty("BackColor"), QVariant(0x00302010));
    EXPECT_EQ(bag.ReadProperty("ShowFolders"), QVariant(false));

    // A failed translation (-1) is kept too, and reads back as a colour that fails again.
    fresh.backColor = OleColor::TranslationFailed;
    PropertyBag failed;
    writeStoredProperties(failed, fresh);
    EXPECT_EQ(failed.ReadProperty("BackColor"), QVariant(-1));
    RecordingTarget reloaded;
    readStoredProperties(failed, reloaded, desktopForTests);
    EXPECT_EQ(reloaded.backColor, OleColor::TranslationFailed);
}

TEST(StoredProperties, PathEqualToTheCurrentDirectoryIsNotKeptSoItReloadsAsTheDesktop)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    RecordingTarget target;
    target.path = dir.path();
    PropertyBag bag;
    writeStoredProperties(bag, target);
    target.path = dir.path() + u'/';
    PropertyBag withSlash;
    writeStoredProperties(withSlash, target);
    QDir::setCurrent(previous);

    EXPECT_FALSE(bag.contains("Path"));
    EXPECT_EQ(withSlash.ReadProperty("Path"), QVariant(dir.path() + u'/'));
    RecordingTarget reloaded;
    readStoredProperties(bag, reloaded, desktopForTests);
    EXPECT_EQ(reloaded.path, desktopForTests());
}

TEST(StoredProperties, EverythingChangedIsWrittenInTheFixedOrder)
{
    RecordingTarget target;
    target.backColor = 0x123456;
    target.borderStyle = 0;
    target.checkBoxes = target.fullRowSelect = target.hotTracking = target.singleSel = true;
    target.enabled = target.hideSelection = false;
    target.font = QFont(QStringLiteral("Arial"), 12);
    target.hideControlPanel = target.hideFavorites = target.hideMyDocuments = true;
    target.hideNetwork = true;
    target.labelEdit = target.mousePointer = target.oleDragMode = target.oleDropMode = 1;
    target.mouseIcon = QPixmap(2, 2);
    target.mouseIcon.fill(Qt::red);
    target.style = 3;
    target.lineStyle = 0;
    target.path = QStringLiteral("/somewhere");
    PropertyBag bag;
    writeStoredProperties(bag, target);
    EXPECT_EQ(bag.names(), (QStringList{"BackColor",     "BorderStyle",
                                        "CheckBoxes",    "Enabled",
                                        "Font",          "FullRowSelect",
                                        "HideSelection", "HideControlPanel",
                                        "HideFavorites", "HideMyDocuments",
                                        "HideNetwork",   "HotTracking",
                                        "LabelEdit",     "MouseIcon",
                                        "MousePointer",  "OleDragMode",
                                        "OleDropMode",   "SingleSel",
                                        "Style",         "LineStyle",
                                        "ShowFolders",   "Path"}));

    RecordingTarget reloaded;
    readStoredProperties(bag, reloaded, desktopForTests);
    EXPECT_EQ(reloaded.backColor, 0x123456);
    EXPECT_EQ(reloaded.borderStyle, 0);
    EXPECT_FALSE(reloaded.enabled);
    EXPECT_EQ(reloaded.mouseIcon.toImage(), target.mouseIcon.toImage());
    EXPECT_EQ(reloaded.style, 3);
    EXPECT_EQ(reloaded.lineStyle, 0);
    EXPECT_EQ(reloaded.path, QStringLiteral("/somewhere"));
}

TEST(StoredProperties, StoredValuesOfOtherSpellingsAreAccepted)
{
    PropertyBag bag;
    bag.insert("BackColor", 0x80000008u); // unsigned spelling of a system colour
    bag.insert("Enabled", 0);
    bag.insert("CheckBoxes", QStringLiteral("True"));
    bag.insert("LabelEdit", 1.0);
    bag.insert("MouseIcon", QImage(3, 3, QImage::Format_ARGB32));
    RecordingTarget target;
    readStoredProperties(bag, target, desktopForTests);
    EXPECT_EQ(target.calls.mid(0, 4), (QStringList{"Enabled=false", "BorderStyle=1",
                                                   "BackColor=80000008", "CheckBoxes=true"}));
    EXPECT_EQ(target.labelEdit, 1);
    EXPECT_EQ(target.mouseIcon.size(), QSize(3, 3));
}

TEST(StoredProperties, AFailingNameEndsTheLoadingThereAndKeepsWhatCameBefore)
{
    {
        PropertyBag bag;
        bag.insert("BorderStyle", 40000);
        RecordingTarget target;
        EXPECT_EQ(expectError([&] { readStoredProperties(bag, target, desktopForTests); }),
                  RuntimeErrorNumber::Overflow);
        EXPECT_EQ(target.calls, QStringList{"Enabled=true"});
    }
    {
        PropertyBag bag;
        bag.insert("Font", QStringLiteral("Arial"));
        RecordingTarget target;
        EXPECT_EQ(expectError([&] { readStoredProperties(bag, target, desktopForTests); }),
                  StoredPropertyError::TypeMismatch);
        EXPECT_EQ(target.calls.size(), 4);
    }
    {
        PropertyBag bag;
        bag.insert("LabelEdit", QStringLiteral("manual"));
        RecordingTarget target;
        EXPECT_EQ(expectError([&] { readStoredProperties(bag, target, desktopForTests); }),
                  StoredPropertyError::TypeMismatch);
        EXPECT_EQ(target.calls.size(), 8);
    }
    {
        RecordingTarget target;
        target.failAt = QStringLiteral("HideNetwork");
        EXPECT_EQ(expectError([&] {
                      readStoredProperties(Form1TreeFolder1Properties(), target, desktopForTests);
                  }),
                  RuntimeErrorNumber::InvalidPropertyValue);
        EXPECT_EQ(target.calls.size(), 17);
        EXPECT_TRUE(target.hideControlPanel);
    }
}

TEST(StoredProperties, NoDesktopPathStopsBeforePathStyleAndLineStyle)
{
    RecordingTarget target;
    target.style = 4;
    const auto noDesktop = []() -> QString {
        throw RuntimeError(RuntimeErrorNumber::InvalidProcedureCall,
                           QStringLiteral("Invalid procedure call or argument"));
    };
    EXPECT_EQ(expectError([&] { readStoredProperties(PropertyBag(), target, noDesktop); }),
              RuntimeErrorNumber::InvalidProcedureCall);
    EXPECT_EQ(target.calls.size(), 18);
    EXPECT_EQ(target.calls.last(), QStringLiteral("HideNetwork=false"));
    EXPECT_EQ(target.path, ProcessCurrentDirectory());
}
