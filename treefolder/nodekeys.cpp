#include "treefolder/nodekeys.h"

bool isRootKey(const QString &key)
{
    return key.contains(QLatin1String("Root_"));
}

bool isDriveKey(const QString &key)
{
    return !isRootKey(key) && key.endsWith(u'/');
}

QList<int> rootKindsOf(const QString &key)
{
    const QString lowered = key.toLower();
    QList<int> kinds;
    if (lowered.contains(QLatin1String("computer")))
        kinds.append(1);
    if (lowered.contains(QLatin1String("workspace")))
        kinds.append(0);
    if (lowered.contains(QLatin1String("controlpanel")))
        kinds.append(2);
    return kinds;
}

QString entryPlaceholderKey(const QString &key)
{
    return key + QStringLiteral("_empty_child");
}

QString folderPlaceholderKey(const QString &key)
{
    return key + QStringLiteral("/a");
}
