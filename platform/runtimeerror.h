#pragma once

#include <QString>
#include <stdexcept>

// The one error type of the program: a runtime error number, its description and the
// place that raised it (or re-raised it with its own name, as the tree control does).
class RuntimeError : public std::runtime_error {
public:
    RuntimeError(int number, const QString &description, const QString &source = {})
        : std::runtime_error(description.toStdString()), m_number(number),
          m_description(description), m_source(source)
    {}

    int number() const { return m_number; }
    QString description() const { return m_description; }
    QString source() const { return m_source; }

    // The same error passed on under another source name.
    RuntimeError withSource(const QString &source) const
    {
        return RuntimeError(m_number, m_description, source);
    }

private:
    int m_number = 0;
    QString m_description;
    QString m_source;
};

// Numbers the program raises or re-raises, with the classic meaning each stands for. The
// exports' descriptions name the file or object concerned, so the error report box tells the
// user what to fix.
namespace RuntimeErrorNumber {
constexpr int InvalidProcedureCall = 5; // invalid procedure call or argument
constexpr int CannotSaveImage = 5;      // the JPEG encoder failed; description carries the status
constexpr int Overflow = 6;
constexpr int OutOfMemory = 7;
constexpr int SubscriptOutOfRange = 9;
constexpr int BadFileName = 52;
constexpr int FileNotFound = 53;
constexpr int DeviceIoError = 57;
constexpr int DiskFull = 61;
constexpr int PermissionDenied = 70;
constexpr int PathFileAccessError = 75;
constexpr int PathNotFound = 76;
constexpr int ObjectNotSet =
    91; // also a spreadsheet step whose object an earlier step failed to make
constexpr int InvalidPropertyValue = 380;
constexpr int CannotCreateObject = 429; // no spreadsheet program, or it would not start
constexpr int InvalidPicture = 481;
constexpr int SpreadsheetError = 1004; // the workbook library refused an operation
constexpr int KeyNotUnique = 35602;
} // namespace RuntimeErrorNumber
