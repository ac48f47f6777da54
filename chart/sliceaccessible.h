#pragma once

#include <QAccessibleInterface>

class ChartAccessible;

// One slice as assistive technology sees it, a child of the pie or of the legend: named by
// its subfolder and size ("Music - 1.50 GB", or "Music - Getting folder size..." and busy while
// it is being measured), described by its exact size and share, focused when it is the keys'
// slice in the part of the chart that has the focus. Its actions drill down and make it the
// current slice. It stands for a position in the chart, so it stays valid across generations
// while the chart shows that many slices.
class SliceAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    // owner outlives the slice: it deletes its slices when it goes.
    SliceAccessible(ChartAccessible *owner, int index) : m_owner(owner), m_index(index) {}

    bool isValid() const override;
    QObject *object() const override { return nullptr; }
    QWindow *window() const override;
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text type) const override;
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &actionName) const override;

private:
    ChartAccessible *m_owner;
    int m_index;
};
