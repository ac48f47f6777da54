#include "export/textfile.h"

#include "export/fileerror.h"
#include "export/safesave.h"
#include "platform/runtimeerror.h"

#include <QStringEncoder>

void WriteTextFile(const QString &text, const QString &path)
{
    if (path.isEmpty())
        throw RuntimeError(RuntimeErrorNumber::PathFileAccessError,
                           QStringLiteral("Path/File access error: no file name given"));

    const SaveResult saved = safeSave(path, textFileBytes(text));
    if (!saved.ok())
        throw saveError(saved, path);
}

QByteArray textFileBytes(const QString &text)
{
    QStringEncoder encoder(QStringConverter::System);
    return encoder.encode(text);
}
