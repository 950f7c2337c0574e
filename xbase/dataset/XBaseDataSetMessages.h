// The xBase dataset's own database-error texts ("%s" stands for a path, a field name or
// a table name). The framework's texts it shares are in data/DataMessages.h.
#pragma once

namespace xbase::dsmsg {

inline constexpr const char* TableNameMissing = "Table name missing";
inline constexpr const char* CannotFindFile = "Cannot find file %s";
inline constexpr const char* RecordOutOfRange = "Record request beyond range of table";
inline constexpr const char* RecordLocked = "Record is locked by another user";
inline constexpr const char* CannotDelete = "Cannot delete the record";
inline constexpr const char* CannotRecall = "Cannot recall the record";
inline constexpr const char* InvalidBookmark = "Bookmark is invalid for table ";
inline constexpr const char* FieldNotIndexed = "Field '%s' is not indexed and cannot be modified";
inline constexpr const char* ErrorGetting = "Error getting %s";
inline constexpr const char* IndexAlreadyOpen = "Index file %s already open";
inline constexpr const char* MasterNoIndex = "Master/Detail relation failed, no index open for %s";
inline constexpr const char* MasterFieldMismatch =
    "Master/Detail relation failed, field missmatch for %s";
inline constexpr const char* CircularDataLink = "Circular datalinks are not allowed";

}  // namespace xbase::dsmsg
