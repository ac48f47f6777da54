#pragma once

// Silences standard error while it lives. For libraries that print their own diagnostics
// there (libxlsxwriter names its scratch files); the program tells the failure itself.
class QuietStandardError {
public:
    QuietStandardError();
    ~QuietStandardError();
    QuietStandardError(const QuietStandardError &) = delete;
    QuietStandardError &operator=(const QuietStandardError &) = delete;

private:
    int m_saved = -1;
};
