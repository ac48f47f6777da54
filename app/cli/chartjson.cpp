#include "app/cli/chartjson.h"

#include "chart/changetext.h"
#include "chart/chartmodel.h"
#include "chart/slicetext.h"
#include "platform/nativepath.h"

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

// ", "before": 100, "change": 23" for a subfolder of a compared chart; nothing otherwise.
QByteArray comparedSize(const ChartModel &model, int index)
{
    if (!model.comparison().isSet())
        return {};
    const ChartModel::Subfolder &subfolder = model.at(index);
    const std::optional<qint64> before = model.comparison().bytesBefore(subfolder.path);
    return ", \"before\": " + (before ? QByteArray::number(*before) : QByteArray("null")) +
           ", \"change\": " + QByteArray::number(subfolder.bytes - before.value_or(0));
}

QByteArray comparedFolder(const ChartModel &model)
{
    if (!model.comparison().isSet())
        return {};
    QByteArray out =
        ",\n  \"compared\": " + quoted(model.comparison().when().toUTC().toString(Qt::ISODate)) +
        ",\n  \"gone\": [";
    const QList<ChartComparison::Subfolder> gone = GoneSubfolders(model);
    for (qsizetype i = 0; i < gone.size(); ++i) {
        const QString path = pathFromNative(gone[i].path);
        out += i == 0 ? "\n" : ",\n";
        out += "    {\"name\": " + quoted(SliceName(path, model.folder())) +
               ", \"path\": " + quoted(path) +
               ", \"before\": " + QByteArray::number(gone[i].bytes) + "}";
    }
    return out + (gone.isEmpty() ? "]" : "\n  ]");
}

} // namespace

QByteArray chartJson(const ChartModel &model, const ChartJsonExtras &extras)
{
    const QString folder = model.folder();
    QByteArray out = "{\n  \"folder\": " + quoted(folder) + ",\n  \"subfolders\": [";
    qint64 total = 0;
    quint64 unreadable = 0;
    for (int i = 0; i < model.count(); ++i) {
        const ChartModel::Subfolder &subfolder = model.at(i);
        // From the bytes, not the name shown: a name that is not UTF-8 keeps its bytes.
        const QString path = pathFromNative(subfolder.path);
        const quint64 below = extras.unreadable.value(i);
        out += i == 0 ? "\n" : ",\n";
        out += "    {\"name\": " + quoted(SliceName(path, folder)) + ", \"path\": " + quoted(path) +
               ", \"size\": " + QByteArray::number(subfolder.bytes) +
               ", \"unreadable\": " + QByteArray::number(below) + comparedSize(model, i) + "}";
        total += subfolder.bytes;
        unreadable += below;
    }
    out += model.count() == 0 ? "]" : "\n  ]";
    out += ",\n  \"total\": " + QByteArray::number(total) +
           ",\n  \"files\": " + QByteArray::number(extras.files) +
           ",\n  \"unreadable\": " + QByteArray::number(unreadable) + comparedFolder(model) +
           "\n}\n";
    return out;
}
