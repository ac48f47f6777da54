#include "app/form1.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QMouseEvent>
#include <QPushButton>

void Form1::setMousePointer(int pointer)
{
    m_mousePointer = pointer;
    if (pointer == Hourglass)
        setCursor(Qt::WaitCursor);
    else if (pointer == Custom && m_mouseIcon)
        setCursor(*m_mouseIcon);
    else
        unsetCursor();
}

// Buttons show the custom pointer, the window surface and the tree's frame the default one;
// neither replaces the hourglass while a chart is being built.
bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    const bool overButton =
        watched == m_PushButton1 || watched == m_PushButton2 || watched == m_PushButton3;
    if (overButton && (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove)) {
        if (m_mousePointer != Hourglass)
            setMousePointer(Custom);
    } else if ((watched == this || watched == m_Frame2) && event->type() == QEvent::MouseMove) {
        // A move over a child reaches its parents too; only the surface itself counts.
        auto *surface = static_cast<QWidget *>(watched);
        const auto *move = static_cast<QMouseEvent *>(event);
        if (!surface->childAt(move->position().toPoint()) && m_mousePointer != Hourglass)
            setMousePointer(Default);
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::closeEvent(QCloseEvent *event)
{
    event->accept();
    Form_QueryUnload();
}

// Closing ends the program at once, also in the middle of a scan: the scan is dropped (a
// worker stuck in it keeps only its own share), nothing more reaches the chart, and every
// event loop is told to leave.
void Form1::Form_QueryUnload()
{
    if (m_ending)
        return;
    m_ending = true;
    m_generation.stop();
    m_environment.endProgram();
}
