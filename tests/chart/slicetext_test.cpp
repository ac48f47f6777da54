#include "chart/slicetext.h"
#include "foldersize/sizeamount.h"

#include <clocale>
#include <gtest/gtest.h>
#include <limits>

TEST(SliceText, NameDropsTheFolderAndItsSeparator)
{
    EXPECT_EQ(SliceName("/home/ann/Data/Music", "/home/ann/Data"), "Music");
    // Case-sensitive: a folder spelt differently is not removed.
    EXPECT_EQ(SliceName("/home/ann/Data/Music", "/home/ann/data"), "/home/ann/Data/Music");
}

TEST(SliceText, SubfoldersOfTheRootKeepTheirFullPaths)
{
    EXPECT_EQ(SliceName("/usr", "/"), "/usr");
    EXPECT_EQ(SliceLabel(SliceName("/usr", "/"), "2.00 KB"), "/usr - 2.00 KB");
}

TEST(SliceText, LabelCutsNamesLongerThanFifteenCharacters)
{
    EXPECT_EQ(SliceLabel("Music", "1.50 GB"), "Music - 1.50 GB");
    EXPECT_EQ(SliceLabel("Photographs2019", "512 Bytes"), "Photographs2019 - 512 Bytes");
    EXPECT_EQ(SliceLabel("Photographs 2019", "512 Bytes"), "Photographs 201... - 512 Bytes");
    EXPECT_EQ(SliceLabel("Photographs 2019 Summer", "512 Bytes"), "Photographs 201... - 512 Bytes");
    EXPECT_EQ(SliceLabel("", "0 Bytes"), " - 0 Bytes");
}

TEST(SliceText, LabelCountsCharactersNotUtf16Units)
{
    // Fifteen characters, each outside the basic plane (two UTF-16 units): shown whole.
    const QString fifteen = QString::fromUcs4(std::u32string(15, U'\U0001F4C1').c_str(), 15);
    EXPECT_EQ(SliceLabel(fifteen, "1 Bytes"), fifteen + " - 1 Bytes");
    // Sixteen: cut after the fifteenth, never inside one.
    EXPECT_EQ(SliceLabel(fifteen + QString::fromUcs4(U"\U0001F4C2", 1), "1 Bytes"),
              fifteen + "... - 1 Bytes");
    EXPECT_EQ(SliceLabel(QString::fromUtf8("Überweisungen 2023"), "3 Bytes"),
              QString::fromUtf8("Überweisungen 2... - 3 Bytes"));
}

TEST(SliceText, SideTextLineNeverShortensTheName)
{
    EXPECT_EQ(SideTextLine("Photographs 2019 Summer", "512 Bytes"),
              "Photographs 2019 Summer - 512 Bytes");
}

TEST(SliceText, LabelsAndSideTextFollowEachSubfoldersState)
{
    std::setlocale(LC_NUMERIC, "C");
    ChartModel model;
    model.reset(1, "/data",
                {{"Photographs 2019 Summer", "/data/Photographs 2019 Summer"}, {"b", "/data/b"}});
    EXPECT_EQ(SliceLabel(model.at(0)), "");
    model.setSizing(0);
    EXPECT_EQ(SliceLabel(model.at(0)), "Getting folder size...");
    EXPECT_EQ(SideTextLines(model), QStringList());
    model.setDone(0, 512);
    EXPECT_EQ(SliceLabel(model.at(0)), "Photographs 201... - 512 Bytes");
    EXPECT_EQ(SideTextLines(model), QStringList({"Photographs 2019 Summer - 512 Bytes"}));
    EXPECT_EQ(SliceSizeText(std::numeric_limits<qint64>::max()),
              SliceSizeText(SizeAmount::MaxBytes))
        << "a count beyond the size text's range shows as its end";
}
