#pragma once

#include <thread>

// Starts a thread as std::thread does, and like it throws std::system_error when the system
// has no thread to give (a thread or address-space limit); every thread of the size scanner
// and the size memory starts here, so that tests can make that happen.
template<class Entry> std::thread startThread(Entry entry);

// For tests: after `starts` more threads, startThread fails as it does when the system has
// none left; a negative count lifts the limit.
void LimitScanThreadStartsForTesting(int starts);

// Takes one start from the testing limit; throws std::system_error when it is used up.
void takeThreadStart();

template<class Entry> std::thread startThread(Entry entry)
{
    takeThreadStart();
    return std::thread(std::move(entry));
}
