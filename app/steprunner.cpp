#include "app/steprunner.h"

#include "app/errorreport.h"
#include "platform/runtimeerror.h"

#include <exception>
#include <new>
#include <optional>

StepRunner::StepRunner(MessageBox &box, QString location)
    : m_box(box), m_location(std::move(location))
{}

bool StepRunner::run(int step, const std::function<void()> &statement)
{
    if (m_ended)
        return false;
    // The box is shown outside the catch blocks, so that a failure of the box itself goes
    // to the caller instead of being reported as this step's failure.
    std::optional<QString> failure;
    try {
        statement();
    } catch (const RuntimeError &error) {
        failure = error.description();
    } catch (const std::bad_alloc &) {
        failure = QStringLiteral("out of memory");
    } catch (const std::exception &error) {
        failure = QString::fromLocal8Bit(error.what());
    }
    if (!failure)
        return true;
    ErrorReportBox(m_box, *failure, m_location, step);
    return false;
}
