#include "app/skinsheet.h"

#include "app/regularfile.h"

#include <QBuffer>
#include <QImageReader>

namespace {

// Whether Qt may read the picture that a url(...) names.
bool pictureIsSafe(const QString &name)
{
    if (name.isEmpty() || name.startsWith(u':') || name.startsWith(QLatin1String("qrc:")))
        return true;
    const std::optional<QByteArray> bytes = readRegularFile(name);
    if (!bytes)
        return false;
    QBuffer buffer;
    buffer.setData(*bytes);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    return size.isValid() && qint64(size.width()) * size.height() <= MaxSkinPicturePixels;
}

// The end of the url(...) that starts at `open` (just after its parenthesis), and its name;
// -1 when it never closes. A quoted name may hold a parenthesis.
qsizetype urlEnd(const QString &sheet, qsizetype open, QString *name)
{
    qsizetype at = open;
    while (at < sheet.size() && sheet.at(at).isSpace())
        ++at;
    if (at < sheet.size() && (sheet.at(at) == u'"' || sheet.at(at) == u'\'')) {
        const QChar quote = sheet.at(at);
        qsizetype closing = at + 1;
        while (closing < sheet.size() && sheet.at(closing) != quote)
            ++closing;
        if (closing >= sheet.size())
            return -1;
        *name = sheet.mid(at + 1, closing - at - 1);
        const qsizetype end = sheet.indexOf(u')', closing + 1);
        return end < 0 ? -1 : end + 1;
    }
    const qsizetype end = sheet.indexOf(u')', at);
    if (end < 0)
        return -1;
    *name = sheet.mid(at, end - at).trimmed();
    return end + 1;
}

} // namespace

QString safeSkinStyleSheet(const QString &sheet)
{
    // Qt's style sheet scanner reads escapes before and while it finds a url: "\75rl(",
    // "u\72l(" and "\u\r\l(" all open one, and "\22" ends a quoted text early. No
    // filter of the literal text can follow all of that, and a skin needs no escape.
    if (sheet.contains(u'\\'))
        return {};
    static const QLatin1String opening("url(");
    QString result;
    qsizetype copied = 0;
    for (qsizetype start = sheet.indexOf(opening, 0, Qt::CaseInsensitive); start >= 0;
         start = sheet.indexOf(opening, copied, Qt::CaseInsensitive)) {
        QString name;
        const qsizetype end = urlEnd(sheet, start + opening.size(), &name);
        result += QStringView(sheet).mid(copied, start - copied);
        // An unclosed url( would make Qt read the rest of the sheet as its name.
        if (end < 0)
            return result;
        result += pictureIsSafe(name) ? QStringView(sheet).mid(start, end - start)
                                      : QStringView(u"url()");
        copied = end;
    }
    result += QStringView(sheet).mid(copied);
    return result;
}
