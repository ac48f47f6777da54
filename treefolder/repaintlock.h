#pragma once

#include <QWidget>

// The tree is not repainted while children are added, so many children are drawn once.
class RepaintLock {
public:
    explicit RepaintLock(QWidget *widget) : m_widget(widget), m_wasEnabled(widget->updatesEnabled())
    {
        m_widget->setUpdatesEnabled(false);
    }
    ~RepaintLock() { m_widget->setUpdatesEnabled(m_wasEnabled); }
    RepaintLock(const RepaintLock &) = delete;
    RepaintLock &operator=(const RepaintLock &) = delete;

private:
    QWidget *m_widget = nullptr;
    bool m_wasEnabled = true;
};
