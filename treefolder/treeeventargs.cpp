#include "treefolder/treeeventargs.h"

#include <QStringList>
#include <array>
#include <cmath>

namespace {

struct KeyMapping {
    int qtKey;
    short keyCode;
    bool keypadOnly;
};

// Keys whose Qt numbers are not runs that can be computed (letters, digits, F-keys are).
constexpr KeyMapping keyMappings[] = {
    {Qt::Key_Backspace, 8, false},    {Qt::Key_Tab, 9, false},
    {Qt::Key_Backtab, 9, false},      {Qt::Key_Clear, 12, false},
    {Qt::Key_Return, 13, false},      {Qt::Key_Enter, 13, false},
    {Qt::Key_Shift, 16, false},       {Qt::Key_Control, 17, false},
    {Qt::Key_Alt, 18, false},         {Qt::Key_AltGr, 18, false},
    {Qt::Key_Pause, 19, false},       {Qt::Key_CapsLock, 20, false},
    {Qt::Key_Escape, 27, false},      {Qt::Key_Space, 32, false},
    {Qt::Key_PageUp, 33, false},      {Qt::Key_PageDown, 34, false},
    {Qt::Key_End, 35, false},         {Qt::Key_Home, 36, false},
    {Qt::Key_Left, 37, false},        {Qt::Key_Up, 38, false},
    {Qt::Key_Right, 39, false},       {Qt::Key_Down, 40, false},
    {Qt::Key_Select, 41, false},      {Qt::Key_Printer, 42, false},
    {Qt::Key_Execute, 43, false},     {Qt::Key_Print, 44, false},
    {Qt::Key_SysReq, 44, false},      {Qt::Key_Insert, 45, false},
    {Qt::Key_Delete, 46, false},      {Qt::Key_Help, 47, false},
    {Qt::Key_ParenRight, 48, false},  {Qt::Key_Exclam, 49, false},
    {Qt::Key_At, 50, false},          {Qt::Key_NumberSign, 51, false},
    {Qt::Key_Dollar, 52, false},      {Qt::Key_Percent, 53, false},
    {Qt::Key_AsciiCircum, 54, false}, {Qt::Key_Ampersand, 55, false},
    {Qt::Key_Asterisk, 106, true},    {Qt::Key_Asterisk, 56, false},
    {Qt::Key_ParenLeft, 57, false},   {Qt::Key_Meta, 91, false},
    {Qt::Key_Super_L, 91, false},     {Qt::Key_Super_R, 92, false},
    {Qt::Key_Menu, 93, false},        {Qt::Key_Sleep, 95, false},
    {Qt::Key_Plus, 107, true},        {Qt::Key_Comma, 108, true},
    {Qt::Key_Minus, 109, true},       {Qt::Key_Period, 110, true},
    {Qt::Key_Slash, 111, true},       {Qt::Key_NumLock, 144, false},
    {Qt::Key_ScrollLock, 145, false}, {Qt::Key_VolumeMute, 173, false},
    {Qt::Key_VolumeDown, 174, false}, {Qt::Key_VolumeUp, 175, false},
    {Qt::Key_MediaNext, 176, false},  {Qt::Key_MediaPrevious, 177, false},
    {Qt::Key_MediaStop, 178, false},  {Qt::Key_MediaTogglePlayPause, 179, false},
    {Qt::Key_MediaPlay, 179, false},  {Qt::Key_Semicolon, 186, false},
    {Qt::Key_Colon, 186, false},      {Qt::Key_Equal, 187, false},
    {Qt::Key_Plus, 187, false},       {Qt::Key_Comma, 188, false},
    {Qt::Key_Less, 188, false},       {Qt::Key_Minus, 189, false},
    {Qt::Key_Underscore, 189, false}, {Qt::Key_Period, 190, false},
    {Qt::Key_Greater, 190, false},    {Qt::Key_Slash, 191, false},
    {Qt::Key_Question, 191, false},   {Qt::Key_QuoteLeft, 192, false},
    {Qt::Key_AsciiTilde, 192, false}, {Qt::Key_BracketLeft, 219, false},
    {Qt::Key_BraceLeft, 219, false},  {Qt::Key_Backslash, 220, false},
    {Qt::Key_Bar, 220, false},        {Qt::Key_BracketRight, 221, false},
    {Qt::Key_BraceRight, 221, false}, {Qt::Key_Apostrophe, 222, false},
    {Qt::Key_QuoteDbl, 222, false},
};

constexpr short KeypadDigitZero = 96;
constexpr short FunctionKeyOne = 112;

// The reverse lookup takes the first entry of a number, so unshifted keys come first.
short lookUp(int qtKey, bool keypad)
{
    for (const KeyMapping &m : keyMappings) {
        if (m.qtKey == qtKey && m.keypadOnly == keypad)
            return m.keyCode;
    }
    return 0;
}

QStringList &registeredFormats()
{
    static QStringList formats;
    return formats;
}

constexpr int FirstRegisteredFormat = 0xC000;

struct KnownFormat {
    short number;
    const char *mimeType;
};

constexpr std::array<KnownFormat, 4> knownFormats = {{
    {1, "text/plain"},
    {2, "application/x-qt-image"},
    {15, "text/uri-list"},
    {-16639, "text/rtf"},
}};

} // namespace

short keyCodeFromQtKey(int qtKey, Qt::KeyboardModifiers modifiers)
{
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return static_cast<short>(qtKey); // Qt and Windows both number letters 65-90
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return static_cast<short>(keypad ? KeypadDigitZero + (qtKey - Qt::Key_0) : qtKey);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return static_cast<short>(FunctionKeyOne + (qtKey - Qt::Key_F1));
    if (keypad) {
        if (const short code = lookUp(qtKey, true))
            return code;
    }
    return lookUp(qtKey, false);
}

int qtKeyFromKeyCode(short keyCode)
{
    if (keyCode >= Qt::Key_A && keyCode <= Qt::Key_Z)
        return keyCode;
    if (keyCode >= Qt::Key_0 && keyCode <= Qt::Key_9)
        return keyCode;
    if (keyCode >= KeypadDigitZero && keyCode < KeypadDigitZero + 10)
        return Qt::Key_0 + (keyCode - KeypadDigitZero);
    if (keyCode >= FunctionKeyOne && keyCode < FunctionKeyOne + 24)
        return Qt::Key_F1 + (keyCode - FunctionKeyOne);
    for (const KeyMapping &m : keyMappings) {
        if (m.keyCode == keyCode)
            return m.qtKey;
    }
    return Qt::Key_unknown;
}

short shiftMaskFromModifiers(Qt::KeyboardModifiers modifiers)
{
    short mask = 0;
    if (modifiers.testFlag(Qt::ShiftModifier))
        mask |= 1;
    if (modifiers.testFlag(Qt::ControlModifier))
        mask |= 2;
    if (modifiers.testFlag(Qt::AltModifier))
        mask |= 4;
    return mask;
}

short buttonFromMouseButton(Qt::MouseButton button)
{
    return buttonMaskFromMouseButtons(button);
}

short buttonMaskFromMouseButtons(Qt::MouseButtons buttons)
{
    short mask = 0;
    if (buttons.testFlag(Qt::LeftButton))
        mask |= 1;
    if (buttons.testFlag(Qt::RightButton))
        mask |= 2;
    if (buttons.testFlag(Qt::MiddleButton))
        mask |= 4;
    return mask;
}

float twipsFromPixels(qreal pixels)
{
    return static_cast<float>(pixels) * TwipsPerPixel::Value;
}

short keyAsciiFromText(const QString &text)
{
    if (text.isEmpty())
        return 0;
    const char32_t code = text.toUcs4().value(0);
    if (code == 0)
        return 0;
    return code <= 0x7FFF ? static_cast<short>(code) : short('?');
}

int effectFromDropActions(Qt::DropActions actions)
{
    return static_cast<int>(actions.toInt()) &
           (DropEffect::Copy | DropEffect::Move | DropEffect::Link);
}

Qt::DropActions dropActionsFromEffect(int effect)
{
    return Qt::DropActions::fromInt(effect &
                                    (DropEffect::Copy | DropEffect::Move | DropEffect::Link));
}

Qt::DropAction dropActionFromEffect(int effect, Qt::DropActions possible, Qt::DropAction proposed)
{
    const Qt::DropActions allowed = dropActionsFromEffect(effect) & possible;
    if (proposed != Qt::IgnoreAction && allowed.testFlag(proposed))
        return proposed;
    for (const Qt::DropAction action : {Qt::CopyAction, Qt::MoveAction, Qt::LinkAction}) {
        if (allowed.testFlag(action))
            return action;
    }
    return Qt::IgnoreAction;
}

short dataFormatFromMimeType(const QString &mimeType)
{
    for (const KnownFormat &known : knownFormats) {
        if (mimeType.compare(QLatin1String(known.mimeType), Qt::CaseInsensitive) == 0)
            return known.number;
    }
    QStringList &formats = registeredFormats();
    qsizetype index = formats.indexOf(mimeType.toLower());
    if (index < 0) {
        if (formats.size() >= 0x10000 - FirstRegisteredFormat)
            return 0; // every number is taken; the format has no number
        formats.append(mimeType.toLower());
        index = formats.size() - 1;
    }
    return static_cast<short>(static_cast<quint16>(FirstRegisteredFormat + index));
}

QString mimeTypeFromDataFormat(short dataFormat)
{
    for (const KnownFormat &known : knownFormats) {
        if (known.number == dataFormat)
            return QLatin1String(known.mimeType);
    }
    if (dataFormat == 8) // a device-independent bitmap is a picture too
        return QStringLiteral("application/x-qt-image");
    const int index = static_cast<quint16>(dataFormat) - FirstRegisteredFormat;
    return registeredFormats().value(index);
}
