#pragma once

#include "support/runinchild.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <sys/types.h>

// Open descriptors of this process, to show that a scan gives back every one it took.
int openDescriptorCount();
// Open descriptors of this process on path or below it.
int descriptorsBelow(const std::string &path);

// What a plain walk on one thread finds below path: the lengths of its regular files at
// every depth, one per name, no link followed.
std::int64_t referenceTotal(const std::string &path);

// Reads directories as the scanner does, with what a test may change: entry types the file
// system does not report, a small read, a pause before each read, a hook before each read.
// Safe to use from several workers at once.
struct TestDirectoryReader {
    bool blankTypes = false;
    std::size_t readLimit = 0; // bytes per read, 0 for as many as asked
    std::chrono::milliseconds pause{0};
    std::function<void(int fd)> beforeRead;
    std::atomic<int> reads{0};

    ssize_t read(int fd, char *buffer, std::size_t size);
};
