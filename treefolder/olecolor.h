#pragma once

#include <QColor>
#include <QtGlobal>

class QPalette;

// OLE colours: a 32-bit value whose top byte says how to read the rest.
//   0x00BBGGRR  a plain RGB colour (red in the low byte);
//   0x02BBGGRR  a palette-relative RGB colour, which on a true-colour screen is that RGB;
//   0x800000nn  system colour number nn (0..30, the Windows numbering), looked up in the
//               application's current Qt palette, so it follows the desktop's theme.
// Anything else (a palette index 0x01......, another top byte, a system number above 30 or
// with bits set between the top and the low byte) cannot be translated.
//
// System colour numbers and the palette colour each stands for (Active group unless noted):
//    0 scroll bar                Button
//    1 desktop background        Dark
//    2 active title bar          Highlight
//    3 inactive title bar        Highlight (Inactive)
//    4 menu background           Window
//    5 window background         Base
//    6 window frame              Shadow
//    7 menu text                 WindowText
//    8 window text               Text
//    9 active title text         HighlightedText
//   10 active border             Window
//   11 inactive border           Window (Inactive)
//   12 MDI workspace             Mid
//   13 selected item             Highlight
//   14 selected item text        HighlightedText
//   15 button face               Button
//   16 button shadow             Dark
//   17 disabled (grey) text      Text (Disabled)
//   18 button text               ButtonText
//   19 inactive title text       HighlightedText (Inactive)
//   20 button highlight          Light
//   21 3-D dark shadow           Shadow
//   22 3-D light                 Midlight
//   23 tooltip text              ToolTipText
//   24 tooltip background        ToolTipBase
//   25 (no colour has this number; fails)
//   26 hot-tracked item          Link
//   27 active title gradient     Highlight
//   28 inactive title gradient   Highlight (Inactive)
//   29 menu selection            Highlight
//   30 menu bar                  Window
namespace OleColor {
constexpr quint32 SystemColorFlag = 0x80000000u;
// The system window background, the tree's default background colour.
constexpr quint32 WindowBackground = 0x80000005u;
// What TranslateColor gives when a value cannot be translated.
constexpr qint32 TranslationFailed = -1;
} // namespace OleColor

// The RGB value (0x00BBGGRR) of an OLE colour, or -1 when it cannot be translated.
// System colours come from `palette`; the overload without one uses the application's.
qint32 TranslateColor(quint32 oleColor, const QPalette &palette);
qint32 TranslateColor(quint32 oleColor);

// The same translation as a QColor; an invalid QColor when it cannot be translated.
QColor colorFromOleColor(quint32 oleColor, const QPalette &palette);
QColor colorFromOleColor(quint32 oleColor);

// A translated RGB value (0x00BBGGRR) as a QColor; -1 or any value with bits above the low
// three bytes gives an invalid QColor.
QColor colorFromRgb(qint32 rgb);

// The 0x00BBGGRR value of a colour, as "BackColor" is saved; -1 for an invalid colour.
qint32 rgbFromColor(const QColor &color);
