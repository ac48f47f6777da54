#include "app/form1.h"
#include "app/scancomparison.h"
#include "chart/slicetext.h"
#include "history/historyrecorder.h"
#include "platform/messagebox.h"
#include "platform/nativepath.h"
#include "platform/postback.h"

#include <QActionGroup>
#include <QFileDialog>
#include <QLocale>
#include <QMenu>

namespace {

// How many earlier looks the menu lists, newest first; the history keeps at most 100.
constexpr std::size_t LooksListed = 30;

QString lookText(const HistoryLookTime &look)
{
    const QDateTime when = QDateTime::fromMSecsSinceEpoch(look.takenMs).toLocalTime();
    return QCoreApplication::translate("Form1", "%1 - %2")
        .arg(QLocale().toString(when, QStringLiteral("d MMM yyyy hh:mm")),
             SliceSizeText(look.total));
}

} // namespace

// Small on purpose: the folder's own items come first, and this submenu after them.
void Form1::addComparisonItems(QMenu *menu)
{
    if (!menu || m_chart.count() == 0)
        return;
    menu->addSeparator();
    QMenu *compare = menu->addMenu(tr("Compare With"));
    auto *choices = new QActionGroup(compare);
    QAction *none = compare->addAction(tr("No Comparison"));
    none->setCheckable(true);
    none->setChecked(!m_chart.comparison().isSet());
    choices->addAction(none);
    connect(none, &QAction::triggered, this, [this] {
        m_chart.setComparison({});
        m_comparedLook = 0;
    });
    compare->addSeparator();
    if (m_environment.history && m_earlierLooks.empty())
        compare->addAction(tr("No earlier looks"))->setEnabled(false);
    for (std::size_t i = 0; i < std::min(LooksListed, m_earlierLooks.size()); ++i) {
        const qint64 id = m_earlierLooks[i].id;
        QAction *look = compare->addAction(lookText(m_earlierLooks[i]));
        look->setCheckable(true);
        look->setChecked(m_chart.comparison().isSet() && id == m_comparedLook);
        choices->addAction(look);
        connect(look, &QAction::triggered, this, [this, id] { compareWithLook(id); });
    }
    compare->addSeparator();
    QAction *scan = compare->addAction(tr("Scan File…"));
    scan->setCheckable(true);
    scan->setChecked(m_chart.comparison().isSet() && m_comparedLook == 0);
    choices->addAction(scan);
    connect(scan, &QAction::triggered, this, [this] {
        // Opened without waiting: the window goes on while the dialog is up.
        auto *dialog = new QFileDialog(this, tr("Compare With a Scan File"));
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setFileMode(QFileDialog::ExistingFile);
        dialog->setOption(QFileDialog::DontUseNativeDialog); // keeps no settings of its own
        connect(dialog, &QFileDialog::fileSelected, this, &Form1::compareWithScanFile);
        dialog->open();
    });
}

void Form1::compareWithScanFile(const QString &file)
{
    const QString folder = m_chart.folder();
    if (folder.isEmpty())
        return;
    struct Answer {
        std::optional<ChartComparison> comparison;
        QString problem;
    };
    const QByteArray path = nativePath(folder);
    runThenPost<Answer>(
        this,
        [file, path] {
            Answer answer;
            answer.comparison = readScanComparison(file, path, answer.problem);
            return answer;
        },
        [this, folder](Answer answer) {
            if (m_chart.folder() != folder)
                return; // another folder was charted meanwhile
            if (!answer.comparison) {
                messageBox().show(answer.problem, tr("Compare With a Scan File"),
                                  MessageBox::Icon::Warning);
                return;
            }
            m_chart.setComparison(std::move(*answer.comparison));
            m_comparedLook = 0;
        },
        WithoutThread::RunHere);
}
