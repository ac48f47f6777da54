#pragma once

#include "app/cli/commandline.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

// The options that read or write a scan file, or compare with an earlier look: --save-scan,
// --open-scan and --compare.
struct ScanFileOptions {
    QCommandLineOption openScan{
        QStringLiteral("open-scan"),
        QStringLiteral("Chart a scan file written by --save-scan, ncdu -o or gdu -o (\"-\": "
                       "standard input) instead of the disk, in the window or for the outputs: "
                       "the scan's top folder, or FOLDER as a path inside the scan (relative to "
                       "its top folder, or the full path that was scanned). Nothing on the disk "
                       "is looked at."),
        QStringLiteral("FILE")};
    QCommandLineOption saveScan{
        QStringLiteral("save-scan"),
        QStringLiteral("Write every folder and file below FOLDER (name, length, space on disk, "
                       "device, inode and link count of a file with several names) to FILE in "
                       "ncdu's JSON export format, which ncdu -f and gdu -f open. No other "
                       "output goes with it."),
        QStringLiteral("FILE")};
    QCommandLineOption compare{
        QStringLiteral("compare"),
        QStringLiteral("Compare with OLD, a scan file, or \"history\" for the newest look of "
                       "the folder the window recorded: --json gives each subfolder its "
                       "\"before\" size and \"change\", and the subfolders gone since; standard "
                       "error gets a summary of the largest growth."),
        QStringLiteral("OLD")};
};

// Takes those options into `line` once FOLDER and the outputs are in it (each depends on
// them), or says what is wrong with them; empty text when nothing is.
QString readScanFileOptions(const QCommandLineParser &parser, const ScanFileOptions &options,
                            CommandLine &line);
