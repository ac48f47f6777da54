#pragma once

#include <QPointer>
#include <QString>
#include <functional>

class QMessageBox;
class QWidget;

// A question with a button that goes ahead and a Cancel button, which is the default, so that
// Enter alone never goes ahead. It never waits: the answer comes later, on the GUI thread.
// Tests hand in a fake that answers as they choose.
class ConfirmBox {
public:
    virtual ~ConfirmBox() = default;
    // answer(true) once the user pressed goAhead; answer(false) for Cancel, Escape or closing.
    virtual void ask(const QString &text, const QString &title, const QString &goAhead,
                     std::function<void(bool)> answer) = 0;
};

// The real one: a window-modal QMessageBox over the parent, opened without a nested event loop.
class QtConfirmBox : public ConfirmBox {
public:
    explicit QtConfirmBox(QWidget *parent = nullptr) : m_parent(parent) {}
    void ask(const QString &text, const QString &title, const QString &goAhead,
             std::function<void(bool)> answer) override;

private:
    QWidget *m_parent = nullptr;
};
