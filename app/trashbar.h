#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// The bar under the chart that says what the last action on a folder did (a move to the
// Trash, with an Undo button while it can be undone; an Open that failed), and a button that
// closes it.
class TrashBar : public QWidget {
    Q_OBJECT

public:
    explicit TrashBar(QWidget *parent = nullptr);

    // Shows text; with undoable, the Undo button too.
    void say(const QString &text, bool undoable);
    QString text() const;
    QPushButton *undoButton() const { return m_undo; }

signals:
    void undoRequested();

private:
    QLabel *m_text = nullptr;
    QPushButton *m_undo = nullptr;
    QPushButton *m_close = nullptr;
};
