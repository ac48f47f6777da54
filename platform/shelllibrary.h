#pragma once

#include <QPixmap>
#include <QString>

// The built-in stand-in for the Windows shell library: captions and small pictures looked up
// by the resource numbers the tree control asks for. The pictures are drawn from the Qt
// style's standard icons, so they exist on a machine without any icon theme.
namespace ShellLibrary {

namespace StringId {
constexpr int ControlPanel = 4161;
constexpr int Desktop = 4162;
constexpr int Computer = 9216;
constexpr int RemovableDisk = 9220;
constexpr int LocalDisk = 9397;
} // namespace StringId

namespace IconId {
constexpr int Computer = 16; // stands in for the file icon of Explorer on the My Computer root
constexpr int Network = 17;
constexpr int Documents = 20;
constexpr int Desktop = 34;
constexpr int ControlPanel = 35;
constexpr int NetworkEntry = 85;
} // namespace IconId

// The caption with that number; empty text for a number the library does not hold.
QString string(int number);

// The icon with that number at size x size pixels; a null pixmap for a number the library
// does not hold. Needs a QGuiApplication.
QPixmap icon(int number, int size);

} // namespace ShellLibrary
