#pragma once

#include "chart/piechart.h"
#include "formfixture.h"

#include <QDir>
#include <QImage>
#include <QRegularExpression>
#include <cstdlib>
#include <optional>
#include <set>
#include <vector>

// A main window whose exports answer to a scripted save dialog and a fixed spreadsheet
// program lookup. TEMP points at the test's own folder "temp", so the temporary bitmap is
// the test's; workbooks go to "books".
class ExportTest : public FormTest {
protected:
    ExportTest()
    {
        tree.makeDir("temp");
        tree.makeDir("books");
        if (const char *old = std::getenv("TEMP"))
            m_oldTemp = QByteArray(old);
        setenv("TEMP", tree.path("temp").c_str(), 1);
    }
    ~ExportTest() override
    {
        if (m_oldTemp)
            setenv("TEMP", m_oldTemp->constData(), 1);
        else
            unsetenv("TEMP");
    }

    Form1Environment exportEnvironment()
    {
        Form1Environment env = environment();
        env.saveDialog = dialog;
        env.spreadsheetLocator = locator;
        env.workbookFolder = tree.pathQ("books");
        return env;
    }

    // Data holds three subfolders of different sizes, so the pie has three distinct slices.
    void makeDataFolder() const
    {
        tree.makeFile("Data/Alpha/a.bin", 3000);
        tree.makeFile("Data/Beta/b.bin", 2000);
        tree.makeFile("Data/Gamma/c.bin", 1000);
    }

    QString bitmapPath() const { return tree.pathQ("temp/Chart.bmp"); }
    QStringList tempEntries() const
    {
        return QDir(tree.pathQ("temp"))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

    // The step number of every box shown, in order.
    std::vector<int> reportedSteps() const
    {
        static const QRegularExpression atLine(QStringLiteral("at line (\\d+)\r\r"));
        std::vector<int> steps;
        for (const auto &shown : box->boxes) {
            const QRegularExpressionMatch match = atLine.match(shown.text);
            steps.push_back(match.hasMatch() ? match.captured(1).toInt() : -1);
        }
        return steps;
    }

    std::shared_ptr<ScriptedSaveDialog> dialog = std::make_shared<ScriptedSaveDialog>();
    std::shared_ptr<FixedSpreadsheetLocator> locator = std::make_shared<FixedSpreadsheetLocator>();

private:
    std::optional<QByteArray> m_oldTemp;
};

// Expects `actual` to show the same picture as `expected`: the same size, and within
// `tolerance` per colour channel at grid points where `expected` is one flat colour around
// the point (lossy encoders may blur edges). The points must cover at least three colours,
// so a blank or single-colour result cannot pass.
inline void expectSamePicture(const QImage &actual, const QImage &expected, int tolerance)
{
    ASSERT_FALSE(actual.isNull());
    ASSERT_EQ(actual.size(), expected.size());
    constexpr int radius = 4;
    const auto flatAround = [&](int x, int y) {
        const QRgb centre = expected.pixel(x, y);
        for (int dy = -radius; dy <= radius; ++dy)
            for (int dx = -radius; dx <= radius; ++dx)
                if (expected.pixel(x + dx, y + dy) != centre)
                    return false;
        return true;
    };
    std::set<QRgb> colours;
    for (int y = radius; y < expected.height() - radius; y += 7) {
        for (int x = radius; x < expected.width() - radius; x += 7) {
            if (!flatAround(x, y))
                continue;
            const QColor want = expected.pixelColor(x, y);
            const QColor got = actual.pixelColor(x, y);
            colours.insert(want.rgb());
            ASSERT_LE(std::abs(got.red() - want.red()), tolerance) << x << "," << y;
            ASSERT_LE(std::abs(got.green() - want.green()), tolerance) << x << "," << y;
            ASSERT_LE(std::abs(got.blue() - want.blue()), tolerance) << x << "," << y;
        }
    }
    EXPECT_GE(colours.size(), 3u) << "too few flat areas to compare";
}
