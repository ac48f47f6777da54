#pragma once

#include <QObject>
#include <QPoint>
#include <QPointF>
#include <QPointer>

class QDrag;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QKeyEvent;
class QMimeData;
class QMouseEvent;
class QTreeWidget;
class TreeEventDataObject;
class TreeEventRenameDelegate;

// Turns a QTreeWidget's own Qt events into the tree's pass-through events, with the argument
// conventions of treeeventargs.h. Each signal has the name and the argument list of the
// control's event of the same name, so the control forwards them with signal-to-signal
// connections; those run directly and pass the very same variables, so what the host's
// handler writes into an argument comes back here and is acted on:
//
//   KeyDown(KeyCode, Shift)   a key press. KeyCode set to 0 swallows the key (the tree does not
//                             move, no KeyPress follows); set to another key, the tree gets that
//                             key instead. Shift is not read back.
//   KeyPress(KeyAscii)        after KeyDown, for a key that types a character. 0 (or a
//                             negative value) swallows the key; another value is the character
//                             the tree receives (it drives the tree's type-to-find).
//   KeyUp(KeyCode, Shift)     a key release; KeyCode 0 swallows the release.
//   MouseDown/MouseMove/MouseUp(Button, Shift, X, Y)
//                             the viewport's mouse events; changes are not read back.
//   Click                     a left button release over the viewport that the press began
//                             there too, after its MouseUp (never for the release that ends a
//                             double click).
//   DblClick                  a double click of the left button, between the second press
//                             (which raises no MouseDown) and its MouseUp.
//   BeforeRename(Cancel), AfterRename(Cancel, NewString)
//                             see treeeventrenamedelegate.h; the bridge installs that delegate
//                             on the tree, so the control must not replace the item delegate.
//   OLEDragOver(Data, Effect, Button, Shift, X, Y, State)
//                             a drag entering (State 0), moving over (2) or leaving (1) the
//                             viewport. Effect comes in as the source's allowed effects; what the
//                             handler leaves in it decides the drop action shown (0 refuses the
//                             drop here). On leaving, Data and X, Y are those of the last move.
//                             Data belongs to the drag's source: read it, never change it.
//   OLEDragDrop(Data, Effect, Button, Shift, X, Y)
//                             a drop; Effect as above, the handler's value becomes the
//                             performed action (0 refuses the drop). The tree itself never
//                             moves or copies items on a drop: the host does what it wants.
//   OLEStartDrag(Data, AllowedEffects)
//                             automatic drag (setAutomaticDrag) after the left button pressed
//                             on a node moved past the start distance, or startOleDrag().
//                             Data holds the current node's text as text/plain; the handler may
//                             add or promise formats (TreeEventDataObject::declareFormat).
//                             AllowedEffects comes in as copy + move; 0 cancels the drag.
//   OLEGiveFeedback(Effect, DefaultCursors)
//                             whenever the drop action offered by the target changes; the
//                             platform draws the drag cursor itself, so DefaultCursors is not
//                             read back.
//   OLESetData(Data, DataFormat)
//                             a target asks for a promised format; the handler sets its data.
//   OLECompleteDrag(Effect)   the drag ended with the performed action (0 when refused or
//                             cancelled); not read back.
//
// The drop target side needs acceptDrops on the viewport (the control's OleDropMode 1); the
// source side needs the tree's own dragEnabled off, or Qt's item drag would start first.
class TreeEventBridge : public QObject {
    Q_OBJECT
public:
    // Watches `tree` (keys) and its viewport (mouse, drops) and installs the rename delegate.
    explicit TreeEventBridge(QTreeWidget *tree, QObject *parent = nullptr);
    ~TreeEventBridge() override;

    void setAutomaticDrag(bool automatic) { m_automaticDrag = automatic; }
    bool automaticDrag() const { return m_automaticDrag; }

    // Starts a drag from the tree now (raises OLEStartDrag and, when it goes ahead,
    // OLEGiveFeedback and OLECompleteDrag). Returns the performed action.
    Qt::DropAction startOleDrag();

signals:
    // By where they come from: the mouse, the keyboard, a label edit, a drop onto the tree,
    // a drag from it.
    void MouseDown(short &Button, short &Shift, float &X, float &Y);
    void MouseMove(short &Button, short &Shift, float &X, float &Y);
    void MouseUp(short &Button, short &Shift, float &X, float &Y);
    void Click();
    void DblClick();
    void KeyDown(short &KeyCode, short &Shift);
    void KeyPress(short &KeyAscii);
    void KeyUp(short &KeyCode, short &Shift);
    void BeforeRename(short &Cancel);
    void AfterRename(short &Cancel, QString &NewString);
    void OLEDragOver(QMimeData *Data, int &Effect, short &Button, short &Shift, float &X, float &Y,
                     short &State);
    void OLEDragDrop(QMimeData *Data, int &Effect, short &Button, short &Shift, float &X, float &Y);
    void OLEStartDrag(QMimeData *Data, int &AllowedEffects);
    void OLEGiveFeedback(int &Effect, bool &DefaultCursors);
    void OLESetData(QMimeData *Data, short &DataFormat);
    void OLECompleteDrag(int &Effect);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Runs the drag; the platform's nested drag loop by default.
    virtual Qt::DropAction execDrag(QDrag &drag, Qt::DropActions allowed,
                                    Qt::DropAction defaultAction);

private:
    bool keyPress(QKeyEvent *event);
    bool keyRelease(QKeyEvent *event);
    bool mouseEvent(QMouseEvent *event);
    bool dragEnterOrMove(QDragMoveEvent *event, short state);
    bool dragLeave();
    bool drop(QDropEvent *event);
    void raiseDragOver(QMimeData *data, int &effect, QPointF position, short state);

    QPointer<QTreeWidget> m_tree;
    QPointer<QWidget> m_viewport;
    // For telling which object an event is for without casting one under destruction.
    const QObject *m_treeObject = nullptr;
    const QObject *m_viewportObject = nullptr;
    QPointer<TreeEventRenameDelegate> m_delegate;
    bool m_automaticDrag = false;
    bool m_resending = false;
    bool m_clickPending = false;
    bool m_dragCandidate = false;
    QPoint m_pressPosition;
    QPointer<const QMimeData> m_dragData;
    QPointF m_dragPosition;
};
