#include "app/foldermenu.h"

#include "chart/slicetext.h"

#include <QCoreApplication>
#include <QMenu>

namespace {

QString nameAndSize(const FolderTarget &target)
{
    QString text = u'\'' + target.name + u'\'';
    if (target.bytes)
        text += QStringLiteral(" (") + SliceSizeText(*target.bytes) + u')';
    return text;
}

} // namespace

QString TrashQuestion(const FolderTarget &target)
{
    return QCoreApplication::translate("FolderMenu", "Move %1 to the Trash?")
        .arg(nameAndSize(target));
}

QString TrashDone(const FolderTarget &target)
{
    return QCoreApplication::translate("FolderMenu", "Moved %1 to the Trash")
        .arg(nameAndSize(target));
}

QMenu *makeFolderMenu(const FolderTarget &target, const FolderMenuChoices &choices, QWidget *parent)
{
    auto *menu = new QMenu(parent);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setToolTipsVisible(true);
    auto add = [&](const QString &text, const std::function<void(const FolderTarget &)> &act) {
        QAction *action = menu->addAction(text);
        QObject::connect(action, &QAction::triggered, menu, [act, target] { act(target); });
        return action;
    };
    add(QCoreApplication::translate("FolderMenu", "Open"), choices.open);
    QAction *terminal =
        add(QCoreApplication::translate("FolderMenu", "Open Terminal Here"), choices.openTerminal);
    if (!choices.terminalInstalled) {
        terminal->setEnabled(false);
        terminal->setToolTip(QCoreApplication::translate("FolderMenu", "No terminal is installed"));
    }
    add(QCoreApplication::translate("FolderMenu", "Copy Path"), choices.copyPath);
    menu->addSeparator();
    QAction *trash =
        add(QCoreApplication::translate("FolderMenu", "Move to Trash…"), choices.moveToTrash);
    if (!target.trashRefusal.isEmpty()) {
        trash->setEnabled(false);
        trash->setToolTip(target.trashRefusal);
    }
    menu->addSeparator();
    QAction *refresh = menu->addAction(QCoreApplication::translate("FolderMenu", "Refresh"));
    QObject::connect(refresh, &QAction::triggered, menu, [act = choices.refresh] { act(); });
    return menu;
}
