#include "app/chartjson.h"

namespace {

// A JSON string: quotes, backslashes and control characters escaped, the rest as UTF-8.
QByteArray quoted(const QString &text)
{
    QByteArray out = "\"";
    for (const char byte : text.toUtf8()) {
        const auto code = static_cast<unsigned char>(byte);
        switch (byte) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (code < 0x20)
                out += QByteArray("\\u00") + QByteArray::number(code, 16).rightJustified(2, '0');
            else
                out += byte;
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
