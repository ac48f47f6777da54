#include "platform/messagebox.h"
#include "treefolder/foldertreeview.h"
#include "treefolder/storedpropaboutbox.h"
#include "treefolder/treefolder.h"

#include <QApplication>

void TreeFolder::Initialize()
{
    // A host that saves an instance it never initialised still saves a real colour.
    m_BackColor = TranslateColor(OleColor::WindowBackground);
    ReloadTree();
}

void TreeFolder::InitProperties()
{
    m_BackColor = TranslateColor(OleColor::WindowBackground);
    setPath(ProcessCurrentDirectory());
}

void TreeFolder::ReadProperties(const PropertyBag &bag,
                                const std::function<QString()> &desktopFolderPath)
{
    readStoredProperties(bag, *this, desktopFolderPath);
}

void TreeFolder::WriteProperties(PropertyBag &bag) const
{
    writeStoredProperties(bag, *this);
}

void TreeFolder::Resize()
{
    TreeView1->setGeometry(0, 0, qMax(0, width()), qMax(0, height()));
}

QSize TreeFolder::sizeHint() const
{
    return TreeView1->sizeHint();
}

void TreeFolder::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Resize();
}

QFont TreeFolder::ambientFont() const
{
    return parentWidget() ? parentWidget()->font() : QApplication::font();
}

void TreeFolder::AboutBox()
{
    const AboutBoxTexts texts = aboutBoxTexts();
    if (m_messageBox) {
        m_messageBox->show(texts.text, texts.title, MessageBox::Icon::NoIcon);
        return;
    }
    QtMessageBox box(window());
    box.show(texts.text, texts.title, MessageBox::Icon::NoIcon);
}
