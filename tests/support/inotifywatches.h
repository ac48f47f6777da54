#pragma once

// The inotify watches this process holds, as the kernel lists them in /proc/self/fdinfo.
int inotifyWatchesOfThisProcess();
