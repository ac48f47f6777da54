#include "app/form1.h"
#include "app/handcursor.h"
#include "app/makerinfo.h"
#include "app/programicon.h"
#include "app/regularfile.h"
#include "app/skinsheet.h"
#include "app/skiponerror.h"
#include "platform/launcher.h"
#include "platform/runtimeerror.h"
#include "platform/shellhelpers.h"
#include "treefolder/treefolder.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>

void Form1::Form_Load()
{
    SkipOnError([this] { CenterWindow(this); });
    SkipOnError([this] { setWindowTitle(QStringLiteral("Quorvane ")); });
    SkipOnError([this] { setWindowIcon(ProgramIcon()); });
    SkipOnError([this] { ApplySkin(); });
    SkipOnError([this] { LoadHandCursor(); });
    SkipOnError([this] { MaybeOpenHomePage(); });
    SkipOnError([this] { m_TreeFolder1->setPath(m_environment.desktopFolder()); });
    // Dir1 takes the folder, and the chart starts, once it has been listed off this thread.
    SkipOnError([this] { chartFolder(m_TreeFolder1->path(), true); });
}

// The optional skin x/o.cjs below the program's folder is a Qt style sheet. Without it the
// window keeps its stored look; so it does when the name holds something that is no skin (a
// FIFO, a device, a file far larger than any style sheet), which is never waited on, and so
// does every picture the sheet names that is no such file or too large a picture.
void Form1::ApplySkin()
{
    const std::optional<QByteArray> skin =
        readRegularFile(m_environment.programFolder + QStringLiteral("/x/o.cjs"));
    if (!skin)
        return;
    const QColor buttonFace = palette().color(QPalette::Button);
    const auto paintButtonFace = [&buttonFace](QWidget *widget) {
        QPalette colours = widget->palette();
        colours.setColor(QPalette::Window, buttonFace);
        widget->setPalette(colours);
        widget->setAutoFillBackground(true);
    };
    paintButtonFace(this);
    // The form's own controls: its direct children and those of the panes either side of
    // the divider.
    for (QWidget *child : findChildren<QWidget *>()) {
        const QWidget *parent = child->parentWidget();
        if (parent != this && !(parent && parent->property("formPane").toBool()))
            continue;
        if (qobject_cast<QRadioButton *>(child) || qobject_cast<QCheckBox *>(child) ||
            qobject_cast<QGroupBox *>(child) || qobject_cast<QLabel *>(child))
            paintButtonFace(child);
    }
    setStyleSheet(safeSkinStyleSheet(QString::fromUtf8(*skin)));
}

// The optional HAND-M.CUR below the program's folder becomes the custom pointer that the
// command buttons show on hover. Like the skin, only a regular file of a cursor's size is
// read.
void Form1::LoadHandCursor()
{
    const QString cursorPath = m_environment.programFolder + QStringLiteral("/HAND-M.CUR");
    if (FileExists(cursorPath))
        m_mouseIcon = LoadCursorFile(cursorPath);
}

// One start in a hundred opens the maker's home page.
void Form1::MaybeOpenHomePage()
{
    if (m_environment.drawPercent() == 7)
        m_environment.launcher->openUrl(MakerHomePage);
}
