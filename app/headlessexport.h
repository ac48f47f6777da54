#pragma once

struct CommandLine;

// Charts the command line's folder without a window, with the listing, scanner and chart
// model the window uses, and writes every output the command line asks for, each as the
// window's export of the same chart would. Needs the application object; works on the
// offscreen platform. Returns the exit status: 0 when every output was written, 1 when one
// or more were not (each told on standard error).
int runHeadlessExport(const CommandLine &line);
