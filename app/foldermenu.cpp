#include "app/foldermenu.h"

#include "chart/slicetext.h"

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
    return QStringLiteral("Move ") + nameAndSize(target) + QStringLiteral(" to the Trash?");
}

QString TrashDone(const FolderTarget &target)
{
    return QStringLiteral("Moved ") + nameAndSize(target) + QStringLiteral(" to the Trash");
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
    add(QStringLiteral("Open"), choices.open);
    QAction *terminal = add(QStringLiteral("Open Terminal Here"), choices.openTerminal);
    if (!choices.terminalInstalled) {
        terminal->setEnabled(false);
        terminal->setToolTip(QStringLiteral("No terminal is installed"));
    }
    add(QStringLiteral("Copy Path"), choices.copyPath);
    menu->addSeparator();
    QAction *trash = add(QStringLiteral("Move to Trash\u2026"), choices.moveToTrash);
    if (!target.trashRefusal.isEmpty()) {
        trash->setEnabled(false);
        trash->setToolTip(target.trashRefusal);
    }
    menu->addSeparator();
    QAction *refresh = menu->addAction(QStringLiteral("Refresh"));
    QObject::connect(refresh, &QAction::triggered, menu, [act = choices.refresh] { act(); });
    return menu;
}
