#pragma once

#include "treefolder/foldertreeview.h"
#include "treefolder/treefolder.h"

#include <QCoreApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QStringList>
#include <functional>
#include <ostream>

// A host bound to all 31 events and to the change reports: records each as its name followed
// by its arguments, in the order they arrive. `during` runs inside every event, after it was
// recorded, so a test can look at the control from within a handler.
class RecordingHost {
public:
    explicit RecordingHost(TreeFolder &tree)
    {
        using T = TreeFolder;
        auto *ctx = &tree;
        const auto kind = [](T::RootKind k) { return QString::number(int(k)); };
        const auto flag = [](bool b) {
            return b ? QStringLiteral("true") : QStringLiteral("false");
        };
        QObject::connect(&tree, &T::AfterRename, ctx, [this](short &cancel, QString &text) {
            add(QStringLiteral("AfterRename %1 %2").arg(cancel).arg(text));
        });
        QObject::connect(&tree, &T::BeforeRename, ctx, [this](short &cancel) {
            add(QStringLiteral("BeforeRename %1").arg(cancel));
        });
        QObject::connect(&tree, &T::Change, ctx, [this] { add(QStringLiteral("Change")); });
        QObject::connect(&tree, &T::Click, ctx, [this] { add(QStringLiteral("Click")); });
        QObject::connect(&tree, &T::DblClick, ctx, [this] { add(QStringLiteral("DblClick")); });
        QObject::connect(&tree, &T::DriveCheck, ctx, [this, flag](const QString &p, bool c) {
            add("DriveCheck " + p + ' ' + flag(c));
        });
        QObject::connect(&tree, &T::DriveClick, ctx,
                         [this](const QString &p) { add("DriveClick " + p); });
        QObject::connect(&tree, &T::DriveNotReady, ctx,
                         [this](const QString &p) { add("DriveNotReady " + p); });
        QObject::connect(&tree, &T::FolderCheck, ctx, [this, flag](const QString &p, bool c) {
            add("FolderCheck " + p + ' ' + flag(c));
        });
        QObject::connect(&tree, &T::FolderClick, ctx,
                         [this](const QString &p) { add("FolderClick " + p); });
        QObject::connect(&tree, &T::FolderDblClick, ctx,
                         [this](const QString &p) { add("FolderDblClick " + p); });
        QObject::connect(&tree, &T::FolderExpand, ctx,
                         [this](const QString &p) { add("FolderExpand " + p); });
        QObject::connect(&tree, &T::FolderCollapse, ctx,
                         [this](const QString &p) { add("FolderCollapse " + p); });
        QObject::connect(&tree, &T::KeyDown, ctx, [this](short &code, short &shift) {
            add(QStringLiteral("KeyDown %1 %2").arg(code).arg(shift));
        });
        QObject::connect(&tree, &T::KeyPress, ctx,
                         [this](short &ascii) { add(QStringLiteral("KeyPress %1").arg(ascii)); });
        QObject::connect(&tree, &T::KeyUp, ctx, [this](short &code, short &shift) {
            add(QStringLiteral("KeyUp %1 %2").arg(code).arg(shift));
        });
        QObject::connect(&tree, &T::MouseDown, ctx, [this](short &b, short &s, float &x, float &y) {
            add(QStringLiteral("MouseDown %1 %2 %3 %4").arg(b).arg(s).arg(x).arg(y));
        });
        QObject::connect(&tree, &T::MouseMove, ctx, [this](short &b, short &s, float &x, float &y) {
            add(QStringLiteral("MouseMove %1 %2 %3 %4").arg(b).arg(s).arg(x).arg(y));
        });
        QObject::connect(&tree, &T::MouseUp, ctx, [this](short &b, short &s, float &x, float &y) {
            add(QStringLiteral("MouseUp %1 %2 %3 %4").arg(b).arg(s).arg(x).arg(y));
        });
        QObject::connect(&tree, &T::OLECompleteDrag, ctx, [this](int &effect) {
            add(QStringLiteral("OLECompleteDrag %1").arg(effect));
        });
        QObject::connect(&tree, &T::OLEDragDrop, ctx,
                         [this](QMimeData *, int &e, short &, short &, float &, float &) {
                             add(QStringLiteral("OLEDragDrop %1").arg(e));
                         });
        QObject::connect(
            &tree, &T::OLEDragOver, ctx,
            [this](QMimeData *, int &e, short &, short &, float &, float &, short &state) {
                add(QStringLiteral("OLEDragOver %1 %2").arg(e).arg(state));
            });
        QObject::connect(&tree, &T::OLEGiveFeedback, ctx, [this](int &effect, bool &) {
            add(QStringLiteral("OLEGiveFeedback %1").arg(effect));
        });
        QObject::connect(&tree, &T::OLESetData, ctx, [this](QMimeData *, short &format) {
            add(QStringLiteral("OLESetData %1").arg(format));
        });
        QObject::connect(&tree, &T::OLEStartDrag, ctx, [this](QMimeData *, int &allowed) {
            add(QStringLiteral("OLEStartDrag %1").arg(allowed));
        });
        QObject::connect(&tree, &T::Progress, ctx,
                         [this](short p) { add(QStringLiteral("Progress %1").arg(p)); });
        QObject::connect(&tree, &T::RootClick, ctx,
                         [this, kind](T::RootKind k) { add("RootClick " + kind(k)); });
        QObject::connect(&tree, &T::RootDblClick, ctx,
                         [this, kind](T::RootKind k) { add("RootDblClick " + kind(k)); });
        QObject::connect(&tree, &T::RootCheck, ctx, [this, kind, flag](T::RootKind k, bool c) {
            add("RootCheck " + kind(k) + ' ' + flag(c));
        });
        QObject::connect(&tree, &T::RootExpand, ctx,
                         [this, kind](T::RootKind k) { add("RootExpand " + kind(k)); });
        QObject::connect(&tree, &T::RootCollapse, ctx,
                         [this, kind](T::RootKind k) { add("RootCollapse " + kind(k)); });
        QObject::connect(&tree, &T::PropertyChanged, ctx,
                         [this](const QString &name) { reports << name; });
    }

    // The events other than the mouse and key pass-throughs, which every click brings along.
    QStringList own() const
    {
        QStringList kept;
        for (const QString &e : events) {
            if (!e.startsWith(u"Mouse") && !e.startsWith(u"Key") && e != u"Click" &&
                e != u"DblClick")
                kept << e;
        }
        return kept;
    }
    void clear()
    {
        events.clear();
        reports.clear();
    }

    QStringList events;
    QStringList reports;
    std::function<void(const QString &event)> during;

private:
    void add(const QString &event)
    {
        events << event;
        if (during)
            during(event);
    }
};

// What a user does to the shown tree, sent as real events to its viewport.
namespace User {

inline void mouse(TreeFolder &tree, QEvent::Type type, QPoint pos,
                  Qt::MouseButton button = Qt::LeftButton)
{
    QWidget *viewport = tree.treeView()->viewport();
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, QPointF(pos), QPointF(viewport->mapToGlobal(pos)), button, held,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &event);
}

inline QPoint centreOf(TreeFolder &tree, const TreeNode &node)
{
    return tree.treeView()->visualItemRect(node.item()).center();
}

inline void clickAt(TreeFolder &tree, QPoint pos, Qt::MouseButton button = Qt::LeftButton)
{
    mouse(tree, QEvent::MouseButtonPress, pos, button);
    mouse(tree, QEvent::MouseButtonRelease, pos, button);
}

inline void click(TreeFolder &tree, const TreeNode &node)
{
    clickAt(tree, centreOf(tree, node));
}

// The centre of the node's check box, where the style draws it.
inline QPoint checkBoxOf(TreeFolder &tree, const TreeNode &node)
{
    QTreeWidget *view = tree.treeView();
    QStyleOptionViewItem option;
    option.initFrom(view->viewport());
    option.rect = view->visualItemRect(node.item());
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    return view->style()
        ->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, view)
        .center();
}

inline void key(TreeFolder &tree, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(tree.treeView(), &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(tree.treeView(), &release);
}

} // namespace User

// Readable failure messages for lists of events.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}
