// The framework's message texts, in one place so that every dataset reports a refusal in
// the same words. "%s" stands for a field name, a value or a file name.
#pragma once

namespace data::msg {

inline constexpr const char* DataSetClosed = "Cannot perform this operation on a closed dataset";
inline constexpr const char* DataSetOpen = "Cannot perform this operation on an open dataset";
inline constexpr const char* DataSetEmpty = "Cannot perform this operation on an empty dataset";
inline constexpr const char* DataSetReadOnly = "Cannot modify a read-only dataset";
inline constexpr const char* NotEditing = "Dataset not in edit or insert mode";
inline constexpr const char* NotBrowsing = "Dataset not in browse mode";
inline constexpr const char* FieldNotFound = "Field '%s' not found";
inline constexpr const char* FieldReadOnly = "Field '%s' cannot be modified";
inline constexpr const char* FieldRequired = "Field '%s' must have a value";
inline constexpr const char* DuplicateFieldName = "Duplicate field name '%s'";
inline constexpr const char* FieldTypeMismatch = "Type mismatch for field '%s'";
inline constexpr const char* FieldAccessError = "Cannot access field '%s' as type %s";
inline constexpr const char* FieldIndexError = "Field index out of range";
inline constexpr const char* FieldRangeError =
    "%s is not a valid value for field '%s'. The allowed range is %s to %s";
inline constexpr const char* FieldWithoutDataSet = "Field '%s' has no dataset";
inline constexpr const char* InvalidInteger = "'%s' is not a valid integer value";
inline constexpr const char* InvalidFloat = "'%s' is not a valid floating point value";
inline constexpr const char* InvalidBoolean = "'%s' is not a valid boolean value";
inline constexpr const char* InvalidDate = "'%s' is not a valid date";
inline constexpr const char* InvalidDateTime = "'%s' is not a valid date and time";
inline constexpr const char* DateOutOfRange = "Date value out of range";
inline constexpr const char* RecordNotFound = "Record not found";
inline constexpr const char* BookmarkNotFound = "Bookmark not found";
inline constexpr const char* CircularDataLink = "Circular datalinks are not allowed";
inline constexpr const char* BlobNotOpenForWrite = "Blob stream not open for writing";

}  // namespace data::msg
