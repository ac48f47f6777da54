#include "treefolder/storedpropertiesform1.h"

#include "platform/shellhelpers.h"

#include <QFont>
#include <QPixmap>

PropertyBag Form1TreeFolder1Properties()
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(9);
    font.setWeight(QFont::Bold); // 700

    PropertyBag bag;
    bag.insert(QStringLiteral("_extentx"), 12938);
    bag.insert(QStringLiteral("_extenty"), 11245);
    bag.insert(QStringLiteral("backcolor"), 0x00FFFFFF);
    bag.insert(QStringLiteral("font"), font);
    bag.insert(QStringLiteral("hideselection"), false);
    bag.insert(QStringLiteral("hidecontrolpanel"), true);
    bag.insert(QStringLiteral("labeledit"), 1);
    bag.insert(QStringLiteral("mouseicon"), QPixmap());
    bag.insert(QStringLiteral("oledragmode"), 1);
    bag.insert(QStringLiteral("oledropmode"), 1);
    bag.insert(QStringLiteral("showfolders"), false);
    bag.insert(QStringLiteral("path"), DesktopFolderPath());
    return bag;
}
