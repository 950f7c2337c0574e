// Test support for memo files: fresh memo files of each kind laid out byte by byte, and
// a runner for the independent xBase peers (python3-dbf, python3-dbfread).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "xbase/memo/MemoFactory.h"

namespace memotest {

// An empty memo file of the kind for the table `tableName` (path with ".dbf"): a 512-byte
// header, the first memo going to the first block after it.
void CreateEmptyMemo(xbase::MemoKind kind, const std::string& tableName, int blockSize = 512);

// Opens the memo of `tableName` of that kind.
std::unique_ptr<xbase::MemoFile> Open(xbase::MemoKind kind, const std::string& tableName,
                                      bool shared = true, int protocol = 0);

// Runs a Python 3 script with the Debian interpreter (which has the peers installed) and
// returns what it prints; fails the test when the script fails.
std::string RunPython(const std::string& script);

// Writes, with python3-dbf, the tables t3 (dBase III), tf (FoxPro) and tv (Visual FoxPro)
// into `folder`: NAME C(10) and NOTES M, records "one" with `firstMemo` (UTF-8, stored
// in GBK) and "two" with an empty memo.
void WritePeerMemoTables(const std::string& folder, const std::string& firstMemo);

// Decodes lower-case hex into bytes.
std::string FromHex(const std::string& hex);

// A text of n bytes that varies with `seed`, free of 0x1A.
std::string Text(std::size_t n, unsigned seed);

}  // namespace memotest
