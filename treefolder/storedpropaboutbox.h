#pragma once

#include <QString>

// The two texts of the control's about box: its title and the text below it. The text holds a
// CR LF line break; a Qt label needs MessageBoxDisplayText (platform/messagebox.h) first.
struct AboutBoxTexts {
    QString title;
    QString text;
};

AboutBoxTexts aboutBoxTexts();
