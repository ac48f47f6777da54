#pragma once

#include "platform/shellhelpers.h"
#include "treefolder/olecolor.h"

#include <QFont>
#include <QPixmap>
#include <QString>
#include <functional>

class PropertyBag;

// What the control's stored property set is read into and written from. The control
// implements it; readStoredProperties and writeStoredProperties own the names, the defaults,
// the order and the conversions.
class StoredPropertyTarget {
public:
    virtual ~StoredPropertyTarget() = default;

    // Called in this order when a stored set is loaded; each gets the stored value or the
    // default, already converted. A setter that throws ends the loading there.
    virtual void setStoredEnabled(bool enabled) = 0;          // the control only, not the tree
    virtual void setStoredBorderStyle(short borderStyle) = 0; // direct: no change report
    virtual void setStoredBackColor(quint32 oleColor) = 0;    // through BackColor (translates)
    virtual void setStoredCheckBoxes(bool checkBoxes) = 0;    // direct: no repaint request
    virtual void setStoredFont(const QFont &font) = 0;
    virtual void setStoredFullRowSelect(bool fullRowSelect) = 0;
    virtual void setStoredHideSelection(bool hideSelection) = 0;
    virtual void setStoredHotTracking(bool hotTracking) = 0;
    virtual void setStoredLabelEdit(int labelEdit) = 0;
    virtual void setStoredMouseIcon(const QPixmap &mouseIcon) = 0; // null pixmap: no icon
    virtual void setStoredMousePointer(int mousePointer) = 0;
    virtual void setStoredOleDragMode(int oleDragMode) = 0;
    virtual void setStoredOleDropMode(int oleDropMode) = 0;
    virtual void setStoredSingleSel(bool singleSel) = 0;
    virtual void setStoredHideControlPanel(bool hide) = 0; // through the property: rebuilds
    virtual void setStoredHideFavorites(bool hide) = 0;
    virtual void setStoredHideMyDocuments(bool hide) = 0;
    virtual void setStoredHideNetwork(bool hide) = 0;
    virtual void setStoredPath(const QString &path) = 0; // through path: selects, raises Change
    virtual void setStoredStyle(int style) = 0;          // through Style: reports a change
    virtual void setStoredLineStyle(int lineStyle) = 0;  // through LineStyle

    // Read when saving, in the order of writeStoredProperties. storedStyle and storedLineStyle
    // are also the tree's current values that an absent "Style" / "LineStyle" leaves alone.
    virtual qint32 storedBackColor() const = 0; // m_BackColor: RGB, or -1
    virtual short storedBorderStyle() const = 0;
    virtual bool storedCheckBoxes() const = 0;
    virtual bool storedEnabled() const = 0;
    virtual QFont storedFont() const = 0;
    virtual bool storedFullRowSelect() const = 0;
    virtual bool storedHideSelection() const = 0;
    virtual bool storedHideControlPanel() const = 0;
    virtual bool storedHideFavorites() const = 0;
    virtual bool storedHideMyDocuments() const = 0;
    virtual bool storedHideNetwork() const = 0;
    virtual bool storedHotTracking() const = 0;
    virtual int storedLabelEdit() const = 0;
    virtual QPixmap storedMouseIcon() const = 0;
    virtual int storedMousePointer() const = 0;
    virtual int storedOleDragMode() const = 0;
    virtual int storedOleDropMode() const = 0;
    virtual bool storedSingleSel() const = 0;
    virtual int storedStyle() const = 0;
    virtual int storedLineStyle() const = 0;
    virtual bool storedShowFolders() const = 0; // m_ShowFolders
    virtual QString storedPath() const = 0;     // m_Path

    // The host's ambient font, the default of "Font" both ways.
    virtual QFont ambientFont() const = 0;
};

// Defaults of the stored properties. Reading and writing share them except where noted;
// "Font" defaults to the ambient font, "Path" reads as the desktop folder and writes as the
// process's current directory, and "Style" / "LineStyle" read as the tree's current values.
namespace StoredPropertyDefault {
constexpr bool Enabled = true;
constexpr short BorderStyle = 1;
constexpr quint32 BackColor = OleColor::WindowBackground;
constexpr bool CheckBoxes = false;
constexpr bool FullRowSelect = false;
constexpr bool HideSelection = true;
constexpr bool HideControlPanel = false;
constexpr bool HideFavorites = false;
constexpr bool HideMyDocuments = false;
constexpr bool HideNetwork = false;
constexpr bool HotTracking = false;
constexpr int LabelEdit = 0;
constexpr int MousePointer = 0;
constexpr int OleDragMode = 0;
constexpr int OleDropMode = 0;
constexpr bool SingleSel = false;
constexpr int StyleWhenWriting = 7;
constexpr int LineStyleWhenWriting = 1;
// Never read; m_ShowFolders is always False, so "ShowFolders" is always kept.
constexpr bool ShowFoldersWhenWriting = true;
} // namespace StoredPropertyDefault

// Runtime error raised for a stored value of the wrong type.
namespace StoredPropertyError {
constexpr int TypeMismatch = 13;
}

// The process's current directory: the path fresh defaults start at, and the "Path" that is
// not kept when saving, so both must come from here.
QString ProcessCurrentDirectory();

// Applies a stored set to `target`, name by name in the fixed order: Enabled, BorderStyle,
// BackColor, CheckBoxes, Font, FullRowSelect, HideSelection, HotTracking, LabelEdit,
// MouseIcon, MousePointer, OleDragMode, OleDropMode, SingleSel, HideControlPanel,
// HideFavorites, HideMyDocuments, HideNetwork, Path, Style, LineStyle. The hide flags come
// before Path so the path is selected in the finally shaped tree. `desktopFolderPath` gives
// the "Path" default just before Path is read; when it throws, Path, Style and LineStyle are
// not read. Any failure (RuntimeError 13 for a value of the wrong type, 6 for a number out of
// range, or what a setter throws) ends the loading at that name; earlier names stay applied.
void readStoredProperties(const PropertyBag &bag, StoredPropertyTarget &target,
                          const std::function<QString()> &desktopFolderPath = DesktopFolderPath);

// Writes the target's values into `bag` in the fixed order: BackColor, BorderStyle,
// CheckBoxes, Enabled, Font, FullRowSelect, HideSelection, HideControlPanel, HideFavorites,
// HideMyDocuments, HideNetwork, HotTracking, LabelEdit, MouseIcon, MousePointer, OleDragMode,
// OleDropMode, SingleSel, Style, LineStyle, ShowFolders, Path; a value equal to its default is
// not kept. Changes nothing in the target.
void writeStoredProperties(PropertyBag &bag, const StoredPropertyTarget &target);
