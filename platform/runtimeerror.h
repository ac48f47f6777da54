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

// Numbers the program raises or re-raises.
namespace RuntimeErrorNumber {
constexpr int InvalidProcedureCall = 5; // invalid procedure call or argument
constexpr int Overflow = 6;
constexpr int SubscriptOutOfRange = 9;
constexpr int PathNotFound = 76;
constexpr int ObjectNotSet = 91;
constexpr int InvalidPropertyValue = 380;
constexpr int KeyNotUnique = 35602;
} // namespace RuntimeErrorNumber
