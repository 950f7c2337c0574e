// Windows-style path names on a POSIX host.
//
// The engine keeps every file's name as a Windows-style full path in upper case
// ("C:\TAX\FA_PIAO.DBF") for messages and comparisons. The real file is found by mapping
// the drive letter to a configured host directory, turning '\' into '/', and matching
// every path component without regard to case. Host paths (starting with '/') pass
// through the same case-insensitive matching.
#pragma once

#include <optional>
#include <string>

namespace platform {

// Host directory that drive `letter` maps to. Default for every drive:
// $TAXBRIDGE_DRIVE_<L> if set, else $XDG_DATA_HOME/taxbridge/drive_<l>
// (~/.local/share/taxbridge/drive_<l>).
std::string DriveRoot(char letter);
void SetDriveRoot(char letter, const std::string& hostDirectory);

// Expands a name to a full path as the disk layer does: a name containing "\\" or whose
// first colon stands after its second character is taken as given; any other name is
// made full and normalised ("." and ".." folded, repeated separators dropped):
//   "c:\tax\x.dbf", "c:/tax/x.dbf", "c:x.dbf"  -> "C:\TAX\X.DBF" (Windows style, '\')
//   "/tmp/x.dbf", "\tmp\x.dbf"                 -> "/TMP/X.DBF"     (host path, '/')
//   "x.dbf", "sub\x.dbf"                       -> "<CURRENT DIRECTORY>/X.DBF", ".../SUB/X.DBF"
// A trailing separator is kept. The result is upper case (UpperAscii).
std::string ExpandFullPath(const std::string& name);
// The same expansion without upper-casing (the name's own case is kept).
std::string ExpandPath(const std::string& name);

// Finds the host file for a (possibly Windows-style) full path: the drive letter becomes
// its mapped directory, '\' and '/' both separate components, "." and ".." are folded
// (never above the drive's directory), and each component is matched exactly first,
// then without regard to ASCII case against the directory's entries (of several such
// entries the smallest name in byte order). A component that does not exist, and every
// one after it, is kept as written, so the result can name a file that is about to be
// created: with an upper-case full path a new file gets an upper-case name; pass the
// name in the case it should have on disk (ExpandPath) to keep that case. Nothing is
// cached: every call looks at the directories as they are now.
std::string ResolveHostPath(const std::string& fullPath);

// Directory of the running program (for the "Default Directory" alias).
std::string ProgramDirectory();

// The Windows directory, where "xbase.cfg" lives: $TAXBRIDGE_WINDIR if set, else
// $XDG_CONFIG_HOME/taxbridge (~/.config/taxbridge), unless set here.
std::string WindowsDirectory();
void SetWindowsDirectory(const std::string& hostDirectory);

// Upper-cases ASCII letters only (CharUpperBuffA on the ANSI code page leaves
// multi-byte characters alone).
std::string UpperAscii(std::string text);

}  // namespace platform
