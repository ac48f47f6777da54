#include "foldersize/sizetext.h"

#include <clocale>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

namespace {

// Pins LC_NUMERIC for one test and puts the program's setting back afterwards.
class NumericLocale {
public:
    explicit NumericLocale(const char *name) : m_saved(std::setlocale(LC_NUMERIC, nullptr))
    {
        m_applied = std::setlocale(LC_NUMERIC, name) != nullptr;
    }
    ~NumericLocale() { std::setlocale(LC_NUMERIC, m_saved.c_str()); }
    bool applied() const { return m_applied; }

private:
    std::string m_saved;
    bool m_applied = false;
};

struct Case {
    double bytes;
    const char *text;
};

void expectTexts(const std::vector<Case> &cases)
{
    for (const Case &c : cases)
        EXPECT_EQ(SizeText(c.bytes), c.text) << "for " << c.bytes << " bytes";
}

TEST(SizeText, ThresholdsAreInclusiveAndValuesJustBelowStayInTheLowerUnit)
{
    const NumericLocale locale("C");
    expectTexts({
        {0, "0 Bytes"},
        {1, "1 Bytes"},
        {1023, "1023 Bytes"},
        {1024, "1.00 KB"},
        {1048575, "1024.00 KB"},
        {1048576, "1.00 MB"},
        {1073741823, "1024.00 MB"},
        {1073741824, "1.00 GB"},
        {1610612736, "1.50 GB"},
        {1099511627776.0, "1024.00 GB"}, // nothing above GB
        {1125899906842624.0, "1048576.00 GB"},
        {922337203685477.0, "858993.46 GB"}, // the largest amount a scan can return
    });
}

TEST(SizeText, RoundsTwoDecimalsHalfAwayFromZero)
{
    const NumericLocale locale("C");
    expectTexts({
        {1152, "1.13 KB"},   // 1.125 exactly
        {1408, "1.38 KB"},   // 1.375 exactly
        {2176, "2.13 KB"},   // 2.125 exactly: half-to-even would give 2.12
        {2688, "2.63 KB"},   // 2.625 exactly
        {1535, "1.50 KB"},   // 1.4990...
        {1029, "1.00 KB"},   // 1.0048828125
        {10239, "10.00 KB"}, // 9.999... carries into a new digit
        {1048570, "1023.99 KB"},
        {1048571, "1024.00 KB"},   // 1023.9951171875
        {1024 * 1.005, "1.00 KB"}, // the double just below 1.005 is below the half
    });
}

TEST(SizeText, SmallAndNegativeAmountsAreWholeBytesWithTheirSign)
{
    const NumericLocale locale("C");
    expectTexts({
        {1023.9, "1023 Bytes"},
        {0.7, "0 Bytes"},
        {-0.5, "0 Bytes"}, // truncates to zero, which has no sign
        {-1, "-1 Bytes"},
        {-1023.7, "-1023 Bytes"},
        {-1024, "-1024 Bytes"},
        {-1073741824.0 * 5, "-5368709120 Bytes"},
        {-1e20, "-100000000000000000000 Bytes"},
    });
}

TEST(SizeText, ValuesThatAreNotNumbersGiveZeroBytes)
{
    const NumericLocale locale("C");
    expectTexts({
        {std::numeric_limits<double>::quiet_NaN(), "0 Bytes"},
        {std::numeric_limits<double>::infinity(), "0 Bytes"},
        {-std::numeric_limits<double>::infinity(), "0 Bytes"},
    });
    EXPECT_EQ(SizeText(std::numeric_limits<double>::max()).substr(0, 5), "16742")
        << "the largest double is still written out in GB";
}

TEST(SizeText, UsesTheDecimalSeparatorOfTheNumericLocale)
{
    const NumericLocale locale("de_DE.UTF-8");
    if (!locale.applied())
        GTEST_SKIP() << "no de_DE.UTF-8 locale here; scripts/install-deps.sh generates it";
    expectTexts({
        {1610612736, "1,50 GB"},
        {1152, "1,13 KB"},
        {1048575, "1024,00 KB"},
        {1023, "1023 Bytes"},
        {-2000, "-2000 Bytes"},
    });
}

} // namespace
