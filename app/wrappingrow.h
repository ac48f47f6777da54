#pragma once

#include <QLayout>
#include <QList>

// Lays its widgets out left to right at their own sizes and starts a new line below when the
// next one would not fit, so that a narrow window still shows every button whole. Its
// narrowest width is that of its widest widget.
class WrappingRow final : public QLayout {
public:
    WrappingRow(int horizontalSpacing, int verticalSpacing, QWidget *parent = nullptr);
    ~WrappingRow() override;

    void addItem(QLayoutItem *item) override;
    int count() const override { return int(m_items.size()); }
    QLayoutItem *itemAt(int index) const override { return m_items.value(index); }
    QLayoutItem *takeAt(int index) override;

    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect &rect) override;

private:
    // Places the items in rect (only measures when place is false); returns the height used.
    int arrange(const QRect &rect, bool place) const;

    QList<QLayoutItem *> m_items;
    int m_horizontalSpacing;
    int m_verticalSpacing;
};
