// Engine errors: codes, subcodes, message texts and the one hook every report passes.
//
// A report carries an error code (Windows codes below 1000, engine codes 1001...), a
// subcode saying where it happened, and a text (a path or a field name). The default hook
// composes the message and throws XBaseError.
#pragma once

#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/ErrorCode.h"

namespace xbase {

class XBaseError : public std::runtime_error {
public:
    XBaseError(const std::string& message, int code = 0, int subcode = 0)
        : std::runtime_error(message), code_(code), subcode_(subcode) {}
    int code() const { return code_; }
    int subcode() const { return subcode_; }

private:
    int code_;
    int subcode_;
};

class XBaseEncryptionError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

class XBaseExpressionError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Error codes the engine reports: the system's file codes (platform/ErrorCode.h), the
// short read the disk layer records, and the engine's own codes from 1001.
namespace err {
constexpr int FileNotFound = platform::errc::FileNotFound;
constexpr int PathNotFound = platform::errc::PathNotFound;
constexpr int TooManyOpenFiles = platform::errc::TooManyOpenFiles;
constexpr int AccessDenied = platform::errc::AccessDenied;
constexpr int SharingViolation = platform::errc::SharingViolation;
constexpr int LockViolation = platform::errc::LockViolation;
constexpr int AlreadyExists = platform::errc::AlreadyExists;
// Fewer bytes than asked arrived (reading at or past the end): recorded, never raised by
// the disk layer itself.
constexpr int ShortRead = 221;
constexpr int NotRegularFile = 1920;  // a pipe, device or directory where a file should be
constexpr int HeaderInvalid = 1001;
constexpr int BeyondEof = 1002;
constexpr int FieldNameInvalid = 1003;
constexpr int FieldTypeIncorrect = 1004;
constexpr int MemoFormat = 1005;
constexpr int FormulaInvalid = 1006;
constexpr int NumberTooLarge = 1011;
constexpr int PasswordForPlainFile = 1269;
constexpr int NoPasswordForEncrypted = 1270;
constexpr int InvalidPassword = 1271;
}  // namespace err

// Subcodes: where the failure happened.
namespace sub {
constexpr int None = -7;
constexpr int DiskRead = 1101;
constexpr int DiskWrite = 1102;
constexpr int DiskSize = 1105;
constexpr int DiskRename = 1106;
constexpr int DiskOpen = 1107;
constexpr int DiskCreate = 1108;
constexpr int DiskTruncate = 1109;
constexpr int DiskFlush = 1111;
constexpr int TableOpen = 1204;
constexpr int RecordRead = 1207;
constexpr int DateWrite = 1251;
constexpr int NumberWrite = 1261;
constexpr int LogicalWrite = 1262;
constexpr int FieldName = 1298;
constexpr int FieldType = 1299;
}  // namespace sub

// One entry of the engine's message list.
struct EngineErrorEntry {
    int code;
    std::string_view text;
};

// The 29 entries of the message list, in the order they are searched. The texts of
// 1269 to 1271 contain "%s" for the table's full path.
std::span<const EngineErrorEntry> EngineErrorList();

// The list text of a code (first match in list order), or nullptr when it is not listed.
const std::string_view* EngineErrorText(int code);

// The password-check messages (1269, 1270, 1271) with the table's full path in place of
// "%s"; for use with XBaseEncryptionError. Another listed code gives its list text,
// an unlisted code an empty text.
std::string EncryptionMessage(int code, std::string_view fullPath);
[[noreturn]] void RaiseEncryptionError(int code, std::string_view fullPath);

// The message for a report: "<list text> - <text>" for listed codes; "File is shorter
// than its header says - <text>" for 221 and "<text> is not a regular file" for 1920;
// else "XBase Error <code>[, SubCode <sub>].\r[ <text>><sub>]".
std::string ComposeEngineMessage(int code, int subcode, std::string_view text);

// Builds the message and throws XBaseError; never returns.
[[noreturn]] void RaiseEngineError(int code, int subcode, const std::string& text);

using EngineErrorHookFn = void (*)(int code, int subcode, const std::string& text);

// The replaceable hook (RaiseEngineError by default). A hook that returns lets the failing
// operation return its empty result.
EngineErrorHookFn EngineErrorHook();
void SetEngineErrorHook(EngineErrorHookFn hook);

// Passes a report through the hook.
void ReportEngineError(int code, int subcode, const std::string& text);

}  // namespace xbase
