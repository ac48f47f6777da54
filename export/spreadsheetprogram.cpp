#include "export/spreadsheetprogram.h"

namespace {

// The escapes of every desktop entry string value (\s \n \t \r \\) come off first; the
// quoting rules of Exec then apply to the result.
QString unescapeStringValue(const QString &value)
{
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const QChar next = value.at(++i);
        switch (next.unicode()) {
        case 's':
            out += QLatin1Char(' ');
            break;
        case 'n':
            out += QLatin1Char('\n');
            break;
        case 't':
            out += QLatin1Char('\t');
            break;
        case 'r':
            out += QLatin1Char('\r');
            break;
        case '\\':
            out += QLatin1Char('\\');
            break;
        default:
            out += c;
            out += next;
            break;
        }
    }
    return out;
}

struct Token {
    QString text;
    bool quoted = false;
};

std::optional<QList<Token>> splitExec(const QString &exec)
{
    QList<Token> tokens;
    Token current;
    bool inToken = false;
    bool inQuotes = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (inQuotes) {
            if (c == QLatin1Char('"')) {
                inQuotes = false;
            } else if (c == QLatin1Char('\\') && i + 1 < exec.size()) {
                current.text += exec.at(++i);
            } else {
                current.text += c;
            }
        } else if (c == QLatin1Char(' ') || c == QLatin1Char('\t')) {
            if (inToken)
                tokens.append(std::exchange(current, Token{}));
            inToken = false;
        } else if (c == QLatin1Char('"')) {
            inQuotes = true;
            inToken = true;
            current.quoted = true;
        } else {
            current.text += c;
            inToken = true;
        }
    }
    if (inQuotes)
        return std::nullopt;
    if (inToken)
        tokens.append(current);
    return tokens;
}

bool isFileCode(QChar code)
{
    return code == QLatin1Char('f') || code == QLatin1Char('F') || code == QLatin1Char('u') ||
           code == QLatin1Char('U');
}

} // namespace

QStringList SpreadsheetProgram::argumentsFor(const QString &workbook) const
{
    QStringList result = arguments;
    if (fileArgument >= 0 && fileArgument < result.size())
        result[fileArgument] = workbook;
    else
        result.append(workbook);
    return result;
}

std::optional<SpreadsheetProgram> parseDesktopExec(const QString &exec)
{
    const auto tokens = splitExec(unescapeStringValue(exec));
    if (!tokens || tokens->isEmpty())
        return std::nullopt;

    SpreadsheetProgram result;
    bool first = true;
    for (const Token &token : *tokens) {
        // Field codes are expanded outside quotes only; a token that is nothing but a code
        // either becomes the workbook's slot or disappears.
        if (!token.quoted && token.text.size() == 2 && token.text.at(0) == QLatin1Char('%') &&
            token.text.at(1) != QLatin1Char('%')) {
            if (isFileCode(token.text.at(1)) && result.fileArgument < 0 && !first) {
                result.fileArgument = int(result.arguments.size());
                result.arguments.append(QString());
            }
            continue;
        }
        QString text;
        for (qsizetype i = 0; i < token.text.size(); ++i) {
            const QChar c = token.text.at(i);
            if (c == QLatin1Char('%') && !token.quoted && i + 1 < token.text.size()) {
                if (token.text.at(++i) == QLatin1Char('%'))
                    text += QLatin1Char('%');
                continue;
            }
            text += c;
        }
        if (first)
            result.program = text;
        else
            result.arguments.append(text);
        first = false;
    }
    if (result.program.isEmpty())
        return std::nullopt;
    return result;
}
