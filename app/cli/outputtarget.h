#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

struct CommandLine;

// Where one of the command line's outputs goes, decided before anything is scanned.
struct OutputTarget {
    enum class Kind {
        Replace, // a regular file or a new name: a new file beside it renamed over it
        Stream,  // "-", /dev/stdout, a FIFO, a character device: written to directly
    };

    enum class Format { Text, Jpg, Xlsx, Json };

    Format format = Format::Text;
    QString file; // as the command line gives it
    Kind kind = Kind::Replace;
    QByteArray path; // the file system's bytes; empty for a descriptor
    int fd = -1;     // a Stream that is one of the program's own open descriptors
    bool binary = false;
};

// Checks every FILE of the command line before any scanning: the folder of a file to replace
// exists and takes a new file, no FILE is a folder, a block device or a socket, standard output
// or a named descriptor is open for writing, a picture or workbook does not go to a terminal,
// a device is there to open (not ENXIO), and no two outputs are one file (by device and
// inode; a name is followed through its links as the save will follow it, so a link that
// leads nowhere is known by the file the save would create and its folder must exist).
// Opens nothing that could block, and each FILE is checked off the calling thread within
// line.timeout: a FILE on a mount that stopped answering is refused ("it did not answer").
// Returns the reason of the first problem, as "cannot write FILE: reason", or empty text
// with `targets` filled in the order --text, --jpg, --xlsx, --json.
QString checkOutputTargets(const CommandLine &line, QList<OutputTarget> &targets);

// The descriptor a name such as "-", /dev/stdout, /dev/stderr, /dev/fd/N or /proc/self/fd/N
// stands for, or -1. Such a name is written through the descriptor the program was given, so
// that `> file` and `>> file` keep their meaning.
int descriptorNamed(const QString &file);
