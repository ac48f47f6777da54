#pragma once

#include "foldersize/sizememorytable.h"

#include <functional>
#include <string>

class SizeMemory;

// What the builder needs from its thread while it walks.
struct BuildTurns {
    // Asked before each subfolder: false abandons the build at once (its tickets are dropped).
    std::function<bool()> takeTurn;
    // Called after each folder is watched and before it is read (tests land changes there).
    std::function<void()> beforeRead;
};

// Walks the folder at path, if it is still the folder key names, through the memory as its
// contract describes: every folder watched before it is read, its total handed over once its
// subtree is summed. It counts exactly as the scanner does (regular files by length, once per
// name; links not followed) and marks inexact, so never remembered, whatever it does not see
// whole: a file with two names, an entry it could not stat, a subfolder it could not open or
// that is another mount. False when abandoned (takeTurn, or a folder moved away under it).
bool buildMemoryOf(SizeMemory &memory, const std::string &path, FolderKey key,
                   const BuildTurns &turns);
