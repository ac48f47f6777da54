#include "treefolder/treeeventrenamedelegate.h"

#include <QMetaProperty>

void TreeEventRenameDelegate::setHandlers(BeforeRename before, AfterRename after)
{
    m_beforeRename = std::move(before);
    m_afterRename = std::move(after);
}

QWidget *TreeEventRenameDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                               const QModelIndex &index) const
{
    short cancel = 0;
    if (m_beforeRename)
        m_beforeRename(cancel);
    if (cancel != 0)
        return nullptr; // the view treats a missing editor as "no edit"
    QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
    m_unreported = editor;
    return editor;
}

void TreeEventRenameDelegate::setModelData(QWidget *editor, QAbstractItemModel *model,
                                           const QModelIndex &index) const
{
    if (m_unreported == editor)
        m_unreported = nullptr;
    const QMetaProperty user = editor->metaObject()->userProperty();
    QString newString = user.isValid() ? user.read(editor).toString() : QString();
    short cancel = 0;
    if (m_afterRename)
        m_afterRename(cancel, newString);
    if (cancel == 0)
        model->setData(index, newString, Qt::EditRole);
}

void TreeEventRenameDelegate::destroyEditor(QWidget *editor, const QModelIndex &index) const
{
    if (editor && m_unreported == editor) {
        m_unreported = nullptr;
        short cancel = 0;
        QString abandoned; // null: the user gave up the edit
        if (m_afterRename)
            m_afterRename(cancel, abandoned);
    }
    QStyledItemDelegate::destroyEditor(editor, index);
}
