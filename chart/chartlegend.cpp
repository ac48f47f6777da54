#include "chart/chartlegend.h"

#include "chart/changetext.h"
#include "chart/chartaccessible.h"
#include "chart/chartkeyboard.h"
#include "chart/chartlook.h"
#include "chart/chartmodel.h"
#include "chart/piechart.h"
#include "chart/slicetext.h"
#include "chart/slicetooltip.h"

#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>

ChartLegend::ChartLegend(const ChartModel &model, QWidget *parent)
    : QAbstractScrollArea(parent), m_model(model)
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    verticalScrollBar()->setSingleStep(1);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(tr("Legend"));
}

int ChartLegend::rows() const
{
    return m_model.shownCount();
}

int ChartLegend::rowHeight() const
{
    return fontMetrics().height() + 4;
}

int ChartLegend::visibleRows() const
{
    return std::max(1, viewport()->height() / rowHeight());
}

int ChartLegend::firstVisibleRow() const
{
    return verticalScrollBar()->value();
}

void ChartLegend::updateScrollRange()
{
    QScrollBar *bar = verticalScrollBar();
    bar->setPageStep(visibleRows());
    bar->setRange(0, std::max(0, paintedRows() - visibleRows()));
}

void ChartLegend::goneChanged()
{
    m_gone = GoneSubfolders(m_model);
    updateScrollRange();
    viewport()->update();
    announceGoneRows(true);
}

// Assistive technology hears of the gone rows when they come, go or are replaced, as a sighted
// user sees them.
void ChartLegend::announceGoneRows(bool replaced)
{
    if (goneRows() == m_goneAnnounced && !(replaced && goneRows() > 0))
        return;
    m_goneAnnounced = goneRows();
    AnnounceGoneRowsChanged(this, rows(), goneRows());
}

// A subfolder still waiting may yet be listed as gone: the rows come once all are shown.
int ChartLegend::goneRows() const
{
    return m_model.shownCount() == m_model.count() ? int(m_gone.size()) : 0;
}

void ChartLegend::countChanged()
{
    updateScrollRange();
    viewport()->update();
    announceGoneRows(false);
}

QRect ChartLegend::rowRect(int row) const
{
    return QRect(0, (row - firstVisibleRow()) * rowHeight(), viewport()->width(), rowHeight());
}

bool ChartLegend::isRowVisible(int row) const
{
    return row >= firstVisibleRow() && row < firstVisibleRow() + visibleRows() &&
           row < paintedRows();
}

void ChartLegend::rowChanged(int row)
{
    if (isRowVisible(row))
        viewport()->update(rowRect(row));
}

void ChartLegend::ensureVisible(int row)
{
    if (row < 0 || row >= rows() || isRowVisible(row))
        return;
    updateScrollRange();
    QScrollBar *bar = verticalScrollBar();
    bar->setValue(row < firstVisibleRow() ? row : row - visibleRows() + 1);
}

int ChartLegend::rowAt(QPoint point) const
{
    if (point.y() < 0)
        return -1;
    const int row = firstVisibleRow() + point.y() / rowHeight();
    return row < rows() && point.y() < visibleRows() * rowHeight() ? row : -1;
}

void ChartLegend::setHighlighted(int row)
{
    if (row == m_highlighted)
        return;
    rowChanged(m_highlighted);
    m_highlighted = row;
    rowChanged(m_highlighted);
}

void ChartLegend::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    const QPalette &colours = palette();
    const int height = rowHeight();
    const int swatch = height - 8;
    const int first = firstVisibleRow();
    const int last = std::min(paintedRows(), first + visibleRows() + 1);
    painter.setPen(colours.color(QPalette::Text));
    for (int row = first; row < last; ++row) {
        if (row >= rows()) {
            paintGoneRow(painter, row);
            continue;
        }
        const QRect rect = rowRect(row);
        // The highlighted row is outlined as well as filled, and every swatch is framed, so
        // that neither depends on telling colours apart.
        if (row == m_highlighted) {
            painter.fillRect(rect, colours.color(QPalette::Highlight));
            painter.setPen(colours.color(QPalette::Text));
            painter.drawRect(rect.adjusted(0, 0, -1, -1));
        }
        const QRect box(rect.left() + 4, rect.top() + (height - swatch) / 2, swatch, swatch);
        painter.fillRect(box, SliceColor(row, rows()));
        painter.setPen(colours.color(QPalette::Mid));
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        painter.setPen(row == m_highlighted ? colours.color(QPalette::HighlightedText)
                                            : colours.color(QPalette::Text));
        drawLabelAndChange(painter, rect.adjusted(box.right() + 6, 0, -2, 0),
                           SliceLabel(m_model.at(row)), LegendChangeText(m_model, row),
                           LegendChangeAmount(m_model, row));
    }
    if (hasFocus()) {
        painter.setPen(QPen(colours.color(QPalette::Highlight), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(viewport()->rect()).adjusted(1, 1, -1, -1));
    }
}

// A gone subfolder's swatch is an empty frame: it has no slice.
void ChartLegend::paintGoneRow(QPainter &painter, int row)
{
    const ChartComparison::Subfolder &gone = m_gone.at(row - rows());
    const QRect rect = rowRect(row);
    const int swatch = rowHeight() - 8;
    const QRect box(rect.left() + 4, rect.top() + (rowHeight() - swatch) / 2, swatch, swatch);
    painter.setPen(QPen(palette().color(QPalette::Mid), 1, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    painter.setPen(palette().color(QPalette::PlaceholderText));
    drawLabelAndChange(painter, rect.adjusted(box.right() + 6, 0, -2, 0),
                       SliceLabel(gone.name, SliceSizeText(gone.bytes)),
                       GoneText(m_model.comparison()), GoneAmount());
}

// The label keeps its whole width while it takes at most three fifths of the row; the change
// sits at the right in what is left, without its day when that does not fit. Either is cut
// short only when both cannot fit.
void ChartLegend::drawLabelAndChange(QPainter &painter, QRect text, const QString &label,
                                     const QString &change, const QString &amount) const
{
    const QFontMetrics metrics = fontMetrics();
    if (!change.isEmpty()) {
        constexpr int Space = 8;
        const int labelWidth = std::min(metrics.horizontalAdvance(label), text.width() * 3 / 5);
        const QString shown = FittedChangeText(
            metrics, std::max(0, text.width() - labelWidth - Space), change, amount);
        const int changeWidth = metrics.horizontalAdvance(shown);
        painter.drawText(
            QRect(text.right() - changeWidth + 1, text.top(), changeWidth, text.height()),
            Qt::AlignVCenter | Qt::AlignRight, shown);
        text.setRight(text.right() - changeWidth - Space);
    }
    painter.drawText(text, Qt::AlignVCenter | Qt::AlignLeft,
                     metrics.elidedText(label, Qt::ElideRight, text.width()));
}

void ChartLegend::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange();
}

void ChartLegend::mouseMoveEvent(QMouseEvent *event)
{
    const int row = rowAt(event->position().toPoint());
    setHighlighted(row);
    emit hovered(row);
    QAbstractScrollArea::mouseMoveEvent(event);
}

void ChartLegend::mouseDoubleClickEvent(QMouseEvent *event)
{
    const int row = rowAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && row >= 0)
        emit activated(row);
    else
        QAbstractScrollArea::mouseDoubleClickEvent(event);
}

bool ChartLegend::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const int row = rowAt(help->pos());
        const int goneRow =
            help->pos().y() >= 0 ? firstVisibleRow() + help->pos().y() / rowHeight() - rows() : -1;
        if (row >= 0)
            QToolTip::showText(help->globalPos(), SliceToolTip(m_model, row), viewport(),
                               rowRect(row));
        else if (goneRow >= 0 && goneRow < goneRows())
            QToolTip::showText(help->globalPos(),
                               GoneToolTip(m_model.comparison(), m_gone.at(goneRow)), viewport(),
                               rowRect(rows() + goneRow));
        else
            QToolTip::hideText();
        return true;
    }
    if (event->type() == QEvent::Leave) {
        setHighlighted(-1);
        emit hovered(-1);
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void ChartLegend::keyPressEvent(QKeyEvent *event)
{
    const ChartKey key = chartKey(*event, m_highlighted, rows(), true, visibleRows());
    switch (key.kind) {
    case ChartKey::Kind::None:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    case ChartKey::Kind::Highlight:
        emit currentRequested(key.row);
        break;
    case ChartKey::Kind::Activate:
        emit activated(key.row);
        break;
    case ChartKey::Kind::Parent:
        emit parentRequested();
        break;
    case ChartKey::Kind::ContextMenu:
        emit contextMenuRequested(key.row);
        break;
    }
    event->accept();
}

void ChartLegend::contextMenuEvent(QContextMenuEvent *event)
{
    // A click's position comes in the viewport's coordinates.
    const int row =
        event->reason() == QContextMenuEvent::Mouse ? rowAt(event->pos()) : m_highlighted;
    if (row >= 0 && row < rows())
        emit contextMenuRequested(row);
}

void ChartLegend::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
    if (auto *chart = qobject_cast<PieChart *>(parent()))
        AnnounceCurrentSlice(chart, chart->currentColumn() - 1);
}

void ChartLegend::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}
