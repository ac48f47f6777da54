#pragma once

#include "foldersize/sizeamount.h"

#include <QString>

// The texts the chart workflow derives for one subfolder.

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

// The slice value: whole bytes as plain decimal digits, "-" in front of a negative amount.
QString SliceValue(SizeAmount size);

// SizeText of the amount, in the locale's narrow encoding turned into text.
QString SliceSizeText(SizeAmount size);
