#pragma once

#include <QString>
#include <QStringList>

// The line end of the exported side text, as the text file format of the program fixes it.
inline constexpr char16_t sideTextLineEnd[] = u"\r\n";

// The text of the side text export: every line, in order, followed by CR LF; nothing after
// the last line's own CR LF, and empty text for no lines. Lines are never shortened, and
// there is no limit on their number.
QString sideTextFileText(const QStringList &lines);
