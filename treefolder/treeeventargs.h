#pragma once

#include <QString>
#include <Qt>

class QKeyEvent;
class QPointF;

// The argument conventions of the tree's pass-through events, and how Qt's events map to them.
//
// KeyCode (KeyDown, KeyUp): the key's Windows virtual-key number, whatever the keyboard
//   layout prints on it: Backspace 8, Tab and Backtab 9, Clear 12, Return and Enter 13,
//   Shift 16, Control 17, Alt 18, Pause 19, Caps Lock 20, Escape 27, Space 32, Page Up 33,
//   Page Down 34, End 35, Home 36, Left 37, Up 38, Right 39, Down 40, Select 41, Print 42,
//   Execute 43, Print Screen 44, Insert 45, Delete 46, Help 47, digits 48-57, letters 65-90,
//   Meta/Super 91 (right Super 92), Menu 93, Sleep 95, keypad digits 96-105, keypad * + , - . /
//   106-111, F1-F24 112-135, Num Lock 144, Scroll Lock 145, volume and media keys 173-179,
//   and the US-layout punctuation keys ; = , - . / ` [ \ ] ' as 186-192 and 219-222 (their
//   shifted characters map to the same key, and the shifted digits ! @ # ... to 48-57).
//   A key with no such number (a non-Latin letter, a dead key) has KeyCode 0.
// Shift (keys, mouse and drop events): 1 Shift, 2 Ctrl, 4 Alt, added together.
// KeyAscii (KeyPress): the character the key types, as its Unicode value when that fits a
//   16-bit signed integer (Enter 13, Backspace 8, Escape 27, Ctrl+A 1), else 63 ("?");
//   a key that types nothing raises no KeyPress.
// Button: 1 left, 2 right, 4 middle. MouseDown and MouseUp carry the one button that changed;
//   MouseMove, OLEDragOver and OLEDragDrop carry every button held down, added together.
// X, Y: twips, 15 per pixel, from the top left corner of the area the nodes are drawn in
//   (the tree's viewport), so a node under the pointer is the one at (X / 15, Y / 15).
// Effect, AllowedEffects: 0 none, 1 copy, 2 move, 4 link, added together (the bits of
//   Qt::DropAction); 0x80000000 (scroll) is never set and is ignored when a handler sets it.
// State (OLEDragOver): 0 the drag entered the tree, 1 it left, 2 it moves over it.
// DataFormat (OLESetData): 1 text (text/plain), 2 picture (application/x-qt-image), 15 file
//   list (text/uri-list), -16639 rich text (text/rtf); any other MIME type gets a number of
//   its own from -16384 upwards, the same for the whole run.

namespace TwipsPerPixel {
constexpr float Value = 15.0f;
}

namespace DropEffect {
constexpr int None = 0;
constexpr int Copy = 1;
constexpr int Move = 2;
constexpr int Link = 4;
constexpr int Scroll = static_cast<int>(0x80000000u);
} // namespace DropEffect

namespace DragOverState {
constexpr short Enter = 0;
constexpr short Leave = 1;
constexpr short Over = 2;
} // namespace DragOverState

// KeyCode of a Qt key; `modifiers` tell keypad keys from the main block.
short keyCodeFromQtKey(int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// The Qt key for a KeyCode (the main-block key where both exist), Qt::Key_unknown if none.
int qtKeyFromKeyCode(short keyCode);
short shiftMaskFromModifiers(Qt::KeyboardModifiers modifiers);
// The button that changed (MouseDown, MouseUp).
short buttonFromMouseButton(Qt::MouseButton button);
// Every button held down (MouseMove, drop events).
short buttonMaskFromMouseButtons(Qt::MouseButtons buttons);
float twipsFromPixels(qreal pixels);
// KeyAscii of a key press, or 0 when the key types nothing.
short keyAsciiFromText(const QString &text);

int effectFromDropActions(Qt::DropActions actions);
// The one action to perform when a handler allows `effect` and the source offers `possible`:
// the source's proposed action when allowed, else copy, move, link in that order;
// Qt::IgnoreAction when nothing is left.
Qt::DropAction dropActionFromEffect(int effect, Qt::DropActions possible, Qt::DropAction proposed);
Qt::DropActions dropActionsFromEffect(int effect);

short dataFormatFromMimeType(const QString &mimeType);
// The MIME type of a DataFormat number; empty for a number never handed out.
QString mimeTypeFromDataFormat(short dataFormat);
