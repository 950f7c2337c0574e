// The system error codes that file operations report: the Windows numbers, which both the
// platform layer (mapping the host's errno) and the table engine (choosing its messages)
// use. Written here once; the engine's own codes (1001 and above) are in
// xbase/file/EngineError.h.
#pragma once

namespace platform::errc {

constexpr int FileNotFound = 2;
constexpr int PathNotFound = 3;
constexpr int TooManyOpenFiles = 4;
constexpr int AccessDenied = 5;
constexpr int InvalidHandle = 6;
constexpr int NotEnoughMemory = 8;
constexpr int SharingViolation = 32;
constexpr int LockViolation = 33;
constexpr int InvalidParameter = 87;
constexpr int DiskFull = 112;
constexpr int AlreadyExists = 183;
constexpr int CantAccessFile = 1920;  // a file that is no regular file (pipe, device)

}  // namespace platform::errc
