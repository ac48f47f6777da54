#include "app/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace {

QPointer<QTranslator> ownTranslator;
QPointer<QTranslator> qtTranslator;

void uninstall(QPointer<QTranslator> &translator)
{
    if (translator) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
}

} // namespace

QStringList TranslationFolders()
{
    const QString program = QCoreApplication::applicationDirPath();
    return {program, program + QStringLiteral("/../share/quorvane/translations")};
}

bool InstallTranslations(const QLocale &locale, const QStringList &folders)
{
    uninstall(ownTranslator);
    uninstall(qtTranslator);
    if (locale.language() == QLocale::English || locale.language() == QLocale::C)
        return true;
    auto *own = new QTranslator(QCoreApplication::instance());
    for (const QString &folder : folders) {
        // Tries each of the locale's languages, "de_AT" then "de" and so on.
        if (own->load(locale, QStringLiteral("quorvane"), QStringLiteral("_"), folder)) {
            ownTranslator = own;
            break;
        }
    }
    if (!ownTranslator) {
        delete own;
        return false;
    }
    QCoreApplication::installTranslator(ownTranslator);
    auto *qt = new QTranslator(QCoreApplication::instance());
    if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        qtTranslator = qt;
        QCoreApplication::installTranslator(qtTranslator);
    } else {
        delete qt;
    }
    return true;
}
