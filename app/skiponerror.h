#pragma once

#include <exception>

// Runs one start-up statement; a failure skips the rest of it and start-up goes on.
template<typename Statement> void SkipOnError(Statement &&statement)
{
    try {
        statement();
    } catch (const std::exception &) {
    }
}
