// The files brisk-ide reads from its command line, read safely: regular files only, bounded,
// and every failure with the system's reason.
#pragma once

#include <cstddef>
#include <string>

// A unit or a text to type is a few hundred kilobytes at most; this leaves room for any real
// one and keeps a mistaken name (a disk image, /dev/zero) from filling memory.
constexpr size_t kMaxInputFileBytes = 16 * 1024 * 1024;

// Reads the whole file. False with "cannot read NAME: reason" for a missing or unreadable
// file, anything that is not a regular file (a directory, a FIFO, a device) and a file larger
// than `limit`.
bool ReadInputFile(const std::string& name, std::string& text, std::string& error,
                   size_t limit = kMaxInputFileBytes);
