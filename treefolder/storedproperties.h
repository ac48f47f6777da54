#pragma once

#include "platform/shellhelpers.h"

#include <QFont>
#include <QList>
#include <QString>
#include <QVariant>
#include <functional>

class PropertyBag;
class TreeFolder;

// The type a stored value is converted to when it is read, and kept as when it is saved.
// Short and Integer are whole numbers in 16 and 32 bits; Color is an OLE colour of 32 bits, whether
// spelled signed or unsigned (olecolor.h).
enum class StoredType { Boolean, Short, Integer, Color, Font, Picture, Text };

// Where a stored property's default comes from: the value an absent name reads as, and the
// value that is not kept when saving.
enum class StoredDefault {
    Fixed,       // the row's value, both ways
    AmbientFont, // the host's ambient font, both ways
    Current,     // reads as the target's current value; the row's value is not kept
    Desktop,     // reads as the desktop folder; the process's current directory is not kept
};

// One property of the control's stored set, and where the control keeps it.
struct StoredProperty {
    QString name;
    StoredType type;
    StoredDefault from;
    QVariant value; // the default of a Fixed or Current property
    // The place at which a loaded set applies it, from 1; 0 for one saved but never read.
    int readPlace;
    // Loading reports a change of it (PropertyChanged), as its setter does; the others are
    // given to the tree directly.
    bool reported;
    QVariant (*get)(const TreeFolder &);
    void (*set)(TreeFolder &, const QVariant &);
};

// The control's stored set, in the order it is saved: BackColor, BorderStyle, CheckBoxes,
// Enabled, Font, FullRowSelect, HideSelection, HideControlPanel, HideFavorites,
// HideMyDocuments, HideNetwork, HotTracking, LabelEdit, MouseIcon, MousePointer, OleDragMode,
// OleDropMode, SingleSel, Style, LineStyle, ShowFolders, Path. It is loaded in the order
// Enabled, BorderStyle, BackColor, CheckBoxes, Font, FullRowSelect, HideSelection,
// HotTracking, LabelEdit, MouseIcon, MousePointer, OleDragMode, OleDropMode, SingleSel,
// HideControlPanel, HideFavorites, HideMyDocuments, HideNetwork, Path, Style, LineStyle: the
// hide flags come before Path so the path is selected in the finally shaped tree.
const QList<StoredProperty> &storedPropertySet();

// What a stored set is read into and written from: the control, or a stand-in.
class StoredPropertyTarget {
public:
    virtual ~StoredPropertyTarget() = default;
    // Takes the value read for property, already converted to its type. A setter that throws
    // ends the loading there.
    virtual void setStored(const StoredProperty &property, const QVariant &value) = 0;
    // The value saved for property; for a Current default also what an absent one reads as.
    virtual QVariant stored(const StoredProperty &property) const = 0;
    // The host's ambient font, the default of "Font" both ways.
    virtual QFont ambientFont() const = 0;
};

// Runtime error raised for a stored value of the wrong type.
namespace StoredPropertyError {
constexpr int TypeMismatch = 13;
}

// The process's current directory: the path fresh defaults start at, and the "Path" that is
// not kept when saving, so both must come from here.
QString ProcessCurrentDirectory();

// Applies a stored set to `target`, name by name in the loading order. `desktopFolderPath`
// gives the "Path" default just before Path is read; when it throws, Path, Style and LineStyle
// are not read. Any failure (RuntimeError 13 for a value of the wrong type, 6 for a number out
// of range, or what a setter throws) ends the loading at that name; earlier names stay applied.
void readStoredProperties(const PropertyBag &bag, StoredPropertyTarget &target,
                          const std::function<QString()> &desktopFolderPath = DesktopFolderPath);

// Writes the target's values into `bag` in the saving order; a value equal to its default is
// not kept. Changes nothing in the target.
void writeStoredProperties(PropertyBag &bag, const StoredPropertyTarget &target);
