#include "platform/messagebox.h"
#include "treefolder/foldertreeview.h"
#include "treefolder/storedpropaboutbox.h"
#include "treefolder/treefolder.h"
#include "treefolder/treefolderprivate.h"

#include <QApplication>

void TreeFolderPrivate::Initialize()
{
    // A host that saves an instance it never initialised still saves a real colour.
    m_BackColor = TranslateColor(OleColor::WindowBackground);
    q.ReloadTree();
}

void TreeFolder::InitProperties()
{
    d->m_BackColor = TranslateColor(OleColor::WindowBackground);
    setPath(ProcessCurrentDirectory());
}

void TreeFolder::ReadProperties(const PropertyBag &bag,
                                const std::function<QString()> &desktopFolderPath)
{
    readStoredProperties(bag, *d, desktopFolderPath);
}

void TreeFolder::WriteProperties(PropertyBag &bag) const
{
    writeStoredProperties(bag, *d);
}

void TreeFolder::Resize()
{
    d->TreeView1->setGeometry(0, 0, qMax(0, width()), qMax(0, height()));
}

QSize TreeFolder::sizeHint() const
{
    return d->TreeView1->sizeHint();
}

void TreeFolder::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Resize();
}

QFont TreeFolderPrivate::ambientFont() const
{
    return q.parentWidget() ? q.parentWidget()->font() : QApplication::font();
}

void TreeFolder::setMessageBox(MessageBox *box)
{
    d->m_messageBox = box;
}

void TreeFolder::AboutBox()
{
    const AboutBoxTexts texts = aboutBoxTexts();
    if (d->m_messageBox) {
        d->m_messageBox->show(texts.text, texts.title, MessageBox::Icon::NoIcon);
        return;
    }
    QtMessageBox box(window());
    box.show(texts.text, texts.title, MessageBox::Icon::NoIcon);
}
