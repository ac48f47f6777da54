#pragma once

#include <QList>
#include <QString>

// The key conventions every handler of the tree reads a node by. A node's key is its identity:
// a folder's path for drives and folders, "Root_..." for the roots.

inline const QString WorkSpaceKey = QStringLiteral("Root_WorkSpace");
inline const QString MyComputerKey = QStringLiteral("Root_MyComputer");
inline const QString ControlPanelKey = QStringLiteral("Root_ControlPanel");

// A root's key contains "Root_" (case matters).
bool isRootKey(const QString &key);

// A drive's key is its mount point with the separator ("/", "/home/"); no folder key ends
// with one, so the separator alone tells drives apart.
bool isDriveKey(const QString &key);

// The root kinds a key passes, tested on its lowered text in this order: "computer" (1),
// "workspace" (0), "controlpanel" (2). Each test stands alone, so one key may pass several.
QList<int> rootKindsOf(const QString &key);

// The placeholder child that gives an unloaded drive or special folder its expand button.
QString entryPlaceholderKey(const QString &key);

// The placeholder child of an unloaded folder. It may equal the key of a real subfolder
// named "a"; the placeholder is always removed before the real children are added.
QString folderPlaceholderKey(const QString &key);
