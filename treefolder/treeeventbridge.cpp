#include "treefolder/treeeventbridge.h"

#include "platform/runtimeerror.h"
#include "treefolder/treeeventargs.h"
#include "treefolder/treeeventdataobject.h"
#include "treefolder/treeeventrenamedelegate.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QTreeWidget>
#include <utility>

namespace {

// Qt hands a drop target a const view of the source's data; the events pass it on as the
// control's signals declare it, and the target only reads it.
QMimeData *sourceData(const QMimeData *data)
{
    return const_cast<QMimeData *>(data);
}

// The text a replacement key types, for the keys that type something.
QString textForKey(int qtKey, Qt::KeyboardModifiers modifiers)
{
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) {
        const QChar letter{char16_t(qtKey)};
        return modifiers.testFlag(Qt::ShiftModifier) ? QString(letter) : QString(letter.toLower());
    }
    if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || qtKey == Qt::Key_Space)
        return QString(QChar(char16_t(qtKey)));
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QStringLiteral("\r");
    case Qt::Key_Backspace:
        return QStringLiteral("\b");
    case Qt::Key_Tab:
        return QStringLiteral("\t");
    case Qt::Key_Escape:
        return QStringLiteral("\x1b");
    default:
        return {};
    }
}

} // namespace

TreeEventBridge::TreeEventBridge(QTreeWidget *tree, QObject *parent) : QObject(parent), m_tree(tree)
{
    if (!tree)
        throw RuntimeError(RuntimeErrorNumber::InvalidProcedureCall,
                           QStringLiteral("Invalid procedure call or argument: the tree events "
                                          "need a tree widget"));
    m_viewport = tree->viewport();
    m_treeObject = tree;
    m_viewportObject = m_viewport.data();
    tree->installEventFilter(this);
    m_viewport->installEventFilter(this);

    // Owned by the tree, which may outlive the bridge; the handlers check that it is alive.
    auto *delegate = new TreeEventRenameDelegate(tree);
    const QPointer<TreeEventBridge> self(this);
    delegate->setHandlers(
        [self](short &cancel) {
            if (self)
                emit self->BeforeRename(cancel);
        },
        [self](short &cancel, QString &newString) {
            if (self)
                emit self->AfterRename(cancel, newString);
        });
    tree->setItemDelegate(delegate);
    m_delegate = delegate;
}

TreeEventBridge::~TreeEventBridge()
{
    if (m_delegate)
        m_delegate->setHandlers({}, {});
    if (m_tree)
        m_tree->removeEventFilter(this);
    if (m_viewport)
        m_viewport->removeEventFilter(this);
}

bool TreeEventBridge::eventFilter(QObject *watched, QEvent *event)
{
    // Compared as plain objects: while the tree is being destroyed it still sends events, and
    // treating it as a QTreeWidget then would be undefined.
    if (watched == m_treeObject && !m_tree.isNull()) {
        if (event->type() == QEvent::KeyPress)
            return keyPress(static_cast<QKeyEvent *>(event));
        if (event->type() == QEvent::KeyRelease)
            return keyRelease(static_cast<QKeyEvent *>(event));
    } else if (watched == m_viewportObject && !m_viewport.isNull()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
            return mouseEvent(static_cast<QMouseEvent *>(event));
        case QEvent::DragEnter:
            return dragEnterOrMove(static_cast<QDragEnterEvent *>(event), DragOverState::Enter);
        case QEvent::DragMove:
            return dragEnterOrMove(static_cast<QDragMoveEvent *>(event), DragOverState::Over);
        case QEvent::DragLeave:
            return dragLeave();
        case QEvent::Drop:
            return drop(static_cast<QDropEvent *>(event));
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

bool TreeEventBridge::keyPress(QKeyEvent *event)
{
    if (m_resending)
        return false;
    const short originalCode = keyCodeFromQtKey(event->key(), event->modifiers());
    short keyCode = originalCode;
    short shift = shiftMaskFromModifiers(event->modifiers());
    emit KeyDown(keyCode, shift);
    if (keyCode != originalCode && (keyCode == 0 || qtKeyFromKeyCode(keyCode) == Qt::Key_unknown))
        return true;
    const int key = keyCode == originalCode ? event->key() : qtKeyFromKeyCode(keyCode);
    QString text = keyCode == originalCode ? event->text() : textForKey(key, event->modifiers());

    const short originalAscii = keyAsciiFromText(text);
    if (originalAscii != 0) {
        short keyAscii = originalAscii;
        emit KeyPress(keyAscii);
        if (keyAscii <= 0)
            return true;
        if (keyAscii != originalAscii)
            text = QString(QChar(char16_t(keyAscii)));
    }
    if (!m_tree || (key == event->key() && text == event->text()))
        return false;

    QKeyEvent replacement(QEvent::KeyPress, key, event->modifiers(), text, event->isAutoRepeat(),
                          static_cast<quint16>(event->count()));
    const QScopedValueRollback resending(m_resending, true);
    QCoreApplication::sendEvent(m_tree, &replacement);
    event->setAccepted(replacement.isAccepted());
    return true;
}

bool TreeEventBridge::keyRelease(QKeyEvent *event)
{
    if (m_resending)
        return false;
    const short originalCode = keyCodeFromQtKey(event->key(), event->modifiers());
    short keyCode = originalCode;
    short shift = shiftMaskFromModifiers(event->modifiers());
    emit KeyUp(keyCode, shift);
    if (keyCode == originalCode)
        return false;
    const int key = qtKeyFromKeyCode(keyCode);
    if (keyCode == 0 || key == Qt::Key_unknown || !m_tree)
        return true;
    QKeyEvent replacement(QEvent::KeyRelease, key, event->modifiers(),
                          textForKey(key, event->modifiers()), event->isAutoRepeat());
    const QScopedValueRollback resending(m_resending, true);
    QCoreApplication::sendEvent(m_tree, &replacement);
    return true;
}

bool TreeEventBridge::mouseEvent(QMouseEvent *event)
{
    short shift = shiftMaskFromModifiers(event->modifiers());
    float x = twipsFromPixels(event->position().x());
    float y = twipsFromPixels(event->position().y());
    const bool left = event->button() == Qt::LeftButton;

    switch (event->type()) {
    case QEvent::MouseButtonDblClick:
        if (left) {
            m_clickPending = false;
            m_dragCandidate = false;
            emit DblClick();
            return false;
        }
        [[fallthrough]]; // another button's second press is just a press
    case QEvent::MouseButtonPress: {
        short button = buttonFromMouseButton(event->button());
        emit MouseDown(button, shift, x, y);
        if (left) {
            m_clickPending = true;
            m_pressPosition = event->position().toPoint();
            m_dragCandidate = m_automaticDrag && m_tree && m_tree->itemAt(m_pressPosition);
        }
        return false;
    }
    case QEvent::MouseButtonRelease: {
        short button = buttonFromMouseButton(event->button());
        emit MouseUp(button, shift, x, y);
        if (left) {
            m_dragCandidate = false;
            const bool inside =
                m_viewport && m_viewport->rect().contains(event->position().toPoint());
            if (std::exchange(m_clickPending, false) && inside)
                emit Click();
        }
        return false;
    }
    case QEvent::MouseMove: {
        short buttons = buttonMaskFromMouseButtons(event->buttons());
        emit MouseMove(buttons, shift, x, y);
        if (m_dragCandidate && event->buttons().testFlag(Qt::LeftButton) &&
            (event->position().toPoint() - m_pressPosition).manhattanLength() >=
                QApplication::startDragDistance()) {
            m_dragCandidate = false;
            m_clickPending = false;
            startOleDrag();
            return true;
        }
        return false;
    }
    default:
        return false;
    }
}

void TreeEventBridge::raiseDragOver(QMimeData *data, int &effect, QPointF position, short state)
{
    short button = buttonMaskFromMouseButtons(QGuiApplication::mouseButtons());
    short shift = shiftMaskFromModifiers(QGuiApplication::keyboardModifiers());
    float x = twipsFromPixels(position.x());
    float y = twipsFromPixels(position.y());
    emit OLEDragOver(data, effect, button, shift, x, y, state);
}

bool TreeEventBridge::dragEnterOrMove(QDragMoveEvent *event, short state)
{
    m_dragData = event->mimeData();
    m_dragPosition = event->position();
    short button = buttonMaskFromMouseButtons(event->buttons());
    short shift = shiftMaskFromModifiers(event->modifiers());
    float x = twipsFromPixels(event->position().x());
    float y = twipsFromPixels(event->position().y());
    int effect = effectFromDropActions(event->possibleActions());
    emit OLEDragOver(sourceData(event->mimeData()), effect, button, shift, x, y, state);

    const Qt::DropAction action =
        dropActionFromEffect(effect, event->possibleActions(), event->proposedAction());
    event->setDropAction(action);
    // An entering drag is always taken, even where it may not drop, so that its moves keep
    // arriving and a handler can still allow the drop elsewhere in the tree.
    if (action == Qt::IgnoreAction && state != DragOverState::Enter)
        event->ignore();
    else
        event->accept();
    return true;
}

bool TreeEventBridge::dragLeave()
{
    int effect = DropEffect::None;
    raiseDragOver(sourceData(m_dragData.data()), effect, m_dragPosition, DragOverState::Leave);
    m_dragData = nullptr;
    return true;
}

bool TreeEventBridge::drop(QDropEvent *event)
{
    short button = buttonMaskFromMouseButtons(event->buttons());
    short shift = shiftMaskFromModifiers(event->modifiers());
    float x = twipsFromPixels(event->position().x());
    float y = twipsFromPixels(event->position().y());
    int effect = effectFromDropActions(event->possibleActions());
    emit OLEDragDrop(sourceData(event->mimeData()), effect, button, shift, x, y);
    m_dragData = nullptr;

    const Qt::DropAction action =
        dropActionFromEffect(effect, event->possibleActions(), event->proposedAction());
    if (action == Qt::IgnoreAction) {
        event->ignore();
    } else {
        event->setDropAction(action);
        event->accept();
    }
    return true; // the tree's own drop would move items about; the host decides instead
}

Qt::DropAction TreeEventBridge::startOleDrag()
{
    if (!m_tree)
        return Qt::IgnoreAction;
    auto *data = new TreeEventDataObject;
    if (const QTreeWidgetItem *item = m_tree->currentItem())
        data->setText(item->text(0));
    int allowedEffects = DropEffect::Copy | DropEffect::Move;
    emit OLEStartDrag(data, allowedEffects);
    const Qt::DropActions allowed = dropActionsFromEffect(allowedEffects);
    if (!allowed || !m_tree) {
        delete data;
        return Qt::IgnoreAction;
    }

    const QPointer<TreeEventBridge> self(this);
    data->setSetDataHandler([self](TreeEventDataObject *object, short &dataFormat) {
        if (self)
            emit self->OLESetData(object, dataFormat);
    });
    const QPointer<QDrag> drag = new QDrag(m_tree);
    drag->setMimeData(data);
    connect(drag, &QDrag::actionChanged, this, [this](Qt::DropAction action) {
        int effect = effectFromDropActions(action);
        bool defaultCursors = true;
        emit OLEGiveFeedback(effect, defaultCursors);
    });
    Qt::DropAction defaultAction = Qt::CopyAction;
    if (!allowed.testFlag(defaultAction))
        defaultAction = allowed.testFlag(Qt::MoveAction) ? Qt::MoveAction : Qt::LinkAction;
    const Qt::DropAction result = execDrag(*drag, allowed, defaultAction);
    if (drag)
        drag->deleteLater();
    int effect = effectFromDropActions(result);
    emit OLECompleteDrag(effect);
    return result;
}

Qt::DropAction TreeEventBridge::execDrag(QDrag &drag, Qt::DropActions allowed,
                                         Qt::DropAction defaultAction)
{
    return drag.exec(allowed, defaultAction);
}
