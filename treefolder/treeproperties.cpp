#include "platform/runtimeerror.h"
#include "treefolder/foldertreeview.h"
#include "treefolder/readablecolors.h"
#include "treefolder/treeeventbridge.h"
#include "treefolder/treefolder.h"

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

void TreeFolder::setBorderStyle(int style)
{
    if (style < std::numeric_limits<short>::min() || style > std::numeric_limits<short>::max())
        throw RuntimeError(RuntimeErrorNumber::Overflow, QStringLiteral("Overflow"));
    requireIn(style, 0, 1);
    m_BorderStyle = style;
    TreeView1->setFrameShape(style == 1 ? QFrame::StyledPanel : QFrame::NoFrame);
    reportChange(QStringLiteral("BorderStyle"));
}

QFont TreeFolder::treeFont() const
{
    return TreeView1->font();
}

void TreeFolder::setTreeFont(const QFont &font)
{
    TreeView1->setFont(font);
    reportChange(QStringLiteral("Font"));
}

bool TreeFolder::fullRowSelect() const
{
    return TreeView1->fullRowSelect();
}

void TreeFolder::setFullRowSelect(bool on)
{
    TreeView1->setFullRowSelect(on);
    reportChange(QStringLiteral("FullRowSelect"));
}

void TreeFolder::setCheckBoxes(bool shown)
{
    m_nodes.setCheckBoxes(shown);
    reportChange(QStringLiteral("CheckBoxes"));
    TreeView1->viewport()->update();
}

bool TreeFolder::controlEnabled() const
{
    return !testAttribute(Qt::WA_ForceDisabled);
}

void TreeFolder::setControlEnabled(bool enabled)
{
    setEnabled(enabled);
    TreeView1->setEnabled(enabled);
    reportChange(QStringLiteral("Enabled"));
}

bool TreeFolder::hideSelection() const
{
    return TreeView1->hideSelection();
}

void TreeFolder::setHideSelection(bool on)
{
    TreeView1->setHideSelection(on);
    reportChange(QStringLiteral("HideSelection"));
}

bool TreeFolder::hotTracking() const
{
    return TreeView1->hotTracking();
}

void TreeFolder::setHotTracking(bool on)
{
    TreeView1->setHotTracking(on);
    reportChange(QStringLiteral("HotTracking"));
}

int TreeFolder::labelEdit() const
{
    return TreeView1->editTriggers() == QAbstractItemView::NoEditTriggers ? 1 : 0;
}

void TreeFolder::setLabelEdit(int mode)
{
    requireIn(mode, 0, 1);
    TreeView1->setEditTriggers(mode == 0 ? QAbstractItemView::SelectedClicked |
                                               QAbstractItemView::EditKeyPressed
                                         : QAbstractItemView::NoEditTriggers);
    reportChange(QStringLiteral("LabelEdit"));
}

int TreeFolder::lineStyle() const
{
    return TreeView1->rootIsDecorated() ? 1 : 0;
}

void TreeFolder::setLineStyle(int style)
{
    requireIn(style, 0, 1);
    TreeView1->setRootIsDecorated(style == 1);
    reportChange(QStringLiteral("LineStyle"));
}

int TreeFolder::drawingStyle() const
{
    return (TreeView1->picturesShown() ? StylePictures : 0) +
           (TreeView1->plusMinusShown() ? StylePlusMinus : 0) +
           (TreeView1->linesShown() ? StyleLines : 0);
}

void TreeFolder::setDrawingStyle(int style)
{
    requireIn(style, 0, 7);
    TreeView1->setPicturesShown(style & StylePictures);
    TreeView1->setPlusMinusShown(style & StylePlusMinus);
    TreeView1->setLinesShown(style & StyleLines);
    reportChange(QStringLiteral("Style"));
}

void TreeFolder::applyCursor()
{
    if (m_MousePointer == 0 || (m_MousePointer == CustomPointer && m_MouseIcon.isNull()))
        TreeView1->unsetCursor();
    else if (m_MousePointer == CustomPointer)
        TreeView1->setCursor(QCursor(m_MouseIcon));
    else
        TreeView1->setCursor(pointerShapes.at(std::size_t(m_MousePointer)));
}

void TreeFolder::setMousePointer(int pointer)
{
    if (pointer != CustomPointer)
        requireIn(pointer, 0, int(pointerShapes.size()) - 1);
    m_MousePointer = pointer;
    applyCursor();
    reportChange(QStringLiteral("MousePointer"));
}

void TreeFolder::setMouseIcon(const QPixmap &icon)
{
    m_MouseIcon = icon;
    applyCursor();
    reportChange(QStringLiteral("MouseIcon"));
}

int TreeFolder::oleDragMode() const
{
    return m_bridge->automaticDrag() ? 1 : 0;
}

void TreeFolder::setOleDragMode(int mode)
{
    requireIn(mode, 0, 1);
    m_bridge->setAutomaticDrag(mode == 1);
    reportChange(QStringLiteral("OleDragMode"));
}

int TreeFolder::oleDropMode() const
{
    return TreeView1->viewport()->acceptDrops() ? 1 : 0;
}

void TreeFolder::setOleDropMode(int mode)
{
    requireIn(mode, 0, 1);
    TreeView1->viewport()->setAcceptDrops(mode == 1);
    reportChange(QStringLiteral("OleDropMode"));
}

void TreeFolder::setSingleSel(bool on)
{
    m_SingleSel = on;
    reportChange(QStringLiteral("SingleSel"));
}

qint32 TreeFolder::backColor() const
{
    if (!m_ownBackground)
        return TranslateColor(OleColor::WindowBackground);
    return rgbFromColor(TreeView1->palette().color(QPalette::Active, QPalette::Base));
}

void TreeFolder::setBackColor(quint32 oleColor)
{
    m_BackColor = TranslateColor(oleColor);
    // -1 hands the background back to the system colour, as the native tree does.
    m_ownBackground = colorFromRgb(m_BackColor).isValid();
    applyReadableColors();
    // Turning the lines off and on again repaints them over the new background.
    if (TreeView1->linesShown()) {
        TreeView1->setLinesShown(false);
        TreeView1->setLinesShown(true);
    }
}

void TreeFolder::applyReadableColors()
{
    // The host's palette, as the control inherits it, with what the tree draws made readable
    // on the tree's background.
    const QPalette host = palette();
    const QColor background =
        m_ownBackground ? colorFromRgb(m_BackColor) : host.color(QPalette::Active, QPalette::Base);
    TreeView1->setPalette(readablePalette(host, background));
}

void TreeFolder::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        applyReadableColors(); // a theme changed under the stored background
}
