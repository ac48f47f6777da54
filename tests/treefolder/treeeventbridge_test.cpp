#include "platform/runtimeerror.h"
#include "treefolder/treeeventargs.h"
#include "treefolder/treeeventbridge.h"
#include "treefolder/treeeventdataobject.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>

namespace {

// A tree of three top-level nodes, shown so that nodes have places on the screen.
struct Tree {
    Tree()
    {
        for (const char *label : {"alpha", "beta", "gamma"}) {
            auto *item = new QTreeWidgetItem(&widget, QStringList{QString::fromLatin1(label)});
            item->setFlags(item->flags() | Qt::ItemIsEditable);
        }
        widget.resize(240, 200);
        widget.show();
        widget.setCurrentItem(widget.topLevelItem(0));
    }
    QString current() const { return widget.currentItem()->text(0); }
    QTreeWidgetItem *item(int i) const { return widget.topLevelItem(i); }
    QPoint centreOf(int i) const { return widget.visualItemRect(item(i)).center(); }

    QTreeWidget widget;
};

void pressKey(QWidget *target, int key, const QString &text,
              Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QCoreApplication::sendEvent(target, &release);
}

void sendMouse(QWidget *viewport, QEvent::Type type, QPoint pos, Qt::MouseButton button,
               Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QMouseEvent event(type, QPointF(pos), QPointF(viewport->mapToGlobal(pos)), button, buttons,
                      modifiers);
    QCoreApplication::sendEvent(viewport, &event);
}

} // namespace

TEST(TreeEventBridge, KeyDownAndKeyPressCarryKeyCodeShiftAndKeyAscii)
{
    Tree tree;
    TreeEventBridge bridge(&tree.widget);
    QStringList seen;
    QObject::connect(&bridge, &TreeEventBridge::KeyDown, [&](short &keyCode, short &shift) {
        seen << QStringLiteral("KeyDown %1 %2").arg(keyCode).arg(shift);
    });
    QObject::connect(&bridge, &TreeEventBridge::KeyPress,
                     [&](short &keyAscii) { seen << QStringLiteral("KeyPress %1").arg(keyAscii); });
    QObject::connect(&bridge, &TreeEventBridge::KeyUp, [&](short &keyCode, short &shift) {
        seen << QStringLiteral("KeyUp %1 %2").arg(keyCode).arg(shift);
    });

    pressKey(&tree.widget, Qt::Key_G, QStringLiteral("G"), Qt::ShiftModifier);
    pressKey(&tree.widget, Qt::Key_Down, QString(), Qt::ControlModifier);
    EXPECT_EQ(seen, (QStringList{QStringLiteral("KeyDown 71 1"), QStringLiteral("KeyPress 71"),
                                 QStringLiteral("KeyUp 71 1"), QStringLiteral("KeyDown 40 2"),
                                 QStringLiteral("KeyUp 40 2")}));
}

TEST(TreeEventBridge, KeyAsciiZeroSwallowsTheKey)
{
    {
        Tree tree;
        TreeEventBridge bridge(&tree.widget);
        pressKey(&tree.widget, Qt::Key_B, QStringLiteral("b"));
        ASSERT_EQ(tree.current(), QStringLiteral("beta")) << "the tree's type-to-find moves on";
    }
    Tree tree;
    TreeEventBridge bridge(&tree.widget);
    QObject::connect(&bridge, &TreeEventBridge::KeyPress, [](short &keyAscii) { keyAscii = 0; });
    pressKey(&tree.widget, Qt::Key_B, QStringLiteral("b"));
    EXPECT_EQ(tree.current(), QStringLiteral("alpha"));
}

TEST(TreeEventBridge, HandlerChangesReachTheTreeThroughForwardedSignals)
{
    // The control forwards the bridge's signals to its own with signal-to-signal connections;
    // a second bridge stands in for the control here.
    Tree tree;
    Tree other;
    TreeEventBridge bridge(&tree.widget);
    TreeEventBridge control(&other.widget);
    QObject::connect(&bridge, &TreeEventBridge::KeyPress, &control, &TreeEventBridge::KeyPress);
    QObject::connect(&bridge, &TreeEventBridge::KeyDown, &control, &TreeEventBridge::KeyDown);
    QObject::connect(&control, &TreeEventBridge::KeyPress, [](short &keyAscii) {
        if (keyAscii == 'b')
            keyAscii = 'g';
    });
    QObject::connect(&control, &TreeEventBridge::KeyDown, [](short &keyCode, short &) {
        if (keyCode == 40)
            keyCode = 0;
    });

    pressKey(&tree.widget, Qt::Key_B, QStringLiteral("b"));
    EXPECT_EQ(tree.current(), QStringLiteral("gamma")) << "the tree typed the host's character";
    pressKey(&tree.widget, Qt::Key_Up, QString());
    EXPECT_EQ(tree.current(), QStringLiteral("beta"));
    pressKey(&tree.widget, Qt::Key_Down, QString());
    EXPECT_EQ(tree.current(), QStringLiteral("beta")) << "KeyCode 0 swallowed the Down key";
}

TEST(TreeEventBridge, ChangedKeyCodeActsAsThatKey)
{
    Tree tree;
    TreeEventBridge bridge(&tree.widget);
    QObject::connect(&bridge, &TreeEventBridge::KeyDown, [](short &keyCode, short &) {
        if (keyCode == 38) // Up becomes End
            keyCode = 35;
    });
    pressKey(&tree.widget, Qt::Key_Up, QString());
    EXPECT_EQ(tree.current(), QStringLiteral("gamma"));
}

TEST(TreeEventBridge, MouseEventsInTwipsThenClickThenDoubleClick)
{
    Tree tree;
    TreeEventBridge bridge(&tree.widget);
    QWidget *viewport = tree.widget.viewport();
    QStringList seen;
    auto mouse = [&seen](const char *name) {
        return [&seen, name](short &button, short &shift, float &x, float &y) {
            seen << QStringLiteral("%1 %2 %3 %4 %5")
                        .arg(QLatin1String(name))
                        .arg(button)
                        .arg(shift)
                        .arg(double(x))
                        .arg(double(y));
        };
    };
    QObject::connect(&bridge, &TreeEventBridge::MouseDown, mouse("MouseDown"));
    QObject::connect(&bridge, &TreeEventBridge::MouseMove, mouse("MouseMove"));
    QObject::connect(&bridge, &TreeEventBridge::MouseUp, mouse("MouseUp"));
    QObject::connect(&bridge, &TreeEventBridge::Click, [&] { seen << QStringLiteral("Click"); });
    QObject::connect(&bridge, &TreeEventBridge::DblClick,
                     [&] { seen << QStringLiteral("DblClick"); });

    const QPoint p(10, 20);
    sendMouse(viewport, QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton,
              Qt::ShiftModifier);
    sendMouse(viewport, QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton | Qt::RightButton);
    sendMouse(viewport, QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
    sendMouse(viewport, QEvent::MouseButtonDblClick, p, Qt::LeftButton, Qt::LeftButton);
    sendMouse(viewport, QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
    sendMouse(viewport, QEvent::MouseButtonPress, p, Qt::RightButton, Qt::RightButton);
    sendMouse(viewport, QEvent::MouseButtonRelease, p, Qt::RightButton, Qt::NoButton);

    EXPECT_EQ(seen, (QStringList{
                        QStringLiteral("MouseDown 1 1 150 300"),
                        QStringLiteral("MouseMove 3 0 150 300"),
                        QStringLiteral("MouseUp 1 0 150 300"),
                        QStringLiteral("Click"),
                        QStringLiteral("DblClick"),
                        QStringLiteral("MouseUp 1 0 150 300"),
                        QStringLiteral("MouseDown 2 0 150 300"),
                        QStringLiteral("MouseUp 2 0 150 300"),
                    }));
}

TEST(TreeEventBridge, CancelInBeforeRenameKeepsTheEditorClosed)
{
    Tree tree;
    TreeEventBridge bridge(&tree.widget);
    int asked = 0;
    short answer = 1;
    QObject::connect(&bridge, &TreeEventBridge::BeforeRename, [&](short &cancel) {
        ++asked;
        cancel = answer;
    });

    tree.widget.editItem(tree.item(1));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(tree.widget.findChild<QLineEdit *>(), nullptr);

    answer = 0;
    tree.widget.editItem(tree.item(1));
    EXPECT_EQ(asked, 2);
    EXPECT_NE(tree.widget.findChild<QLineEdit *>(), nullptr);
}

TEST(TreeEventBridge, AfterRenameDecidesTheNewLabel)
{
    struct Case {
        const char *what;
        int key;
        short cancel;
        const char *replacement; // what the handler writes into NewString, if anything
        const char *reported;    // NewString as the handler saw it; null for an abandoned edit
        const char *label;
    };
    const Case cases[] = {
        {"committed", Qt::Key_Return, 0, nullptr, "renamed", "renamed"},
        {"cancelled by the host", Qt::Key_Return, 1, nullptr, "renamed", "beta"},
        {"corrected by the host", Qt::Key_Return, 0, "Renamed!", "renamed", "Renamed!"},
        {"abandoned with Escape", Qt::Key_Escape, 0, nullptr, nullptr, "beta"},
    };
    for (const Case &c : cases) {
        Tree tree;
        TreeEventBridge bridge(&tree.widget);
        QStringList reported;
        bool reportedNull = false;
        QObject::connect(&bridge, &TreeEventBridge::AfterRename,
                         [&](short &cancel, QString &newString) {
                             reported << newString;
                             reportedNull = newString.isNull();
                             cancel = c.cancel;
                             if (c.replacement)
                                 newString = QString::fromLatin1(c.replacement);
                         });
        tree.widget.editItem(tree.item(1));
        auto *editor = tree.widget.findChild<QLineEdit *>();
        ASSERT_NE(editor, nullptr) << c.what;
        editor->setText(QStringLiteral("renamed"));
        QKeyEvent key(QEvent::KeyPress, c.key, Qt::NoModifier);
        QCoreApplication::sendEvent(editor, &key);
        QCoreApplication::processEvents(); // Return commits through a queued call

        ASSERT_EQ(reported.size(), 1) << c.what;
        EXPECT_EQ(reportedNull, c.reported == nullptr) << c.what;
        EXPECT_EQ(reported.first(), c.reported ? QString::fromLatin1(c.reported) : QString())
            << c.what;
        EXPECT_EQ(tree.item(1)->text(0), QString::fromLatin1(c.label)) << c.what;
    }
}

TEST(TreeEventBridge, DropTargetEffectsComeFromTheHandler)
{
    Tree tree;
    tree.widget.viewport()->setAcceptDrops(true);
    TreeEventBridge bridge(&tree.widget);
    QWidget *viewport = tree.widget.viewport();
    QMimeData data;
    data.setText(QStringLiteral("payload"));

    int answer = DropEffect::Copy;
    QStringList seen;
    const QMimeData *lastData = nullptr;
    QObject::connect(&bridge, &TreeEventBridge::OLEDragOver,
                     [&](QMimeData *d, int &effect, short &button, short &shift, float &x, float &y,
                         short &state) {
                         lastData = d;
                         seen << QStringLiteral("Over %1 %2 %3 %4 %5 %6")
                                     .arg(effect)
                                     .arg(button)
                                     .arg(shift)
                                     .arg(double(x))
                                     .arg(double(y))
                                     .arg(state);
                         effect = answer;
                     });
    QObject::connect(
        &bridge, &TreeEventBridge::OLEDragDrop,
        [&](QMimeData *d, int &effect, short &button, short &shift, float &x, float &y) {
            seen << QStringLiteral("Drop %1 %2 %3 %4 %5 %6")
                        .arg(d ? d->text() : QString())
                        .arg(effect)
                        .arg(button)
                        .arg(shift)
                        .arg(double(x))
                        .arg(double(y));
            effect = answer;
        });

    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(QPoint(4, 6), offered, &data, Qt::LeftButton, Qt::ControlModifier);
    QCoreApplication::sendEvent(viewport, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_EQ(enter.dropAction(), Qt::CopyAction);

    answer = DropEffect::None;
    QDragMoveEvent refused(QPoint(5, 6), offered, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &refused);
    EXPECT_FALSE(refused.isAccepted());

    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(viewport, &leave);
    EXPECT_EQ(lastData, &data) << "leaving names the data of the last move";

    answer = DropEffect::Move;
    const QPoint c = tree.centreOf(0);
    QDragEnterEvent again(c, offered, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &again);
    QDropEvent drop(QPointF(c), offered, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(drop.dropAction(), Qt::MoveAction);
    EXPECT_EQ(tree.widget.topLevelItemCount(), 3) << "the tree moved nothing itself";

    ASSERT_EQ(seen.size(), 5);
    EXPECT_EQ(seen[0], QStringLiteral("Over 3 1 2 60 90 0"));
    EXPECT_EQ(seen[1], QStringLiteral("Over 3 1 0 75 90 2"));
    EXPECT_TRUE(seen[2].startsWith(QStringLiteral("Over 0 "))) << seen[2].toStdString();
    EXPECT_TRUE(seen[2].endsWith(QStringLiteral(" 75 90 1"))) << seen[2].toStdString();
    EXPECT_EQ(seen[4], QStringLiteral("Drop payload 3 1 0 %1 %2").arg(c.x() * 15).arg(c.y() * 15));
}

namespace {

// Runs no platform drag: the test decides what the drop target did.
class ScriptedDragBridge : public TreeEventBridge {
public:
    using TreeEventBridge::TreeEventBridge;

    std::function<Qt::DropAction(QDrag &)> target;
    int runs = 0;
    Qt::DropActions offered;

protected:
    Qt::DropAction execDrag(QDrag &drag, Qt::DropActions allowed, Qt::DropAction) override
    {
        ++runs;
        offered = allowed;
        return target ? target(drag) : Qt::IgnoreAction;
    }
};

void dragFrom(Tree &tree, int index)
{
    QWidget *viewport = tree.widget.viewport();
    const QPoint start = tree.centreOf(index);
    const QPoint far = start + QPoint(QApplication::startDragDistance() + 2, 0);
    sendMouse(viewport, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    sendMouse(viewport, QEvent::MouseMove, far, Qt::NoButton, Qt::LeftButton);
    sendMouse(viewport, QEvent::MouseButtonRelease, far, Qt::LeftButton, Qt::NoButton);
}

} // namespace

TEST(TreeEventBridge, AutomaticDragRaisesStartFeedbackSetDataAndComplete)
{
    Tree tree;
    ScriptedDragBridge bridge(&tree.widget);
    bridge.setAutomaticDrag(true);
    QStringList seen;
    const QString custom = QStringLiteral("application/x-quorvane-node");
    QObject::connect(
        &bridge, &TreeEventBridge::OLEStartDrag, [&](QMimeData *data, int &allowedEffects) {
            seen << QStringLiteral("Start %1 %2").arg(data->text()).arg(allowedEffects);
            allowedEffects = DropEffect::Move;
            qobject_cast<TreeEventDataObject *>(data)->declareFormat(custom);
        });
    QObject::connect(&bridge, &TreeEventBridge::OLESetData, [&](QMimeData *data, short &format) {
        seen << QStringLiteral("SetData %1").arg(int(format == dataFormatFromMimeType(custom)));
        data->setData(custom, "supplied");
    });
    QObject::connect(
        &bridge, &TreeEventBridge::OLEGiveFeedback, [&](int &effect, bool &defaultCursors) {
            seen << QStringLiteral("Feedback %1 %2").arg(effect).arg(int(defaultCursors));
        });
    QObject::connect(&bridge, &TreeEventBridge::OLECompleteDrag,
                     [&](int &effect) { seen << QStringLiteral("Complete %1").arg(effect); });
    QObject::connect(&bridge, &TreeEventBridge::Click, [&] { seen << QStringLiteral("Click"); });

    QByteArray received;
    bridge.target = [&](QDrag &drag) {
        emit drag.actionChanged(Qt::MoveAction);
        EXPECT_TRUE(drag.mimeData()->hasFormat(custom));
        received = drag.mimeData()->data(custom);
        drag.mimeData()->data(custom); // asked again: already supplied
        return Qt::MoveAction;
    };
    dragFrom(tree, 1);

    EXPECT_EQ(bridge.runs, 1);
    EXPECT_EQ(bridge.offered, Qt::DropActions(Qt::MoveAction));
    EXPECT_EQ(received, QByteArray("supplied"));
    EXPECT_EQ(seen, (QStringList{QStringLiteral("Start beta 3"), QStringLiteral("Feedback 2 1"),
                                 QStringLiteral("SetData 1"), QStringLiteral("Complete 2")}));
}

TEST(TreeEventBridge, DragStopsWhenNoEffectIsAllowedOrDragIsManual)
{
    Tree tree;
    ScriptedDragBridge bridge(&tree.widget);
    int completed = 0;
    int started = 0;
    QObject::connect(&bridge, &TreeEventBridge::OLEStartDrag, [&](QMimeData *, int &allowed) {
        ++started;
        allowed = DropEffect::None;
    });
    QObject::connect(&bridge, &TreeEventBridge::OLECompleteDrag, [&](int &) { ++completed; });

    dragFrom(tree, 0);
    EXPECT_EQ(started, 0) << "manual drag mode starts nothing";

    bridge.setAutomaticDrag(true);
    dragFrom(tree, 0);
    EXPECT_EQ(started, 1);
    EXPECT_EQ(bridge.runs, 0);
    EXPECT_EQ(completed, 0);
}

TEST(TreeEventBridge, NullTreeIsRejected)
{
    EXPECT_THROW(TreeEventBridge bridge(nullptr), RuntimeError);
}
