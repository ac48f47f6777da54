#include "platform/runtimeerror.h"
#include "treefolder/foldertreeview.h"
#include "treefolder/readablecolors.h"
#include "treefolder/treeeventbridge.h"
#include "treefolder/treefolder.h"
#include "treefolder/treefolderprivate.h"

#include <QCursor>
#include <QEvent>
#include <array>
#include <limits>

namespace {

[[noreturn]] void invalidPropertyValue()
{
    throw RuntimeError(RuntimeErrorNumber::InvalidPropertyValue,
                       QStringLiteral("Invalid property value"));
}

void requireIn(int value, int lowest, int highest)
{
    if (value < lowest || value > highest)
        invalidPropertyValue();
}

constexpr int StylePictures = 1;
constexpr int StylePlusMinus = 2;
constexpr int StyleLines = 4;
constexpr int CustomPointer = 99;

// The pointers 0..15 in their native numbering; 0 leaves the tree to its own pointer.
constexpr std::array<Qt::CursorShape, 16> pointerShapes = {{
    Qt::ArrowCursor,     // 0 default (unused: the cursor is unset)
    Qt::ArrowCursor,     // 1 arrow
    Qt::CrossCursor,     // 2 cross
    Qt::IBeamCursor,     // 3 I-beam
    Qt::ArrowCursor,     // 4 icon: no such pointer here, the arrow stands in
    Qt::SizeAllCursor,   // 5 size
    Qt::SizeBDiagCursor, // 6 size NE-SW
    Qt::SizeVerCursor,   // 7 size N-S
    Qt::SizeFDiagCursor, // 8 size NW-SE
    Qt::SizeHorCursor,   // 9 size W-E
    Qt::UpArrowCursor,   // 10 up arrow
    Qt::WaitCursor,      // 11 hourglass
    Qt::ForbiddenCursor, // 12 no drop
    Qt::BusyCursor,      // 13 arrow and hourglass
    Qt::WhatsThisCursor, // 14 arrow and question mark
    Qt::SizeAllCursor,   // 15 size all
}};

} // namespace

int TreeFolder::borderStyle() const
{
    return d->m_BorderStyle;
}

void TreeFolder::setBorderStyle(int style)
{
    if (style < std::numeric_limits<short>::min() || style > std::numeric_limits<short>::max())
        throw RuntimeError(RuntimeErrorNumber::Overflow, QStringLiteral("Overflow"));
    requireIn(style, 0, 1);
    d->m_BorderStyle = style;
    d->TreeView1->setFrameShape(style == 1 ? QFrame::StyledPanel : QFrame::NoFrame);
    d->reportChange(QStringLiteral("BorderStyle"));
}

QFont TreeFolder::treeFont() const
{
    return d->TreeView1->font();
}

void TreeFolder::setTreeFont(const QFont &font)
{
    d->TreeView1->setFont(font);
    d->reportChange(QStringLiteral("Font"));
}

bool TreeFolder::fullRowSelect() const
{
    return d->TreeView1->fullRowSelect();
}

void TreeFolder::setFullRowSelect(bool on)
{
    d->TreeView1->setFullRowSelect(on);
    d->reportChange(QStringLiteral("FullRowSelect"));
}

bool TreeFolder::checkBoxes() const
{
    return d->m_nodes.checkBoxes();
}

void TreeFolder::setCheckBoxes(bool shown)
{
    d->m_nodes.setCheckBoxes(shown);
    d->reportChange(QStringLiteral("CheckBoxes"));
    d->TreeView1->viewport()->update();
}

bool TreeFolder::controlEnabled() const
{
    return !testAttribute(Qt::WA_ForceDisabled);
}

void TreeFolder::setControlEnabled(bool enabled)
{
    setEnabled(enabled);
    d->TreeView1->setEnabled(enabled);
    d->reportChange(QStringLiteral("Enabled"));
}

bool TreeFolder::hideSelection() const
{
    return d->TreeView1->hideSelection();
}

void TreeFolder::setHideSelection(bool on)
{
    d->TreeView1->setHideSelection(on);
    d->reportChange(QStringLiteral("HideSelection"));
}

bool TreeFolder::hotTracking() const
{
    return d->TreeView1->hotTracking();
}

void TreeFolder::setHotTracking(bool on)
{
    d->TreeView1->setHotTracking(on);
    d->reportChange(QStringLiteral("HotTracking"));
}

int TreeFolder::labelEdit() const
{
    return d->TreeView1->editTriggers() == QAbstractItemView::NoEditTriggers ? 1 : 0;
}

void TreeFolder::setLabelEdit(int mode)
{
    requireIn(mode, 0, 1);
    d->TreeView1->setEditTriggers(mode == 0 ? QAbstractItemView::SelectedClicked |
                                                  QAbstractItemView::EditKeyPressed
                                            : QAbstractItemView::NoEditTriggers);
    d->reportChange(QStringLiteral("LabelEdit"));
}

int TreeFolder::lineStyle() const
{
    return d->TreeView1->rootIsDecorated() ? 1 : 0;
}

void TreeFolder::setLineStyle(int style)
{
    requireIn(style, 0, 1);
    d->TreeView1->setRootIsDecorated(style == 1);
    d->reportChange(QStringLiteral("LineStyle"));
}

int TreeFolder::drawingStyle() const
{
    return (d->TreeView1->picturesShown() ? StylePictures : 0) +
           (d->TreeView1->plusMinusShown() ? StylePlusMinus : 0) +
           (d->TreeView1->linesShown() ? StyleLines : 0);
}

void TreeFolder::setDrawingStyle(int style)
{
    requireIn(style, 0, 7);
    d->TreeView1->setPicturesShown(style & StylePictures);
    d->TreeView1->setPlusMinusShown(style & StylePlusMinus);
    d->TreeView1->setLinesShown(style & StyleLines);
    d->reportChange(QStringLiteral("Style"));
}

void TreeFolderPrivate::applyCursor()
{
    if (m_MousePointer == 0 || (m_MousePointer == CustomPointer && m_MouseIcon.isNull()))
        TreeView1->unsetCursor();
    else if (m_MousePointer == CustomPointer)
        TreeView1->setCursor(QCursor(m_MouseIcon));
    else
        TreeView1->setCursor(pointerShapes.at(std::size_t(m_MousePointer)));
}

int TreeFolder::mousePointer() const
{
    return d->m_MousePointer;
}

void TreeFolder::setMousePointer(int pointer)
{
    if (pointer != CustomPointer)
        requireIn(pointer, 0, int(pointerShapes.size()) - 1);
    d->m_MousePointer = pointer;
    d->applyCursor();
    d->reportChange(QStringLiteral("MousePointer"));
}

QPixmap TreeFolder::mouseIcon() const
{
    return d->m_MouseIcon;
}

void TreeFolder::setMouseIcon(const QPixmap &icon)
{
    d->m_MouseIcon = icon;
    d->applyCursor();
    d->reportChange(QStringLiteral("MouseIcon"));
}

int TreeFolder::oleDragMode() const
{
    return d->m_bridge->automaticDrag() ? 1 : 0;
}

void TreeFolder::setOleDragMode(int mode)
{
    requireIn(mode, 0, 1);
    d->m_bridge->setAutomaticDrag(mode == 1);
    d->reportChange(QStringLiteral("OleDragMode"));
}

int TreeFolder::oleDropMode() const
{
    return d->TreeView1->viewport()->acceptDrops() ? 1 : 0;
}

void TreeFolder::setOleDropMode(int mode)
{
    requireIn(mode, 0, 1);
    d->TreeView1->viewport()->setAcceptDrops(mode == 1);
    d->reportChange(QStringLiteral("OleDropMode"));
}

bool TreeFolder::singleSel() const
{
    return d->m_SingleSel;
}

void TreeFolder::setSingleSel(bool on)
{
    d->m_SingleSel = on;
    d->reportChange(QStringLiteral("SingleSel"));
}

qint32 TreeFolder::backColor() const
{
    if (!d->m_ownBackground)
        return TranslateColor(OleColor::WindowBackground);
    return rgbFromColor(d->TreeView1->palette().color(QPalette::Active, QPalette::Base));
}

void TreeFolder::setBackColor(quint32 oleColor)
{
    d->m_BackColor = TranslateColor(oleColor);
    // -1 hands the background back to the system colour, as the native tree does.
    d->m_ownBackground = colorFromRgb(d->m_BackColor).isValid();
    d->applyReadableColors();
    // Turning the lines off and on again repaints them over the new background.
    if (d->TreeView1->linesShown()) {
        d->TreeView1->setLinesShown(false);
        d->TreeView1->setLinesShown(true);
    }
}

void TreeFolderPrivate::applyReadableColors()
{
    // The host's palette, as the control inherits it, with what the tree draws made readable
    // on the tree's background.
    const QPalette host = q.palette();
    const QColor background =
        m_ownBackground ? colorFromRgb(m_BackColor) : host.color(QPalette::Active, QPalette::Base);
    TreeView1->setPalette(readablePalette(host, background));
}

void TreeFolder::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        d->applyReadableColors(); // a theme changed under the stored background
}
