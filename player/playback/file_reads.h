// The file functions a track reads through: kernel32's, or a test's fakes
// that fail a read or hold it pending, as a disc taken out or spinning up
// does.
#pragma once

#include <windows.h>

namespace player {

struct FileReads {
  decltype(&::ReadFile) readFile;
  decltype(&::CancelIoEx) cancelIoEx;
};

// kernel32's own functions.
extern const FileReads kSystemFileReads;

}  // namespace player
