#include "platform/runtimeerror.h"
#include "treefolder/propertybag.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPixmap>
#include <gtest/gtest.h>

namespace {

QPixmap filled(const QColor &color)
{
    QPixmap pixmap(4, 4);
    pixmap.fill(color);
    return pixmap;
}

QFont arialBold9()
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(9);
    font.setWeight(QFont::Bold);
    return font;
}

} // namespace

TEST(PropertyBag, NamesAreComparedWithoutRegardToCaseAndKeepTheirFirstSpelling)
{
    PropertyBag bag;
    bag.WriteProperty(QStringLiteral("BackColor"), 5, 0);
    EXPECT_EQ(bag.ReadProperty(QStringLiteral("backcolor"), 0).toInt(), 5);
    EXPECT_TRUE(bag.contains(QStringLiteral("BACKCOLOR")));

    bag.WriteProperty(QStringLiteral("BACKCOLOR"), 7, 0);
    EXPECT_EQ(bag.names(), QStringList{QStringLiteral("BackColor")});
    EXPECT_EQ(bag.ReadProperty(QStringLiteral("BackColor")).toInt(), 7);
}

TEST(PropertyBag, AbsentNameReadsAsItsDefault)
{
    PropertyBag bag;
    bag.insert(QStringLiteral("LabelEdit"), 1);
    EXPECT_EQ(bag.ReadProperty(QStringLiteral("Style"), 7).toInt(), 7);
    EXPECT_FALSE(bag.ReadProperty(QStringLiteral("MouseIcon")).isValid());
}

TEST(PropertyBag, ValueEqualToItsDefaultIsNotKeptAndDropsAnEarlierValue)
{
    PropertyBag bag;
    bag.WriteProperty(QStringLiteral("Enabled"), true, true);
    EXPECT_TRUE(bag.isEmpty());

    bag.WriteProperty(QStringLiteral("Enabled"), false, true);
    EXPECT_EQ(bag.ReadProperty(QStringLiteral("Enabled"), true), QVariant(false));

    bag.WriteProperty(QStringLiteral("enabled"), true, true);
    EXPECT_FALSE(bag.contains(QStringLiteral("Enabled")));
    EXPECT_EQ(bag.ReadProperty(QStringLiteral("Enabled"), true), QVariant(true));
}

TEST(PropertyBag, NamesStayInTheOrderOfTheirFirstWrite)
{
    PropertyBag bag;
    for (const char *name : {"Style", "BackColor", "Path"})
        bag.WriteProperty(QString::fromLatin1(name), 3, 0);
    bag.WriteProperty(QStringLiteral("backcolor"), 4, 0);
    EXPECT_EQ(bag.names(), (QStringList{QStringLiteral("Style"), QStringLiteral("BackColor"),
                                        QStringLiteral("Path")}));
}

TEST(PropertyBag, EmptyNameIsRejected)
{
    PropertyBag bag;
    try {
        bag.WriteProperty(QString(), 1, 0);
        FAIL() << "no error";
    } catch (const RuntimeError &error) {
        EXPECT_EQ(error.number(), RuntimeErrorNumber::InvalidProcedureCall);
    }
    EXPECT_THROW(bag.ReadProperty(QString(), 1), RuntimeError);
    EXPECT_TRUE(bag.isEmpty());
}

struct EqualityCase {
    const char *what;
    QVariant value;
    QVariant defaultValue;
    bool equal;
};

TEST(StoredValuesEqual, ComparesByMeaningNotByQVariantConversion)
{
    QFont lighter = arialBold9();
    lighter.setWeight(QFont::Normal);
    QFont larger = arialBold9();
    larger.setPointSizeF(10);
    QFont lowerCase(QStringLiteral("arial"), 9, 700);

    const EqualityCase cases[] = {
        {"bool true/true", true, true, true},
        {"bool true/false", true, false, false},
        {"true and 1", true, 1, true},
        {"true and -1", true, -1, true},
        {"true and 2", true, 2, false},
        {"false and 0", false, 0, true},
        {"0 and false", 0, false, true},
        {"text 1 and int 1", QStringLiteral("1"), 1, false},
        {"text true and true", QStringLiteral("true"), true, false},
        {"empty text and nothing", QString(), QVariant(), false},
        {"int and double", 7, 7.0, true},
        {"int and fraction", 7, 7.5, false},
        {"short and int", QVariant::fromValue<short>(1), 1, true},
        {"uint and negative int", QVariant(4294967295u), -1, false},
        {"white from HSV and RGB", QColor::fromHsv(0, 0, 255), QColor(255, 255, 255), true},
        {"white and black", QColor(Qt::white), QColor(Qt::black), false},
        {"same font, other spelling", lowerCase, arialBold9(), true},
        {"font weight differs", lighter, arialBold9(), false},
        {"font size differs", larger, arialBold9(), false},
        {"empty picture and none", QPixmap(), QVariant(), true},
        {"picture and none", filled(Qt::red), QVariant(), false},
        {"same pixels, other objects", filled(Qt::red), filled(Qt::red).toImage(), true},
        {"other pixels", filled(Qt::red), filled(Qt::blue), false},
        {"nothing and nothing", QVariant(), QVariant(), true},
        {"nothing and zero", QVariant(), 0, false},
        {"paths differ in case", QStringLiteral("/home/A"), QStringLiteral("/home/a"), false},
    };
    for (const EqualityCase &c : cases)
        EXPECT_EQ(storedValuesEqual(c.value, c.defaultValue), c.equal) << c.what;
}
