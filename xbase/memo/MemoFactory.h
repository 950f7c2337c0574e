// Which memo file a table has, and opening it: the kind follows the table's version
// byte (dBase III and IV ".DBT", FoxPro and Visual FoxPro ".FPT").
#pragma once

#include <cstdint>
#include <memory>

#include "xbase/memo/MemoFile.h"

namespace xbase {

class DbfFile;

enum class MemoKind { None, DBase3, DBase4, FoxPro };

// The memo kind of a table. A Visual FoxPro table uses its FoxPro memo when its header
// says so, and also when it has memo or general fields although the header's memo flag
// is clear (some programs leave the flag unset).
MemoKind MemoKindFor(std::uint8_t version, std::uint8_t tableFlags, bool hasMemoFields);

// Whether a field of this type keeps its value in the memo file: M and G always, B in
// dBase and FoxPro tables (in Visual FoxPro tables B is an 8-byte double).
bool IsMemoFieldType(char type, std::uint8_t version);

// Opens the memo file of `table` with its modes and lock protocol; nullptr when the
// table's version carries no memo file. A missing file is error 2 with subcode 6101.
std::unique_ptr<MemoFile> OpenMemoFile(DbfFile& table);

// Opens a memo file of a given kind for a table name (tests and tools).
std::unique_ptr<MemoFile> OpenMemoFile(MemoKind kind, const MemoOptions& options,
                                       DbfFile* owner = nullptr);

}  // namespace xbase
