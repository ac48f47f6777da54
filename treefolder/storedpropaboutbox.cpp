#include "treefolder/storedpropaboutbox.h"

namespace {
constexpr char16_t AuthorAddress[] = u"support@quorvane.example";
}

AboutBoxTexts aboutBoxTexts()
{
    return {QStringLiteral("Tessaline by Halvette"),
            QStringLiteral("Control to show files and folder like Windows Explorer.\r\n"
                           "Developed by Halvette ") +
                QString::fromUtf16(AuthorAddress)};
}
