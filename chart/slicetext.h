#pragma once

#include "chart/chartmodel.h"

#include <QString>
#include <QStringList>

// The texts the chart derives for one subfolder.

// What the legend shows while a subfolder is being sized, in the window's language
// ("Getting folder size..." in English).
QString GettingFolderSize();

// What the legend shows for a subfolder that did not answer in time, in the window's language
// ("Not answering" in English).
QString NotAnswering();

// The subfolder's name: the entry with every occurrence of folder followed by "/" removed
// (exact, case-sensitive). A root folder "/" is searched as "//", which never occurs, so the
// subfolders of a root keep their full paths.
QString SliceName(const QString &entry, const QString &folder);

// The legend label: a name longer than 15 characters is cut to 15 and followed by "... - ",
// any other by " - "; then the size text. Characters are counted as code points, so a cut
// never splits one.
QString SliceLabel(const QString &name, const QString &sizeText);

// The side-text line: the whole name, " - ", the size text.
QString SideTextLine(const QString &name, const QString &sizeText);

// SizeText of a byte count, in the locale's narrow encoding turned into text.
QString SliceSizeText(qint64 bytes);

// The legend label of a subfolder that is sized or being sized; empty while it waits. One
// that did not answer in time says so in place of its size.
QString SliceLabel(const ChartModel::Subfolder &subfolder);

// One side-text line per subfolder that is done, in list order.
QStringList SideTextLines(const ChartModel &model);
