#include "chart/piechart.h"

#include "chart/changering.h"
#include "chart/chartaccessible.h"
#include "chart/chartlegend.h"
#include "chart/chartmodel.h"
#include "chart/chartpicture.h"
#include "chart/slicetext.h"
#include "chart/slicetooltip.h"

#include <QApplication>
#include <QClipboard>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace {

// Drawing the pie may take at most this share of the time while sizes keep coming.
constexpr qint64 PauseFactor = 20;

} // namespace

PieChart::PieChart(const ChartModel &model, QWidget *parent) : QWidget(parent), m_model(model)
{
    // Before the legend, whose accessible name already asks for its interface.
    InstallChartAccessibility();
    m_legend = new ChartLegend(model, this);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    m_pieTimer.setSingleShot(true);
    connect(&m_pieTimer, &QTimer::timeout, this, [this] { update(m_pieArea); });
    connect(m_legend, &ChartLegend::hovered, this, &PieChart::hovered);
    connect(m_legend, &ChartLegend::activated, this,
            [this](int row) { emit columnActivated(row + 1); });
    connect(m_legend, &ChartLegend::currentRequested, this,
            [this](int row) { setCurrentColumn(row + 1); });
    connect(m_legend, &ChartLegend::parentRequested, this, &PieChart::parentRequested);
    connect(m_legend, &ChartLegend::contextMenuRequested, this, &PieChart::requestContextMenu);
    connect(&model, &ChartModel::modelReset, this, &PieChart::modelReset);
    connect(&model, &ChartModel::subfolderChanged, this, &PieChart::subfolderChanged);
    connect(&model, &ChartModel::comparisonChanged, this, &PieChart::comparisonChanged);
    modelReset();
}

void PieChart::setTitle(const QString &title)
{
    m_title = title;
    update(m_titleArea);
}

int PieChart::columnCount() const
{
    return m_model.shownCount();
}

void PieChart::modelReset()
{
    m_shown = m_model.shownCount();
    m_column = 1;
    m_current = -1;
    setHighlighted(-1);
    m_legend->goneChanged();
    m_legend->countChanged();
    m_legend->ensureVisible(0);
    pieChanged();
    AnnounceSlicesReset(this);
}

// A subfolder that starts being sized becomes the column the legend follows, unless the user
// scrolled away from the one before.
void PieChart::subfolderChanged(int index)
{
    const int shown = m_model.shownCount();
    const bool added = shown != m_shown;
    if (added) {
        const int before = m_shown;
        m_shown = shown;
        m_legend->countChanged();
        // The last slice's colour also depends on the count.
        m_legend->rowChanged(before - 1);
    }
    m_legend->rowChanged(index);
    if (m_model.at(index).state == ChartModel::State::Sizing) {
        const bool following = m_legend->isRowVisible(m_column - 1) || m_column == index + 1;
        m_column = index + 1;
        if (following)
            m_legend->ensureVisible(index);
    }
    pieChanged();
    AnnounceSliceChanged(this, index, added);
}

// The ring takes room from the pie, and the legend's rows of gone subfolders change.
void PieChart::comparisonChanged()
{
    m_legend->goneChanged();
    pieChanged();
}

QStringList PieChart::columnLabels() const
{
    QStringList labels;
    for (int i = 0; i < columnCount(); ++i)
        labels.append(SliceLabel(m_model.at(i)));
    return labels;
}

QList<qint64> PieChart::values() const
{
    QList<qint64> values;
    for (int i = 0; i < columnCount(); ++i)
        values.append(m_model.at(i).bytes);
    return values;
}

QPixmap PieChart::picture() const
{
    return QPixmap::fromImage(ChartPicture(m_model, m_title, palette(), size()));
}

void PieChart::copyPicture() const
{
    QApplication::clipboard()->setPixmap(picture());
}

void PieChart::pieChanged()
{
    m_pieStale = true;
    update(m_pieArea);
}

// Every angle moves with each new value, so the pie is drawn whole. While values keep
// coming it is drawn again only after a pause PauseFactor times as long as its last drawing
// took: the cost stays a small share of the time, whatever the number of slices, and the
// pie shown is never older than that pause.
void PieChart::refreshPie()
{
    const qreal ratio = devicePixelRatioF();
    const QSize wanted = m_pieArea.size() * ratio;
    const bool resized = m_pie.size() != wanted;
    if (!m_pieStale && !resized)
        return;
    if (!resized && m_sincePieDrawn.isValid() && m_sincePieDrawn.nsecsElapsed() < m_piePauseNs) {
        if (!m_pieTimer.isActive())
            m_pieTimer.start(int((m_piePauseNs - m_sincePieDrawn.nsecsElapsed()) / 1000000 + 1));
        return;
    }
    QElapsedTimer drawing;
    drawing.start();
    m_pie = QImage(wanted, QImage::Format_ARGB32_Premultiplied);
    m_pie.setDevicePixelRatio(ratio);
    m_pie.fill(palette().color(QPalette::Base));
    m_layout.build(m_model);
    QPainter painter(&m_pie);
    const QRectF square = pieSquare().translated(-m_pieArea.topLeft());
    drawPie(painter, square, m_layout, palette());
    drawChangeRing(painter, square, m_layout, m_model, palette());
    m_pieStale = false;
    m_piePauseNs = drawing.nsecsElapsed() * PauseFactor;
    m_sincePieDrawn.start();
}

void PieChart::layOut()
{
    const int titleHeight = QFontMetrics(ChartTitleFont(font())).height() + 8;
    m_titleArea = QRect(0, 0, width(), titleHeight);
    const int legendWidth = std::clamp(width() * 42 / 100, 120, 380);
    const QRect body(0, titleHeight, width(), std::max(0, height() - titleHeight));
    m_legend->setGeometry(body.right() - legendWidth, body.top() + 4, legendWidth,
                          std::max(0, body.height() - 8));
    m_pieArea =
        QRect(body.left(), body.top(), std::max(0, body.width() - legendWidth), body.height());
    m_pieStale = true;
}

QRectF PieChart::pieSquare() const
{
    // Room around the pie for a highlighted slice to stand out.
    int side = std::max(0, std::min(m_pieArea.width(), m_pieArea.height()) - 24);
    if (m_model.comparison().isSet())
        side = std::max(0, side - 2 * int(std::ceil(ChangeRingRoom(side))));
    QRectF square(0, 0, side, side);
    square.moveCenter(QRectF(m_pieArea).center());
    // On whole pixels, so that the pie's picture lands on the screen's pixels one to one
    // instead of being resampled and blurred.
    square.moveTopLeft(square.topLeft().toPoint());
    return square;
}

void PieChart::paintEvent(QPaintEvent *)
{
    refreshPie();
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    painter.setPen(palette().color(QPalette::Text));
    painter.setFont(ChartTitleFont(font()));
    painter.drawText(m_titleArea, Qt::AlignCenter, m_title);
    painter.drawImage(m_pieArea.topLeft(), m_pie);
    drawHighlight(painter, pieSquare(), m_layout, m_highlighted, palette());
    if (hasFocus()) {
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(m_pieArea).adjusted(1, 1, -1, -1));
    }
}

void PieChart::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layOut();
}

void PieChart::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange) {
        layOut();
        update();
    }
}

int PieChart::sliceAt(QPointF point) const
{
    const int slice = m_layout.sliceAt(turnAt(pieSquare(), point));
    return slice < columnCount() ? slice : -1;
}

void PieChart::setHighlighted(int index)
{
    if (index == m_highlighted)
        return;
    m_highlighted = index;
    m_legend->setHighlighted(index);
    update(m_pieArea);
}

// The pointer's slice is highlighted while it is over one; elsewhere the keys' slice is.
void PieChart::hovered(int index)
{
    setHighlighted(index >= 0 ? index : m_current);
}

void PieChart::mouseMoveEvent(QMouseEvent *event)
{
    hovered(sliceAt(event->position()));
    QWidget::mouseMoveEvent(event);
}

void PieChart::leaveEvent(QEvent *event)
{
    hovered(-1);
    QWidget::leaveEvent(event);
}

void PieChart::mouseDoubleClickEvent(QMouseEvent *event)
{
    const int slice = sliceAt(event->position());
    if (event->button() == Qt::LeftButton && slice >= 0)
        emit columnActivated(slice + 1);
    else
        QWidget::mouseDoubleClickEvent(event);
}

bool PieChart::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const int slice = sliceAt(help->pos());
        if (slice >= 0)
            QToolTip::showText(help->globalPos(), SliceToolTip(m_model, slice), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}
