#include "app/scanwindow.h"

#include "app/scanchartsource.h"
#include "chart/chartpicture.h"
#include "chart/piechart.h"
#include "chart/slicetext.h"
#include "platform/messagebox.h"
#include "platform/nativepath.h"
#include "platform/savedialog.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QVBoxLayout>

QString scanDescription(const QString &top, std::int64_t timestamp, const QString &program,
                        const QString &version)
{
    QString text = QCoreApplication::translate("ScanWindow", "Scan of %1").arg(displayPath(top));
    if (timestamp >= 0)
        text += QStringLiteral(", ") +
                QLocale::c().toString(QDateTime::fromSecsSinceEpoch(timestamp).date(),
                                      QStringLiteral("d MMM yyyy"));
    if (!program.isEmpty())
        text +=
            QStringLiteral(", ") + QCoreApplication::translate("ScanWindow", "from %1")
                                       .arg(version.isEmpty() ? program : program + u' ' + version);
    return text;
}

ScanWindow::ScanWindow(std::shared_ptr<ScanChartSource> scan, QWidget *parent)
    : QMainWindow(parent), m_scan(std::move(scan)), m_generation(m_model, m_scan),
      m_pie(new PieChart(m_model)), m_note(new QLabel), m_pathBar(new QWidget),
      m_path(new QHBoxLayout(m_pathBar)), m_saveDialog(std::make_unique<QtSaveDialog>(this)),
      m_box(std::make_unique<QtMessageBox>(this))
{
    auto *central = new QWidget;
    auto *layout = new QVBoxLayout(central);
    // The main window's captions, so the two windows read (and translate) alike.
    auto *exports = new QHBoxLayout;
    const auto exportButton = [this, exports](const char *caption, void (ScanWindow::*run)()) {
        auto *button = new QPushButton(QCoreApplication::translate("Form1", caption));
        connect(button, &QPushButton::clicked, this, run);
        exports->addWidget(button);
    };
    exportButton("Save Chart As JPG", &ScanWindow::saveChartAsJpg);
    exportButton("Export Chart To Excel", &ScanWindow::exportWorkbook);
    exportButton("Save Side Text To Text File", &ScanWindow::saveSideText);
    exports->addStretch(1);
    layout->addLayout(exports);
    m_path->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pathBar);
    layout->addWidget(m_pie, 1);
    layout->addWidget(m_note);
    m_note->hide();
    setCentralWidget(central);
    m_pie->setTitle(FolderSizesTitle());
    statusBar()->showMessage(description());
    // What is shown stays in the bar; an export's note stands there for a while only.
    connect(statusBar(), &QStatusBar::messageChanged, this, [this](const QString &message) {
        if (message.isEmpty())
            statusBar()->showMessage(description());
    });
    setWindowTitle(description() + QStringLiteral(" - Quorvane"));
    resize(900, 560);

    connect(&m_generation, &ChartGeneration::listed, this, &ScanWindow::listed);
    connect(m_pie, &PieChart::columnActivated, this, [this](int column) {
        if (column >= 1 && column <= m_model.count())
            chart(pathFromNative(m_model.at(column - 1).path));
    });
    connect(m_pie, &PieChart::parentRequested, this, &ScanWindow::up);
    auto *back = new QShortcut(QKeySequence(Qt::Key_Backspace), this);
    connect(back, &QShortcut::activated, this, &ScanWindow::up);
    chart(m_scan->topFolder());
}

ScanWindow::~ScanWindow() = default;

void ScanWindow::useDialogs(std::unique_ptr<SaveDialog> saveDialog, std::unique_ptr<MessageBox> box)
{
    m_saveDialog = std::move(saveDialog);
    m_box = std::move(box);
}

QString ScanWindow::description() const
{
    const ScanTree::Origin &origin = m_scan->tree().origin();
    return scanDescription(m_scan->topFolder(), origin.timestamp, QString::fromUtf8(origin.program),
                           QString::fromUtf8(origin.version));
}

void ScanWindow::chart(const QString &folder)
{
    m_generation.start(folder);
}

// A folder without subfolders keeps the chart it replaces, as in the main window, and says so.
void ScanWindow::listed(const QString &folder, int count)
{
    m_note->setVisible(count == 0);
    if (count == 0) {
        m_note->setText(tr("No subfolders in %1").arg(displayPath(folder)));
        return;
    }
    m_folder = folder;
    showPath();
}

void ScanWindow::up()
{
    const QString top = m_scan->topFolder();
    if (m_folder == top || m_folder.isEmpty())
        return;
    const qsizetype slash = m_folder.lastIndexOf(u'/');
    chart(slash <= 0 ? QStringLiteral("/") : m_folder.left(slash));
}

void ScanWindow::showPath()
{
    while (QLayoutItem *item = m_path->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const QString top = m_scan->topFolder();
    QStringList folders{top};
    const QString below = m_folder.mid(top.size());
    QString at = top == QLatin1String("/") ? QString() : top;
    for (const QString &name : below.split(u'/', Qt::SkipEmptyParts)) {
        at += u'/' + name;
        folders.append(at);
    }
    for (const QString &folder : folders) {
        const QString name =
            folder == top ? displayPath(top) : displayPath(folder.section(u'/', -1));
        auto *button = new QPushButton(name);
        button->setFlat(true);
        button->setToolTip(displayPath(folder));
        connect(button, &QPushButton::clicked, this, [this, folder] { chart(folder); });
        m_path->addWidget(button);
    }
    m_path->addStretch(1);
}

QStringList ScanWindow::pathNames() const
{
    QStringList names;
    for (int i = 0; i < m_path->count(); ++i)
        if (auto *button = qobject_cast<QPushButton *>(m_path->itemAt(i)->widget()))
            names.append(button->text());
    return names;
}
