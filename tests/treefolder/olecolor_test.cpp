#include "treefolder/olecolor.h"

#include <QGuiApplication>
#include <QPalette>
#include <gtest/gtest.h>

namespace {

// A palette whose every role and group has its own colour, so a lookup that picks the wrong
// role shows.
QPalette distinctPalette()
{
    QPalette palette;
    int n = 1;
    for (int group = 0; group < QPalette::NColorGroups; ++group) {
        for (int role = 0; role < QPalette::NColorRoles; ++role, ++n) {
            if (role == QPalette::NoRole)
                continue;
            palette.setColor(static_cast<QPalette::ColorGroup>(group),
                             static_cast<QPalette::ColorRole>(role), QColor(n, 2 * n % 256, 77));
        }
    }
    return palette;
}

qint32 rgbOf(const QPalette &palette, QPalette::ColorGroup group, QPalette::ColorRole role)
{
    return rgbFromColor(palette.color(group, role));
}

} // namespace

TEST(TranslateColor, PlainRgbKeepsItsValueWithRedInTheLowByte)
{
    EXPECT_EQ(TranslateColor(0x00FFFFFFu), 0x00FFFFFF);
    EXPECT_EQ(colorFromOleColor(0x000000FFu), QColor(255, 0, 0));
    EXPECT_EQ(colorFromOleColor(0x00FF0000u), QColor(0, 0, 255));
    EXPECT_EQ(TranslateColor(0x02123456u), 0x00123456); // palette-relative on true colour
}

TEST(TranslateColor, SystemColoursComeFromThePalette)
{
    const QPalette p = distinctPalette();
    EXPECT_EQ(TranslateColor(OleColor::WindowBackground, p),
              rgbOf(p, QPalette::Active, QPalette::Base));
    EXPECT_EQ(TranslateColor(0x80000008u, p), rgbOf(p, QPalette::Active, QPalette::Text));
    EXPECT_EQ(TranslateColor(0x8000000Du, p), rgbOf(p, QPalette::Active, QPalette::Highlight));
    EXPECT_EQ(TranslateColor(0x8000000Fu, p), rgbOf(p, QPalette::Active, QPalette::Button));
    EXPECT_EQ(TranslateColor(0x80000011u, p), rgbOf(p, QPalette::Disabled, QPalette::Text));
    EXPECT_EQ(TranslateColor(0x80000003u, p), rgbOf(p, QPalette::Inactive, QPalette::Highlight));
    EXPECT_EQ(TranslateColor(0x80000018u, p), rgbOf(p, QPalette::Active, QPalette::ToolTipBase));
    EXPECT_EQ(TranslateColor(0x8000001Au, p), rgbOf(p, QPalette::Active, QPalette::Link));
    for (quint32 index = 0; index <= 30; ++index) {
        if (index == 25)
            continue;
        EXPECT_GE(TranslateColor(OleColor::SystemColorFlag | index, p), 0) << index;
    }
}

TEST(TranslateColor, WithoutAPaletteFollowsTheApplicationPalette)
{
    const QPalette saved = QGuiApplication::palette();
    QPalette dark = saved;
    dark.setColor(QPalette::All, QPalette::Base, QColor(0x20, 0x30, 0x40));
    QGuiApplication::setPalette(dark);
    const qint32 translated = TranslateColor(OleColor::WindowBackground);
    QGuiApplication::setPalette(saved);
    EXPECT_EQ(translated, 0x00403020);
}

TEST(TranslateColor, ValuesThatNameNoColourFail)
{
    const QPalette p = distinctPalette();
    for (const quint32 bad : {0x80000019u,              // 25: no system colour has it
                              0x8000001Fu,              // 31: past the last system colour
                              0x800000FFu, 0x80000105u, // index bits beyond the low byte
                              0x01000005u,              // palette index, with no palette to index
                              0x40FFFFFFu, 0xFFFFFFFFu}) {
        EXPECT_EQ(TranslateColor(bad, p), OleColor::TranslationFailed) << std::hex << bad;
        EXPECT_FALSE(colorFromOleColor(bad, p).isValid()) << std::hex << bad;
    }
}

TEST(TranslateColor, RgbValuesConvertBothWays)
{
    EXPECT_EQ(rgbFromColor(QColor(0x12, 0x34, 0x56)), 0x00563412);
    EXPECT_EQ(colorFromRgb(0x00563412), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(rgbFromColor(QColor()), -1);
    EXPECT_FALSE(colorFromRgb(-1).isValid());
    EXPECT_FALSE(colorFromRgb(0x01000000).isValid());
    // The alpha of a translucent colour is not part of an RGB value.
    EXPECT_EQ(rgbFromColor(QColor(255, 0, 0, 10)), 0x000000FF);
}
