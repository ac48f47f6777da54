#pragma once

#include <QAccessibleInterface>

class LegendAccessible;

// A legend row of a subfolder gone since the look the chart is compared with, as assistive
// technology sees it: a child of the legend after its slices, named as the row reads ("Old -
// 50 Bytes, gone since 3 Dec") and described by the tooltip's lines after the name. It has no
// slice, so it has no actions and takes neither the focus nor the highlight, as the row does
// for the keys and the mouse. It stands for the position among the gone rows, so it stays
// valid while the legend shows that many.
class GoneRowAccessible : public QAccessibleInterface {
public:
    // owner outlives the row: it deletes its rows when it goes.
    GoneRowAccessible(LegendAccessible *owner, int goneIndex)
        : m_owner(owner), m_goneIndex(goneIndex)
    {}

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

private:
    LegendAccessible *m_owner;
    int m_goneIndex;
};
