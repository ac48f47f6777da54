#include "platform/savedialog.h"

#include <QFileDialog>
#include <QRegularExpression>

QStringList qtNameFilters(const QString &filter)
{
    QStringList parts = filter.split(QLatin1Char('|'));
    if (!parts.isEmpty() && parts.last().isEmpty())
        parts.removeLast();

    QStringList result;
    static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        QStringList patterns;
        const QString patternText = i + 1 < parts.size() ? parts.at(i + 1) : QString();
        for (QString pattern : patternText.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            pattern = pattern.trimmed();
            if (pattern == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
            if (!pattern.isEmpty())
                patterns.append(pattern);
        }
        if (patterns.isEmpty())
            patterns.append(QStringLiteral("*"));
        // QFileDialog takes the patterns from the parentheses, so the name's own list (which
        // may say "*.*") is replaced by the real one.
        QString name = parts.at(i);
        name.remove(trailingPatterns);
        name = name.trimmed();
        result.append(QStringLiteral("%1 (%2)").arg(name, patterns.join(QLatin1Char(' '))));
    }
    return result;
}

QString QtSaveDialog::chooseFile()
{
    QFileDialog dialog(m_parent, dialogTitle());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList nameFilters = qtNameFilters(filter());
    if (!nameFilters.isEmpty())
        dialog.setNameFilters(nameFilters);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(flags() & OverwritePrompt));
    if (!fileName().isEmpty())
        dialog.selectFile(fileName());
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}
