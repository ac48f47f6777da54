#include "treefolder/treeeventargs.h"

#include <gtest/gtest.h>

TEST(TreeEventArgs, QtKeysMapToWindowsKeyCodes)
{
    struct Case {
        int key;
        Qt::KeyboardModifiers modifiers;
        short code;
    };
    const Qt::KeyboardModifiers none = Qt::NoModifier;
    const Qt::KeyboardModifiers keypad = Qt::KeypadModifier;
    const Case cases[] = {
        {Qt::Key_Return, none, 13},      {Qt::Key_Enter, keypad, 13},
        {Qt::Key_Escape, none, 27},      {Qt::Key_Backspace, none, 8},
        {Qt::Key_Tab, none, 9},          {Qt::Key_Backtab, none, 9},
        {Qt::Key_Space, none, 32},       {Qt::Key_A, none, 65},
        {Qt::Key_Z, none, 90},           {Qt::Key_0, none, 48},
        {Qt::Key_9, none, 57},           {Qt::Key_0, keypad, 96},
        {Qt::Key_9, keypad, 105},        {Qt::Key_F1, none, 112},
        {Qt::Key_F12, none, 123},        {Qt::Key_F24, none, 135},
        {Qt::Key_Left, none, 37},        {Qt::Key_Down, none, 40},
        {Qt::Key_Home, keypad, 36},      {Qt::Key_Delete, none, 46},
        {Qt::Key_Insert, none, 45},      {Qt::Key_Shift, none, 16},
        {Qt::Key_Control, none, 17},     {Qt::Key_Alt, none, 18},
        {Qt::Key_Asterisk, none, 56},    {Qt::Key_Asterisk, keypad, 106},
        {Qt::Key_Minus, none, 189},      {Qt::Key_Minus, keypad, 109},
        {Qt::Key_Semicolon, none, 186},  {Qt::Key_Colon, none, 186},
        {Qt::Key_Exclam, none, 49},      {Qt::Key_ParenRight, none, 48},
        {Qt::Key_Apostrophe, none, 222}, {Qt::Key_QuoteDbl, none, 222},
        {Qt::Key_Adiaeresis, none, 0},   {Qt::Key_unknown, none, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(keyCodeFromQtKey(c.key, c.modifiers), c.code) << std::hex << c.key;
}

TEST(TreeEventArgs, KeyCodesMapBackToTheMainBlockKey)
{
    for (const int key : {Qt::Key_Return, Qt::Key_A, Qt::Key_5, Qt::Key_F7, Qt::Key_Down,
                          Qt::Key_Delete, Qt::Key_Semicolon, Qt::Key_Equal, Qt::Key_Comma,
                          Qt::Key_Minus, Qt::Key_Period, Qt::Key_Slash, Qt::Key_Apostrophe})
        EXPECT_EQ(qtKeyFromKeyCode(keyCodeFromQtKey(key)), key) << std::hex << key;
    EXPECT_EQ(qtKeyFromKeyCode(96), Qt::Key_0);
    EXPECT_EQ(qtKeyFromKeyCode(0), Qt::Key_unknown);
    EXPECT_EQ(qtKeyFromKeyCode(255), Qt::Key_unknown);
}

TEST(TreeEventArgs, ShiftMaskAndButtonsAddUp)
{
    EXPECT_EQ(shiftMaskFromModifiers(Qt::NoModifier), 0);
    EXPECT_EQ(shiftMaskFromModifiers(Qt::ShiftModifier), 1);
    EXPECT_EQ(shiftMaskFromModifiers(Qt::ControlModifier), 2);
    EXPECT_EQ(shiftMaskFromModifiers(Qt::AltModifier), 4);
    EXPECT_EQ(shiftMaskFromModifiers(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier |
                                     Qt::KeypadModifier | Qt::MetaModifier),
              7);

    EXPECT_EQ(buttonFromMouseButton(Qt::LeftButton), 1);
    EXPECT_EQ(buttonFromMouseButton(Qt::RightButton), 2);
    EXPECT_EQ(buttonFromMouseButton(Qt::MiddleButton), 4);
    EXPECT_EQ(buttonFromMouseButton(Qt::BackButton), 0);
    EXPECT_EQ(buttonMaskFromMouseButtons(Qt::LeftButton | Qt::MiddleButton), 5);
    EXPECT_EQ(buttonMaskFromMouseButtons(Qt::NoButton), 0);
}

TEST(TreeEventArgs, CoordinatesAreFifteenTwipsPerPixel)
{
    EXPECT_FLOAT_EQ(twipsFromPixels(0), 0.0f);
    EXPECT_FLOAT_EQ(twipsFromPixels(10), 150.0f);
    EXPECT_FLOAT_EQ(twipsFromPixels(0.5), 7.5f);
    EXPECT_FLOAT_EQ(twipsFromPixels(-2), -30.0f);
}

TEST(TreeEventArgs, KeyAsciiIsTheTypedCharacter)
{
    EXPECT_EQ(keyAsciiFromText(QStringLiteral("a")), 97);
    EXPECT_EQ(keyAsciiFromText(QStringLiteral("\r")), 13);
    EXPECT_EQ(keyAsciiFromText(QStringLiteral("\x01")), 1);
    EXPECT_EQ(keyAsciiFromText(QString()), 0);
    EXPECT_EQ(keyAsciiFromText(QStringLiteral("\u00e9")), 0xE9);
    EXPECT_EQ(keyAsciiFromText(QStringLiteral("\u20ac")), 0x20AC);
    // Beyond a 16-bit signed integer: the question mark an ANSI program would see.
    EXPECT_EQ(keyAsciiFromText(QStringLiteral("\uffe5")), 63);
    EXPECT_EQ(keyAsciiFromText(QString::fromUcs4(U"\U0001F600")), 63);
}

TEST(TreeEventArgs, EffectsPickOneDropAction)
{
    const Qt::DropActions copyMove = Qt::CopyAction | Qt::MoveAction;
    EXPECT_EQ(effectFromDropActions(copyMove | Qt::LinkAction), 7);
    EXPECT_EQ(effectFromDropActions(Qt::TargetMoveAction), DropEffect::Move);
    EXPECT_EQ(dropActionFromEffect(3, copyMove, Qt::MoveAction), Qt::MoveAction);
    EXPECT_EQ(dropActionFromEffect(1, copyMove, Qt::MoveAction), Qt::CopyAction);
    EXPECT_EQ(dropActionFromEffect(4, copyMove, Qt::CopyAction), Qt::IgnoreAction);
    EXPECT_EQ(dropActionFromEffect(0, copyMove, Qt::CopyAction), Qt::IgnoreAction);
    EXPECT_EQ(dropActionFromEffect(DropEffect::Scroll | DropEffect::Move, copyMove, Qt::CopyAction),
              Qt::MoveAction);
}

TEST(TreeEventArgs, DataFormatsHaveStableNumbers)
{
    EXPECT_EQ(dataFormatFromMimeType(QStringLiteral("text/plain")), 1);
    EXPECT_EQ(dataFormatFromMimeType(QStringLiteral("text/uri-list")), 15);
    EXPECT_EQ(dataFormatFromMimeType(QStringLiteral("text/rtf")), -16639);

    const short custom = dataFormatFromMimeType(QStringLiteral("application/x-quorvane-a"));
    const short other = dataFormatFromMimeType(QStringLiteral("application/x-quorvane-b"));
    EXPECT_LT(custom, 0);
    EXPECT_NE(custom, other);
    EXPECT_EQ(dataFormatFromMimeType(QStringLiteral("Application/X-Quorvane-A")), custom);
    EXPECT_EQ(mimeTypeFromDataFormat(custom), QStringLiteral("application/x-quorvane-a"));
    EXPECT_EQ(mimeTypeFromDataFormat(1), QStringLiteral("text/plain"));
    EXPECT_TRUE(mimeTypeFromDataFormat(12345).isEmpty());
    EXPECT_TRUE(mimeTypeFromDataFormat(-1).isEmpty());
}
