#include "platform/nativepath.h"

#include <QList>
#include <gtest/gtest.h>

namespace {

TEST(NativePath, EveryByteSequenceComesBackExactly)
{
    const QList<QByteArray> names = {
        "plain",
        "caf\xc3\xa9",             // UTF-8
        "\xf0\x9f\x93\x81 folder", // a character outside the basic plane
        "\xff\xfe",                // Latin-1 bytes, never UTF-8
        "\xc3",                    // a sequence cut short
        "\xc0\xaf",                // an overlong "/"
        "\xed\xa0\x80",            // an encoded surrogate
        "\xf4\x90\x80\x80",        // past U+10FFFF
        "\xf0\x90\x82\x80\xff",    // U+10080 (its low surrogate is DC80) then a stray byte
        "\xe2\x82\x41"
        "b",                            // a 3-byte sequence whose last byte is no continuation
        "\xe2\x82\xc3\xa9",             // ... whose last byte starts the next character
        "\xf0\x9f\x93\x41",             // a 4-byte sequence whose last byte is no continuation
        "\xf0\x9f\x93\xf0\x9f\x93\x81", // ... whose last byte starts the next character
        "a\x80"
        "b\xe2\x82\xac",     // a stray continuation byte, then the euro sign
        "\xef\xbb\xbf",      // a byte order mark alone
        "\xef\xbb\xbfstash", // ... at the start of a name
        "x\xef\xbb\xbf",     // ... at its end: not the name "x"
        "a\xef\xbb\xbf\xef\xbb\xbf"
        "b", // ... twice in the middle
    };
    for (const QByteArray &name : names)
        EXPECT_EQ(nativePath(pathFromNative(name)), name) << name.toHex().constData();

    EXPECT_EQ(pathFromNative("caf\xc3\xa9"), QStringLiteral("caf\u00e9"));
    EXPECT_EQ(nativePath(QStringLiteral("/home/caf\u00e9")), QByteArray("/home/caf\xc3\xa9"));
    // Two different byte names never meet in one text.
    EXPECT_NE(pathFromNative("\xff\xfe"), pathFromNative("\xef\xbf\xbd\xef\xbf\xbd"));
}

TEST(NativePath, EveryShortByteSequenceComesBackExactly)
{
    // Every one- and two-byte name and every three-byte name with a three-byte lead, so no
    // character that a decoder treats specially (a byte order mark, a noncharacter) is lost.
    int lost = 0;
    for (int first = 1; first < 256; ++first) {
        for (int second = 0; second < 256; ++second) {
            QByteArray name(1, char(first));
            if (second != 0)
                name.append(char(second));
            lost += nativePath(pathFromNative(name)) != name;
            if (first < 0xE0 || first > 0xEF || second == 0)
                continue;
            name.append(char(0));
            for (int third = 1; third < 256; ++third) {
                name[2] = char(third);
                lost += nativePath(pathFromNative(name)) != name;
            }
        }
    }
    EXPECT_EQ(lost, 0);
}

TEST(NativePath, ShownTextMarksEachForeignByte)
{
    EXPECT_EQ(displayPath(pathFromNative("/d/\xff\xfe")), QStringLiteral("/d/\ufffd\ufffd"));
    EXPECT_EQ(displayPath(pathFromNative("/d/\xf0\x90\x82\x80")), QStringLiteral("/d/\U00010080"));
    // Control characters show as something visible, never as the line break they are.
    EXPECT_EQ(displayPath(pathFromNative("a\r\nb\tc\x7f\x1b[2J")),
              QStringLiteral("a\u240d\u240ab\u2409c\u2421\u241b[2J"));
    EXPECT_EQ(displayPath(QStringLiteral("a\u0085b\u2028c\u2029")),
              QStringLiteral("a\ufffdb\ufffdc\ufffd"));
}

} // namespace
