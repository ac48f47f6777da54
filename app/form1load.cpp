#include "app/form1.h"
#include "app/handcursor.h"
#include "app/makerinfo.h"
#include "app/programicon.h"
#include "app/skiponerror.h"
#include "platform/launcher.h"
#include "platform/runtimeerror.h"
#include "platform/shellhelpers.h"
#include "treefolder/treefolder.h"

#include <QCheckBox>
#include <QFile>
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
    SkipOnError([this] { m_Dir1.setPath(m_TreeFolder1->path()); });
    SkipOnError([this] { GenerateChart(); });
}

// The optional skin x/o.cjs below the program's folder is a Qt style sheet. Without it the
// window keeps its stored look.
void Form1::ApplySkin()
{
    const QString skinPath = m_environment.programFolder + QStringLiteral("/x/o.cjs");
    if (!FileExists(skinPath))
        return;
    const QColor buttonFace = palette().color(QPalette::Button);
    const auto paintButtonFace = [&buttonFace](QWidget *widget) {
        QPalette colours = widget->palette();
        colours.setColor(QPalette::Window, buttonFace);
        widget->setPalette(colours);
        widget->setAutoFillBackground(true);
    };
    paintButtonFace(this);
    for (QWidget *child : findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (qobject_cast<QRadioButton *>(child) || qobject_cast<QCheckBox *>(child) ||
            qobject_cast<QGroupBox *>(child) || qobject_cast<QLabel *>(child))
            paintButtonFace(child);
    }
    QFile skin(skinPath);
    if (!skin.open(QIODevice::ReadOnly | QIODevice::Text))
        throw RuntimeError(RuntimeErrorNumber::PathNotFound, QStringLiteral("Path not found"));
    setStyleSheet(QString::fromUtf8(skin.readAll()));
}

// The optional HAND-M.CUR below the program's folder becomes the custom pointer that the
// command buttons show on hover.
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
