// The layout of a new table: the fields it is made with, checked against what its version
// can hold, and the header bytes (file header, field descriptors, terminator, and the
// Visual FoxPro back-link) that begin the file. CreateTable writes them to a new file;
// writers that lay out whole files (the demo folder) put their records after them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Clock.h"

namespace xbase {

// One field of a new table. `length` 0 takes the type's fixed width (D 8, L 1, I 4,
// T 8, Y 8, memo block numbers 10, or 4 in Visual FoxPro, B 8 in Visual FoxPro).
struct NewField {
    std::string name;  // 1 to 10 letters, digits or '_', starting with a letter
    char type = 'C';
    int length = 0;
    int decimals = 0;
    bool binary = false;  // Visual FoxPro C and M fields: no code-page translation
};

struct NewTableOptions {
    std::uint8_t codePageMark = 0;  // header byte 29 (see CodePageMarkFor)
    int memoBlockSize = 0;          // 0: 512 for dBase memos, 64 for FoxPro memos
    platform::LocalTime date{};     // last-update date; a zero year takes the clock's today
};

// The fields completed and checked for `version`: fixed widths filled in, names upper
// case. Throws std::invalid_argument naming the field and the reason: unknown version,
// no fields, more than the format holds, a name or type the version cannot hold, a
// length or decimals out of range, a repeated name, a record longer than 65,535 bytes.
std::vector<NewField> CheckedFields(std::uint8_t version, const std::vector<NewField>& fields);

// Whether a table of `version` with these (checked) fields keeps a memo file.
bool NeedsMemoFile(std::uint8_t version, const std::vector<NewField>& fields);

// The header bytes of a table with `recordCount` records (header length bytes in all).
// `fields` must come from CheckedFields; `options.date` must be set.
std::vector<std::uint8_t> TableHeaderBytes(std::uint8_t version,
                                           const std::vector<NewField>& fields,
                                           const NewTableOptions& options,
                                           std::uint32_t recordCount);

// The record length (deletion flag included) of checked fields.
int RecordLengthOf(const std::vector<NewField>& fields);

// The header's code page mark of a Windows/DOS code page (437, 850, 852, 866, 874, 932,
// 936, 949, 950, 1250 to 1255); 0 (no mark) for any other.
std::uint8_t CodePageMarkFor(int codePage);

}  // namespace xbase
