#include "app/programicon.h"

// The pictures are compiled into the static app library, whose resource initialiser the
// linker drops unless something refers to it.
static void registerIconResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(quorvane);
        return true;
    }();
    (void)registered;
}

QIcon ProgramIcon()
{
    registerIconResources();
    QIcon icon;
    icon.addFile(QStringLiteral(":/quorvane/quorvane-48.png"), QSize(48, 48));
    icon.addFile(QStringLiteral(":/quorvane/quorvane-256.png"), QSize(256, 256));
    return icon;
}
