#include "treefolder/storedproperties.h"
#include "treefolder/treefolder.h"
#include "treefolder/treefolderprivate.h"

#include <QScopedValueRollback>
#include <functional>
#include <type_traits>

namespace {

template<class> struct SetterArgument;
template<class Class, class Argument> struct SetterArgument<void (Class::*)(Argument)> {
    using Type = std::remove_cvref_t<Argument>;
};

// A value the control gives through a getter.
template<auto Get> QVariant from(const TreeFolder &tree)
{
    return QVariant::fromValue(std::invoke(Get, tree));
}

// A setter of the control, given the converted value.
template<auto Set> void to(TreeFolder &tree, const QVariant &value)
{
    std::invoke(Set, tree, value.value<typename SetterArgument<decltype(Set)>::Type>());
}

} // namespace

const QList<StoredProperty> &storedPropertySet()
{
    using T = TreeFolder;
    using enum StoredType;
    using enum StoredDefault;
    // Enabled goes to the control only, not the tree; CheckBoxes to the nodes, without a
    // repaint request.
    static const QList<StoredProperty> set = {
        {"BackColor", Color, Fixed, qint32(OleColor::WindowBackground), 3, false,
         [](const T &tree) { return QVariant(tree.d->m_BackColor); }, to<&T::setBackColor>},
        {"BorderStyle", Short, Fixed, 1, 2, false, from<&T::borderStyle>, to<&T::setBorderStyle>},
        {"CheckBoxes", Boolean, Fixed, false, 4, false, from<&T::checkBoxes>,
         [](T &tree, const QVariant &v) { tree.d->m_nodes.setCheckBoxes(v.toBool()); }},
        {"Enabled", Boolean, Fixed, true, 1, false, from<&T::controlEnabled>,
         to<&QWidget::setEnabled>},
        {"Font", Font, AmbientFont, {}, 5, false, from<&T::treeFont>, to<&T::setTreeFont>},
        {"FullRowSelect", Boolean, Fixed, false, 6, false, from<&T::fullRowSelect>,
         to<&T::setFullRowSelect>},
        {"HideSelection", Boolean, Fixed, true, 7, false, from<&T::hideSelection>,
         to<&T::setHideSelection>},
        {"HideControlPanel", Boolean, Fixed, false, 15, true, from<&T::hideControlPanel>,
         to<&T::setHideControlPanel>},
        {"HideFavorites", Boolean, Fixed, false, 16, true, from<&T::hideFavorites>,
         to<&T::setHideFavorites>},
        {"HideMyDocuments", Boolean, Fixed, false, 17, true, from<&T::hideMyDocuments>,
         to<&T::setHideMyDocuments>},
        {"HideNetwork", Boolean, Fixed, false, 18, true, from<&T::hideNetwork>,
         to<&T::setHideNetwork>},
        {"HotTracking", Boolean, Fixed, false, 8, false, from<&T::hotTracking>,
         to<&T::setHotTracking>},
        {"LabelEdit", Integer, Fixed, 0, 9, false, from<&T::labelEdit>, to<&T::setLabelEdit>},
        {"MouseIcon", Picture, Fixed, {}, 10, false, from<&T::mouseIcon>, to<&T::setMouseIcon>},
        {"MousePointer", Integer, Fixed, 0, 11, false, from<&T::mousePointer>,
         to<&T::setMousePointer>},
        {"OleDragMode", Integer, Fixed, 0, 12, false, from<&T::oleDragMode>,
         to<&T::setOleDragMode>},
        {"OleDropMode", Integer, Fixed, 0, 13, false, from<&T::oleDropMode>,
         to<&T::setOleDropMode>},
        {"SingleSel", Boolean, Fixed, false, 14, false, from<&T::singleSel>, to<&T::setSingleSel>},
        {"Style", Integer, Current, 7, 20, true, from<&T::drawingStyle>, to<&T::setDrawingStyle>},
        {"LineStyle", Integer, Current, 1, 21, true, from<&T::lineStyle>, to<&T::setLineStyle>},
        // Never read; m_ShowFolders is always false, so "ShowFolders" is always kept.
        {"ShowFolders", Boolean, Fixed, true, 0, false,
         [](const T &tree) { return QVariant(tree.d->m_ShowFolders); }, nullptr},
        {"Path",
         Text,
         Desktop,
         {},
         19,
         true,
         [](const T &tree) { return QVariant(tree.d->m_Path); },
         to<&T::setPath>},
    };
    return set;
}

void TreeFolderPrivate::setStored(const StoredProperty &property, const QVariant &value)
{
    const QScopedValueRollback quiet(m_quietReports, !property.reported);
    property.set(q, value);
}

QVariant TreeFolderPrivate::stored(const StoredProperty &property) const
{
    return property.get(q);
}

void TreeFolderPrivate::reportChange(const QString &name)
{
    if (!m_quietReports)
        emit q.PropertyChanged(name);
}
