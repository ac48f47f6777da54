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
        "b\xe2\x82\xac", // a stray continuation byte, then the euro sign
    };
    for (const QByteArray &name : names)
        EXPECT_EQ(nativePath(pathFromNative(name)), name) << name.toHex().constData();

    EXPECT_EQ(pathFromNative("caf\xc3\xa9"), QStringLiteral("caf\u00e9"));
    EXPECT_EQ(nativePath(QStringLiteral("/home/caf\u00e9")), QByteArray("/home/caf\xc3\xa9"));
    // Two different byte names never meet in one text.
    EXPECT_NE(pathFromNative("\xff\xfe"), pathFromNative("\xef\xbf\xbd\xef\xbf\xbd"));
}

TEST(NativePath, ShownTextMarksEachForeignByte)
{
    EXPECT_EQ(displayPath(pathFromNative("/d/\xff\xfe")), QStringLiteral("/d/\ufffd\ufffd"));
    EXPECT_EQ(displayPath(pathFromNative("/d/\xf0\x90\x82\x80")), QStringLiteral("/d/\U00010080"));
}

} // namespace
