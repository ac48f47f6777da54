#pragma once

#include <QByteArray>
#include <QStringList>
#include <sys/stat.h>

// In-place saves under way (inplacewrite.h), each noted by a small file in
// $XDG_DATA_HOME/quorvane/saves-under-way/ named after the saved file's device and inode and
// holding its path. A save that a kill or a power cut stopped leaves its note with its backup,
// so the next start of the program finds it even if that file is never saved again.

// Notes the in-place save of the file at path, whose status is `saved`; returns the note's
// name, empty when none could be written (the save goes on: the backup beside the file still
// shows a stopped save to the next save of that file).
QByteArray noteSaveUnderWay(const QByteArray &path, const struct stat &saved);
// Removes the note of a save that ended (its backup gone or reported).
void forgetSave(const QByteArray &note);

// Puts back what every noted save that was stopped left in its backup, and removes those
// notes; a save still under way in another instance of the program is left alone. Returns one
// line for each stopped save whose old contents could not be put back: its note stays, so it
// is told again at the next start, never silently left.
QStringList restoreStoppedSaves();

// The folder of the notes (created by the first note).
QByteArray saveNotesFolder();
