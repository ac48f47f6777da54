#include "treefolder/olecolor.h"

#include <QGuiApplication>
#include <QPalette>
#include <array>

namespace {

struct SystemColorRole {
    bool exists = true;
    QPalette::ColorRole role = QPalette::Window;
    QPalette::ColorGroup group = QPalette::Active;
};

constexpr QPalette::ColorGroup Active = QPalette::Active;
constexpr QPalette::ColorGroup Inactive = QPalette::Inactive;
constexpr QPalette::ColorGroup Disabled = QPalette::Disabled;

// Indexed by the Windows system colour number; the table in olecolor.h explains the choices.
constexpr std::array<SystemColorRole, 31> systemColorRoles = {{
    {true, QPalette::Button, Active},            // 0 scroll bar
    {true, QPalette::Dark, Active},              // 1 desktop
    {true, QPalette::Highlight, Active},         // 2 active caption
    {true, QPalette::Highlight, Inactive},       // 3 inactive caption
    {true, QPalette::Window, Active},            // 4 menu
    {true, QPalette::Base, Active},              // 5 window
    {true, QPalette::Shadow, Active},            // 6 window frame
    {true, QPalette::WindowText, Active},        // 7 menu text
    {true, QPalette::Text, Active},              // 8 window text
    {true, QPalette::HighlightedText, Active},   // 9 caption text
    {true, QPalette::Window, Active},            // 10 active border
    {true, QPalette::Window, Inactive},          // 11 inactive border
    {true, QPalette::Mid, Active},               // 12 app workspace
    {true, QPalette::Highlight, Active},         // 13 highlight
    {true, QPalette::HighlightedText, Active},   // 14 highlight text
    {true, QPalette::Button, Active},            // 15 button face
    {true, QPalette::Dark, Active},              // 16 button shadow
    {true, QPalette::Text, Disabled},            // 17 grey text
    {true, QPalette::ButtonText, Active},        // 18 button text
    {true, QPalette::HighlightedText, Inactive}, // 19 inactive caption text
    {true, QPalette::Light, Active},             // 20 button highlight
    {true, QPalette::Shadow, Active},            // 21 3-D dark shadow
    {true, QPalette::Midlight, Active},          // 22 3-D light
    {true, QPalette::ToolTipText, Active},       // 23 info text
    {true, QPalette::ToolTipBase, Active},       // 24 info background
    {false, QPalette::Window, Active},           // 25 unassigned
    {true, QPalette::Link, Active},              // 26 hot light
    {true, QPalette::Highlight, Active},         // 27 gradient active caption
    {true, QPalette::Highlight, Inactive},       // 28 gradient inactive caption
    {true, QPalette::Highlight, Active},         // 29 menu highlight
    {true, QPalette::Window, Active},            // 30 menu bar
}};

constexpr quint32 TopByteMask = 0xFF000000u;
constexpr quint32 RgbMask = 0x00FFFFFFu;
constexpr quint32 PaletteRelativeFlag = 0x02000000u;

} // namespace

QColor colorFromOleColor(quint32 oleColor, const QPalette &palette)
{
    const quint32 top = oleColor & TopByteMask;
    if (top == 0 || top == PaletteRelativeFlag)
        return colorFromRgb(static_cast<qint32>(oleColor & RgbMask));
    if (top != OleColor::SystemColorFlag || (oleColor & 0x00FFFF00u) != 0)
        return {};
    const quint32 index = oleColor & 0xFFu;
    if (index >= systemColorRoles.size() || !systemColorRoles[index].exists)
        return {};
    const SystemColorRole &entry = systemColorRoles[index];
    QColor color = palette.color(entry.group, entry.role);
    color.setAlpha(255);
    return color;
}

QColor colorFromOleColor(quint32 oleColor)
{
    return colorFromOleColor(oleColor, QGuiApplication::palette());
}

qint32 TranslateColor(quint32 oleColor, const QPalette &palette)
{
    return rgbFromColor(colorFromOleColor(oleColor, palette));
}

qint32 TranslateColor(quint32 oleColor)
{
    return TranslateColor(oleColor, QGuiApplication::palette());
}

QColor colorFromRgb(qint32 rgb)
{
    if (rgb < 0 || (static_cast<quint32>(rgb) & ~RgbMask) != 0)
        return {};
    return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

qint32 rgbFromColor(const QColor &color)
{
    if (!color.isValid())
        return OleColor::TranslationFailed;
    const QRgb rgb = color.rgb();
    return static_cast<qint32>(qRed(rgb) | (qGreen(rgb) << 8) | (qBlue(rgb) << 16));
}
