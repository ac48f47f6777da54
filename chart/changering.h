#pragma once

#include <QColor>
#include <QRectF>

class ChartModel;
class PieLayout;
class QPainter;
class QPalette;

// The ring around the pie that shows at a glance how each subfolder changed since the look
// the chart is compared with: beside each slice an arc whose colour says growth (orange) or
// shrinkage (blue) and whose thickness says by how much of its size, full for a new
// subfolder; a thin line in the palette's mid colour where nothing changed. The ring lies
// outside pieSquare, within ChangeRingRoom of it.

// The room the ring takes on each side of a pie of side pixels.
double ChangeRingRoom(double side);

QColor GrowthColor();
QColor ShrinkColor();

void drawChangeRing(QPainter &painter, const QRectF &pieSquare, const PieLayout &layout,
                    const ChartModel &model, const QPalette &palette);
