#include "app/headlessexport.h"

#include "app/chartjson.h"
#include "app/chartpicture.h"
#include "app/commandline.h"
#include "app/form1.h"
#include "app/outputfile.h"
#include "app/piechart.h"
#include "app/quietstandarderror.h"
#include "app/slicetext.h"
#include "app/terminalprogress.h"
#include "export/chartworkbook.h"
#include "export/savejpg.h"
#include "export/sidetext.h"
#include "export/spreadsheetprogram.h"
#include "export/textfile.h"
#include "platform/drives.h"
#include "platform/nativepath.h"
#include "platform/specialfolders.h"

#include <QDir>
#include <exception>

namespace {

constexpr int BestQuality = 100;

// The headless window lists no drives and no special folders: its tree is never looked at.
class NoDrives : public DriveProvider {
public:
    QList<Drive> drives() const override { return {}; }
};
class NoSpecialFolders : public SpecialFolders {
public:
    QString path(int) const override { return {}; }
};
class NoSpreadsheet : public SpreadsheetLocator {
public:
    std::optional<SpreadsheetProgram> find() override { return std::nullopt; }
};

Form1Environment headlessEnvironment()
{
    Form1Environment environment;
    environment.drives = std::make_shared<NoDrives>();
    environment.specialFolders = std::make_shared<NoSpecialFolders>();
    environment.spreadsheetLocator = std::make_shared<NoSpreadsheet>();
    environment.workbookFolder = QDir::tempPath();
    environment.drawPercent = [] { return 1; }; // never the home page
    return environment;
}

QList<ChartJsonEntry> chartEntries(Form1 &form)
{
    const QStringList values = form.MSChart1()->values();
    QList<ChartJsonEntry> entries;
    for (int i = 0; i < values.size(); ++i) {
        const QString path = form.Dir1().list(i);
        entries.append({SliceName(path, form.Dir1().path()), path, values.at(i).toLongLong()});
    }
    return entries;
}

// The picture the window's exports take, drawn from the chart's data at the window's chart
// size, or at least `size` when one is asked for.
QImage chartPicture(Form1 &form, QSize size)
{
    const PieChart *chart = form.MSChart1();
    return ChartPicture(chart->chartData(), chart->title(), chart->palette(),
                        size.isValid() ? size : ChartPictureMinimumSize);
}

} // namespace

int runHeadlessExport(const CommandLine &line)
{
    Form1 form(headlessEnvironment());
    form.setAttribute(Qt::WA_DontShowOnScreen);
    const QString folder = QDir::cleanPath(QDir::current().absoluteFilePath(line.folder));

    try {
        const TerminalProgress progress([&form] {
            const int total = form.Dir1().listCount();
            const int measuring = form.ChartDone() ? total : form.MSChart1()->columnCount();
            return TerminalProgress::State{
                std::max(measuring - 1, 0), total,
                form.ChartDone() ? QString() : displayPath(form.Dir1().list(measuring - 1))};
        });
        form.Dir1().setPath(folder);
        form.GenerateChart();
    } catch (const std::exception &error) {
        tellError(QStringLiteral("cannot chart %1: %2")
                      .arg(displayPath(line.folder), QString::fromUtf8(error.what())));
        return 1;
    }

    bool allWritten = true;
    if (!line.textFile.isEmpty()) {
        allWritten &= writeOutput(line.textFile, [&form] {
            return textFileBytes(sideTextFileText(form.SideTextLines().value_or(QStringList())));
        });
    }
    if (!line.jsonFile.isEmpty())
        allWritten &= writeOutput(
            line.jsonFile, [&form] { return chartJson(form.Dir1().path(), chartEntries(form)); });
    if (line.writesPicture()) {
        const QImage picture = chartPicture(form, line.pictureSize);
        if (!line.jpgFile.isEmpty())
            allWritten &=
                writeOutput(line.jpgFile, [&picture] { return EncodeJPG(picture, BestQuality); });
        if (!line.xlsxFile.isEmpty())
            allWritten &= writeOutputThrough(line.xlsxFile, [&picture](const QByteArray &newFile) {
                const QuietStandardError quiet;
                writeChartWorkbook(picture, newFile);
            });
    }
    return allWritten ? 0 : 1;
}
