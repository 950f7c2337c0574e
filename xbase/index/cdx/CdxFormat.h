// Byte layout of the compound index file (".CDX"): file, tag headers, interior nodes and
// compressed leaves. FoxPro-family programs read and write these same bytes, so every
// offset, size and flag below is fixed for good: never change one.
//
// All offsets are byte offsets in the file; every page is 512 bytes at a multiple of 512.
// Header and node-header numbers are little-endian; record numbers and child offsets
// inside interior entries are big-endian.
#pragma once

#include <cstddef>
#include <cstdint>

#include "xbase/file/ByteOrder.h"

namespace xbase::cdx {

constexpr std::uint32_t kPageSize = 512;
constexpr std::uint32_t kHeaderSize = 1024;     // a tag header spans two pages
constexpr std::uint32_t kEmptyFileSize = 1536;  // directory header plus its empty root
constexpr std::uint32_t kNoPage = 0xFFFFFFFFu;  // sibling link "none"
constexpr std::uint16_t kMaxKeyLength = 240;
constexpr std::uint16_t kDirectoryKeyLength = 10;  // tag names
constexpr std::size_t kMaxTagName = 10;

// Tag header (the directory tag's header is the file header at offset 0).
namespace hdr {
constexpr std::size_t Root = 0;         // u32 offset of the root node
constexpr std::size_t FreeList = 4;     // u32, written 0, never used
constexpr std::size_t Counter = 8;      // u32 change counter
constexpr std::size_t KeyLength = 12;   // u16
constexpr std::size_t Options = 14;     // u8, option bits below
constexpr std::size_t Signature = 15;   // u8: 1 machine, 2 general collation
constexpr std::size_t Collation = 494;  // 8 bytes: "GENERAL", "MACHINE" or zeros
constexpr std::size_t CollationSize = 8;
constexpr std::size_t Descending = 502;      // u16: 0 ascending, 1 descending
constexpr std::size_t KeyExprLength = 504;   // u16 key expression length + 1
constexpr std::size_t ForExprLength = 506;   // u16 FOR expression length + 1 (1: none)
constexpr std::size_t Reserved = 508;        // u16 zero
constexpr std::size_t KeyExprLength2 = 510;  // u16 key expression length + 1 again
constexpr std::size_t ExprText = 512;        // key text, NUL, FOR text, NUL
constexpr std::size_t ExprArea = 512;
}  // namespace hdr

namespace opt {
constexpr std::uint8_t Unique = 0x01;
constexpr std::uint8_t HasFor = 0x08;
constexpr std::uint8_t Compact = 0x20;
constexpr std::uint8_t Compound = 0x40;
constexpr std::uint8_t Directory = 0x80;
constexpr std::uint8_t OrdinaryTag = Compact | Compound;               // 0x60
constexpr std::uint8_t DirectoryTag = Compact | Compound | Directory;  // 0xE0
}  // namespace opt

constexpr std::uint8_t kSignatureMachine = 1;
constexpr std::uint8_t kSignatureGeneral = 2;
constexpr char kCollationGeneral[] = "GENERAL";
constexpr char kCollationMachine[] = "MACHINE";

// Node header, both kinds.
namespace node {
constexpr std::size_t Attributes = 0;        // u16, values below
constexpr std::size_t KeyCount = 2;          // u16
constexpr std::size_t Left = 4;              // u32 left sibling offset or kNoPage
constexpr std::size_t Right = 8;             // u32 right sibling offset or kNoPage
constexpr std::size_t InteriorEntries = 12;  // key, record (BE u32), child (BE u32)
constexpr std::size_t InteriorArea = 500;    // bytes for interior entries
// Leaf header after the common part.
constexpr std::size_t FreeBytes = 12;    // u16
constexpr std::size_t RecordMask = 14;   // u32
constexpr std::size_t DupMask = 18;      // u8
constexpr std::size_t TrailMask = 19;    // u8
constexpr std::size_t RecordBits = 20;   // u8
constexpr std::size_t DupBits = 21;      // u8
constexpr std::size_t TrailBits = 22;    // u8
constexpr std::size_t EntryBytes = 23;   // u8, 3 or more
constexpr std::size_t LeafEntries = 24;  // entries from here, key bytes from the page end
constexpr std::size_t LeafArea = 488;    // bytes shared by entries and key bytes
}  // namespace node

namespace attr {
constexpr std::uint16_t Interior = 0;
constexpr std::uint16_t Root = 1;  // bit added to either kind for the root
constexpr std::uint16_t Leaf = 2;
}  // namespace attr

// A leaf that overflows gives its first keys, up to this many bytes, to a new left node.
constexpr std::size_t kSplitLeftBytes = 250;

// The layout's numbers are read and written with the engine's byte-order helpers.
using byteorder::GetBe32;
using byteorder::GetLe16;
using byteorder::GetLe32;
using byteorder::PutBe32;
using byteorder::PutLe16;
using byteorder::PutLe32;

}  // namespace xbase::cdx
