#pragma once

#include <QString>

class QWidget;

// A modal message box with a title, an icon (or none) and an OK button.
class MessageBox {
public:
    enum class Icon { Information, Warning, Critical, NoIcon };

    virtual ~MessageBox() = default;
    virtual void show(const QString &text, const QString &title, Icon icon) = 0;
};

// The text as a Qt label shows it: CR LF and a lone CR become line breaks (a label would
// draw a lone CR as a blank).
QString MessageBoxDisplayText(const QString &text);

// The real one, a QMessageBox over the given parent window.
class QtMessageBox : public MessageBox {
public:
    explicit QtMessageBox(QWidget *parent = nullptr) : m_parent(parent) {}
    void show(const QString &text, const QString &title, Icon icon) override;

private:
    QWidget *m_parent = nullptr;
};
