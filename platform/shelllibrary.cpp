#include "platform/shelllibrary.h"

#include <QApplication>
#include <QStyle>

namespace ShellLibrary {

QString string(int number)
{
    switch (number) {
    case StringId::ControlPanel:
        return QCoreApplication::translate("ShellLibrary", "Control Panel");
    case StringId::Desktop:
        return QCoreApplication::translate("ShellLibrary", "Desktop");
    case StringId::Computer:
        return QCoreApplication::translate("ShellLibrary", "Computer");
    case StringId::RemovableDisk:
        return QCoreApplication::translate("ShellLibrary", "Removable Disk");
    case StringId::LocalDisk:
        return QCoreApplication::translate("ShellLibrary", "Local Disk");
    default:
        return {};
    }
}

QPixmap icon(int number, int size)
{
    QStyle::StandardPixmap which;
    switch (number) {
    case IconId::Computer:
        which = QStyle::SP_ComputerIcon;
        break;
    case IconId::Network:
        which = QStyle::SP_DriveNetIcon;
        break;
    case IconId::Documents:
        which = QStyle::SP_DirHomeIcon;
        break;
    case IconId::Desktop:
        which = QStyle::SP_DesktopIcon;
        break;
    case IconId::ControlPanel:
        which = QStyle::SP_FileDialogDetailedView;
        break;
    case IconId::NetworkEntry:
        which = QStyle::SP_DirLinkIcon;
        break;
    default:
        return {};
    }
    QStyle *style = QApplication::style();
    // At the screen's pixels a point, so that it stays sharp on a screen of 2.
    return style ? style->standardIcon(which).pixmap(QSize(size, size), qApp->devicePixelRatio())
                 : QPixmap();
}

} // namespace ShellLibrary
