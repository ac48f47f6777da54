#pragma once

#include "export/spreadsheetprogram.h"
#include "platform/launcher.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdlib>
#include <optional>

// Records every program it is asked to start and starts none.
class FakeLauncher : public Launcher {
public:
    struct Start {
        QString program;
        QStringList arguments;
    };

    bool openUrl(const QString &url) override
    {
        m_urls.append(url);
        return m_succeeds;
    }
    bool startProgram(const QString &program, const QStringList &arguments) override
    {
        m_starts.append({program, arguments});
        return m_succeeds;
    }

    QList<Start> m_starts;
    QStringList m_urls;
    bool m_succeeds = true;
};

// Answers the spreadsheet program lookup with a fixed result.
class FakeLocator : public SpreadsheetLocator {
public:
    explicit FakeLocator(std::optional<SpreadsheetProgram> program) : m_program(std::move(program))
    {}
    std::optional<SpreadsheetProgram> find() override
    {
        ++m_calls;
        return m_program;
    }

    std::optional<SpreadsheetProgram> m_program;
    int m_calls = 0;
};

// Sets (or, with nothing, unsets) an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char *name, std::optional<QByteArray> value) : m_name(name)
    {
        if (const char *old = std::getenv(name))
            m_old = QByteArray(old);
        apply(value);
    }
    ~ScopedEnv() { apply(m_old); }
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    void apply(const std::optional<QByteArray> &value)
    {
        if (value)
            setenv(m_name, value->constData(), 1);
        else
            unsetenv(m_name);
    }

    const char *m_name = nullptr;
    std::optional<QByteArray> m_old;
};
