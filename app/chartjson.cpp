#include "app/chartjson.h"

namespace {

QByteArray escaped(char16_t code)
{
    return "\\u" + QByteArray::number(code, 16).rightJustified(4, '0');
}

// A JSON string: quotes, backslashes and control characters escaped, the rest as UTF-8.
// A byte of a name that is not UTF-8 travels as a lone surrogate (U+DC00 + byte) and is
// written as its escape, "\udcff": a reader can restore the exact bytes (Python's
// os.fsencode does) where a replacement character would lose them.
QByteArray quoted(const QString &text)
{
    QByteArray out = "\"";
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out += text.mid(i, 2).toUtf8();
            ++i;
        } else if (c.isSurrogate()) {
            out += escaped(c.unicode());
        } else if (c == u'"' || c == u'\\') {
            out += '\\';
            out += char(c.unicode());
        } else if (c == u'\n') {
            out += "\\n";
        } else if (c == u'\r') {
            out += "\\r";
        } else if (c == u'\t') {
            out += "\\t";
        } else if (c.unicode() < 0x20) {
            out += escaped(c.unicode());
        } else {
            out += QString(c).toUtf8();
        }
    }
    return out + '"';
}

} // namespace

QByteArray chartJson(const QString &folder, const QList<ChartJsonEntry> &entries)
{
    QByteArray out = "{\n  \"folder\": " + quoted(folder) + ",\n  \"subfolders\": [";
    qint64 total = 0;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const ChartJsonEntry &entry = entries.at(i);
        out += i == 0 ? "\n" : ",\n";
        out += "    {\"name\": " + quoted(entry.name) + ", \"path\": " + quoted(entry.path) +
               ", \"size\": " + QByteArray::number(entry.size) + "}";
        total += entry.size;
    }
    out += entries.isEmpty() ? "]" : "\n  ]";
    out += ",\n  \"total\": " + QByteArray::number(total) + "\n}\n";
    return out;
}
