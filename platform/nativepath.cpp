#include "platform/nativepath.h"

namespace {

constexpr char16_t EscapeBase = 0xDC00;

bool isEscape(char16_t unit)
{
    return unit >= EscapeBase + 0x80 && unit <= EscapeBase + 0xFF;
}

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// Length of the well-formed UTF-8 sequence at data[0], or 0 when none starts there.
// Overlong forms, surrogates and values past U+10FFFF are not well formed.
int sequenceLength(const unsigned char *data, qsizetype left)
{
    const unsigned char lead = data[0];
    if (lead < 0x80)
        return 1;
    int length = 0;
    unsigned char low = 0x80, high = 0xBF; // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (left < length || data[1] < low || data[1] > high)
        return 0;
    for (int i = 2; i < length; ++i) {
        if (!isContinuation(data[i]))
            return 0;
    }
    return length;
}

// The character of a well-formed sequence, decoded here rather than by QString::fromUtf8,
// which drops a byte order mark (U+FEFF) at the start of its input: a name "x" + U+FEFF
// would then open as "x", another folder.
void appendDecoded(QString &text, const unsigned char *data, int length)
{
    static constexpr unsigned char LeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t code = data[0] & LeadMask[length];
    for (int i = 1; i < length; ++i)
        code = (code << 6) | (data[i] & 0x3F);
    if (QChar::requiresSurrogates(code)) {
        text.append(QChar(QChar::highSurrogate(code)));
        text.append(QChar(QChar::lowSurrogate(code)));
    } else {
        text.append(QChar(char16_t(code)));
    }
}

// What a control character in a name shows as. A name may hold any of them; shown as they
// are, a carriage return and line feed would forge a line of the text export ("backups -
// 812.40 GB") and others move a terminal's cursor. C0 controls and DEL show as their
// control pictures (U+2400 "SYMBOL FOR NULL" onwards), C1 controls and the line and
// paragraph separators as U+FFFD. 0 for every other character.
char16_t controlPicture(char16_t unit)
{
    if (unit < 0x20)
        return char16_t(0x2400 + unit);
    if (unit == 0x7F)
        return 0x2421;
    if ((unit >= 0x80 && unit <= 0x9F) || unit == 0x2028 || unit == 0x2029)
        return QChar::ReplacementCharacter;
    return 0;
}

} // namespace

QString pathFromNative(const QByteArray &bytes)
{
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype size = bytes.size();
    qsizetype at = 0;
    while (at < size && data[at] < 0x80)
        ++at;
    if (at == size)
        return QString::fromLatin1(bytes); // the common case: plain ASCII
    QString text = QString::fromLatin1(bytes.constData(), at);
    while (at < size) {
        const int length = sequenceLength(data + at, size - at);
        if (length == 0) {
            text.append(QChar(char16_t(EscapeBase + data[at])));
            ++at;
        } else {
            appendDecoded(text, data + at, length);
            at += length;
        }
    }
    return text;
}

QByteArray nativePath(const QString &path)
{
    const char16_t *units = reinterpret_cast<const char16_t *>(path.utf16());
    const qsizetype size = path.size();
    QByteArray bytes;
    bytes.reserve(size);
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const bool pairedLow = i > 0 && QChar::isHighSurrogate(units[i - 1]);
        if (!isEscape(units[i]) || pairedLow)
            continue;
        bytes.append(QStringView(path).mid(runStart, i - runStart).toUtf8());
        bytes.append(char(units[i] - EscapeBase));
        runStart = i + 1;
    }
    bytes.append(QStringView(path).mid(runStart).toUtf8());
    return bytes;
}

QString displayPath(const QString &path)
{
    QString text = path;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text.at(i).unicode();
        const bool pairedLow = i > 0 && text.at(i - 1).isHighSurrogate();
        if (isEscape(unit) && !pairedLow)
            text[i] = QChar::ReplacementCharacter;
        else if (const char16_t picture = controlPicture(unit))
            text[i] = QChar(picture);
    }
    return text;
}
