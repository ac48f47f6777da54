#include "export/textfile.h"

#include "export/exporterrors.h"
#include "export/fileerror.h"
#include "export/safesave.h"
#include "platform/runtimeerror.h"

#include <QStringEncoder>

void WriteTextFile(const QString &text, const QString &path)
{
    if (path.isEmpty())
        throw RuntimeError(ExportErrorNumber::PathFileAccessError,
                           QStringLiteral("Path/File access error: no file name given"));

    QStringEncoder encoder(QStringConverter::System);
    const SaveResult saved = safeSave(path, encoder.encode(text));
    if (!saved.ok())
        throw saveError(saved, path);
}
