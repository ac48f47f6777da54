#pragma once

// Files a save has named but not yet finished must not outlive a program stopped by SIGINT,
// SIGTERM or SIGHUP. While such a name is registered, those signals (where nobody else
// handles them) first remove every registered name and then end the program as they would
// have. Registering and releasing may be done from any thread.

// Registers `path` for removal should the program be stopped; returns a handle for
// releasePendingName, or -1 when the table is full or the path too long (the file is then
// only removed by its save).
int registerPendingName(const char *path);
void releasePendingName(int handle);

// While an object of this type lives, a stop is held back: a file overwritten in place must
// be finished or put back before the program ends. The last one to go delivers the stop.
class HeldStop {
public:
    HeldStop();
    ~HeldStop();
    HeldStop(const HeldStop &) = delete;
    HeldStop &operator=(const HeldStop &) = delete;
};
