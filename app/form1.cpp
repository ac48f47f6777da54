#include "app/form1.h"

#include "app/livechart.h"
#include "app/trashbar.h"
#include "app/wrappingrow.h"
#include "chart/chartpicture.h"
#include "chart/piechart.h"
#include "treefolder/treefolder.h"

#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// The stored layout is in twips; at 15 twips a pixel its client area is 1184 x 505.
constexpr int pixels(int twips)
{
    return twips / 15;
}

// The narrowest the tree's column gets, and the lowest the window gets, in pixels.
constexpr int MinimumTreeWidth = 180;
constexpr int MinimumHeight = 360;

QPushButton *commandButton(const QString &caption, int widthTwips, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setFont(QFont(QStringLiteral("Arial"), 9));
    // The stored width, or more where a translated caption needs it to show whole.
    button->setFixedSize(std::max(pixels(widthTwips), button->sizeHint().width()), pixels(405));
    button->setMouseTracking(true);
    return button;
}

} // namespace

Form1::Form1(Form1Environment environment, QWidget *parent)
    : QWidget(parent), m_environment(completeEnvironment(std::move(environment), this)),
      m_source(std::make_shared<DiskChartSource>(m_environment.sizeMemory, m_environment.scanSystem,
                                                 m_environment.beforeListing)),
      m_generation(m_chart, m_source)
{
    createControls();
    layOutControls();
    connect(m_PushButton1, &QPushButton::clicked, this, &Form1::PushButton1_Click);
    connect(m_PushButton2, &QPushButton::clicked, this, &Form1::PushButton2_Click);
    connect(m_PushButton3, &QPushButton::clicked, this, &Form1::PushButton3_Click);
    connect(m_MSChart1, &PieChart::columnActivated, this, &Form1::MSChart1_ColumnActivated);
    connect(m_MSChart1, &PieChart::parentRequested, this, &Form1::MSChart1_ParentRequested);
    connectGeneration();
    connectHistory();
    createFolderActions();
    createLiveChart();
    setMouseTracking(true);
    resize(pixels(17760), pixels(7575));
}

Form1::~Form1()
{
    delete m_liveChart; // it reads the chart model and sizes through the source
    m_generation.stop();
    // The tree reads the drive and folder services of the environment until it is gone; the
    // chart reads the chart model.
    delete m_TreeFolder1;
    delete m_Shape1;
}

// In the stored order of the window's controls.
void Form1::createControls()
{
    m_Creator = new QLabel(this);
    m_Creator->setGeometry(pixels(18270), pixels(255), pixels(255), pixels(255));
    m_Creator->hide();

    m_Frame2 = new QGroupBox(tr("Preview"), this);
    m_Frame2->setFont(QFont(QStringLiteral("Arial"), 9));
    m_Frame2->setMouseTracking(true);
    m_Frame2->setAutoFillBackground(true);
    QPalette white = m_Frame2->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    m_Frame2->setPalette(white);
    createTreeFolder1();

    m_ProgressBar1 = new QProgressBar(this);
    m_ProgressBar1->setRange(0, 100);
    m_ProgressBar1->setValue(0);
    m_ProgressBar1->setTextVisible(true);
    m_ProgressBar1->setAlignment(Qt::AlignCenter);
    m_ProgressBar1->setFixedHeight(pixels(405));
    setProgressText(tr("Progress Bar"));

    m_PushButton1 = commandButton(tr("Save Chart As JPG"), 3000, this);
    m_Shape1 = new QFrame(this);
    m_Shape1->setFrameShape(QFrame::Box);
    m_MSChart1 = new PieChart(m_chart, m_Shape1);
    m_MSChart1->setTitle(FolderSizesTitle());
    m_NoSubfolders = new QLabel(m_Shape1);
    m_NoSubfolders->setAlignment(Qt::AlignCenter);
    m_NoSubfolders->setWordWrap(true);
    m_NoSubfolders->setForegroundRole(QPalette::PlaceholderText);
    m_NoSubfolders->hide();
    m_PushButton3 = commandButton(tr("Export Chart To Excel"), 3000, this);
    m_PushButton2 = commandButton(tr("Save Side Text To Text File"), 3360, this);
    m_TrashBar = new TrashBar(this);

    for (QWidget *watched :
         {static_cast<QWidget *>(this), static_cast<QWidget *>(m_Frame2),
          static_cast<QWidget *>(m_PushButton1), static_cast<QWidget *>(m_PushButton2),
          static_cast<QWidget *>(m_PushButton3)})
        watched->installEventFilter(this);
}

// Margins and gaps are the stored ones; the tree's frame and the chart share the extra room
// in the ratio of their stored widths when the window grows.
void Form1::layOutControls()
{
    auto *frameLayout = new QVBoxLayout(m_Frame2);
    frameLayout->setContentsMargins(pixels(240), pixels(300) - pixels(120), pixels(225),
                                    pixels(165));
    frameLayout->addWidget(m_TreeFolder1);

    auto *left = new QVBoxLayout;
    left->setSpacing(pixels(105));
    left->addWidget(m_Frame2, 1);
    left->addWidget(m_ProgressBar1);

    // One row at the stored size; a narrow window puts a button that no longer fits below.
    auto *buttons = new WrappingRow(pixels(120), pixels(120));
    buttons->addWidget(m_PushButton1);
    buttons->addWidget(m_PushButton3);
    buttons->addWidget(m_PushButton2);

    auto *shapeLayout = new QVBoxLayout(m_Shape1);
    shapeLayout->setContentsMargins(pixels(15), pixels(45), pixels(75), pixels(45));
    shapeLayout->addWidget(m_MSChart1);
    shapeLayout->addWidget(m_NoSubfolders);

    auto *right = new QVBoxLayout;
    right->setSpacing(pixels(135));
    right->addLayout(buttons);
    right->addWidget(m_Shape1, 1);
    right->addWidget(m_TrashBar);

    // A divider the user can drag sits between the tree and the chart; at the stored size
    // the two share the width as the stored layout has them.
    auto *leftSide = new QWidget(this);
    leftSide->setLayout(left);
    left->setContentsMargins(0, 0, 0, 0);
    leftSide->setMinimumWidth(MinimumTreeWidth);
    leftSide->setProperty("formPane", true);
    auto *rightSide = new QWidget(this);
    rightSide->setLayout(right);
    right->setContentsMargins(0, 0, 0, 0);
    rightSide->setProperty("formPane", true);
    auto *divider = new QSplitter(Qt::Horizontal, this);
    divider->setObjectName(QStringLiteral("Divider"));
    divider->setChildrenCollapsible(false);
    divider->setHandleWidth(pixels(120));
    divider->addWidget(leftSide);
    divider->addWidget(rightSide);
    divider->setStretchFactor(0, 7800);
    divider->setStretchFactor(1, 9600);
    divider->setSizes({7800, 9600});

    auto *window = new QHBoxLayout(this);
    window->setContentsMargins(pixels(120), pixels(120), pixels(120), pixels(105));
    window->addWidget(divider);
    // Small enough for a small screen, large enough that every button shows its whole label.
    setMinimumSize(minimumSizeHint().expandedTo(QSize(0, MinimumHeight)));
}

void Form1::setProgressText(const QString &text)
{
    // The caption is drawn as the bar's whole text, and is what a screen reader names it by.
    m_ProgressBar1->setFormat(text);
    m_ProgressBar1->setAccessibleName(text);
}
