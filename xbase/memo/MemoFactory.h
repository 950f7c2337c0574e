// Which memo file a table has, and opening it: the kind follows the table's version
// byte (dBase III and IV ".DBT", FoxPro and Visual FoxPro ".FPT").
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "xbase/memo/MemoFile.h"

namespace xbase {

enum class MemoKind { None, DBase3, DBase4, FoxPro };

// The memo kind of a table. A Visual FoxPro table uses its FoxPro memo when its header
// says so, and also when it has memo or general fields although the header's memo flag
// is clear (some programs leave the flag unset).
MemoKind MemoKindFor(std::uint8_t version, std::uint8_t tableFlags, bool hasMemoFields);

// Whether a field of this type keeps its value in the memo file: M and G always, B in
// dBase and FoxPro tables (in Visual FoxPro tables B is an 8-byte double).
bool IsMemoFieldType(char type, std::uint8_t version);

// Opens a memo file of a given kind with the table's name, version, modes and lock
// protocol; nullptr for MemoKind::None. A missing file is error 2 with subcode 6101.
std::unique_ptr<MemoFile> OpenMemoFile(MemoKind kind, const MemoOptions& options);

// The bytes of an empty memo file of `kind` (its header area; the next free block is
// the first after it). `blockSize` 0 takes 512 for dBase memos and 64 for FoxPro memos.
// Throws std::invalid_argument for a block size the kind cannot hold.
std::vector<std::uint8_t> EmptyMemoFileBytes(MemoKind kind, int blockSize);

}  // namespace xbase
