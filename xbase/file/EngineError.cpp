// Engine errors: the message list, message composition and the replaceable hook.
#include "xbase/file/EngineError.h"

#include <array>
#include <atomic>
#include <charconv>

namespace xbase {

namespace {

// Searched in this order; the first entry with the code gives the text (5 and 32 share
// one text on purpose).
constexpr std::array<EngineErrorEntry, 29> kList{{
    {err::FileNotFound, "File not found"},
    {err::PathNotFound, "Path not found"},
    {err::TooManyOpenFiles, "Too many open files"},
    {err::AccessDenied, "File access denied"},
    {12, "Invalid file access code"},
    {15, "Invalid drive number"},
    {err::SharingViolation, "File access denied"},
    {err::LockViolation, "Record locked by another user"},
    {100, "Disk read error"},
    {101, "Disk write error"},
    {102, "File not assigned"},
    {103, "File not open"},
    {104, "File not open for input"},
    {105, "File not open for output"},
    {106, "Invalid numeric format"},
    {150, "Disk is write-protected"},
    {152, "Drive not ready"},
    {162, "Hardware failure"},
    {err::AlreadyExists, "File already exists"},
    {err::HeaderInvalid, "dBase DBF file header invalid"},
    {err::BeyondEof, "dBase record request beyond EOF"},
    {err::FieldNameInvalid, "dBase field name is invalid"},
    {err::FieldTypeIncorrect, "dBase field is of incorrect type"},
    {err::MemoFormat, "dBase memo record has format error"},
    {err::FormulaInvalid, "Formula expression cannot be translated"},
    {err::NumberTooLarge, "Number too large to fit in field"},
    {err::PasswordForPlainFile, "A Password is included for unencrypted file %s"},
    {err::NoPasswordForEncrypted, "No Password for encrypted file %s"},
    {err::InvalidPassword, "Invalid Password for encrypted file %s"},
}};

std::atomic<EngineErrorHookFn> gHook{&RaiseEngineError};

void appendInt(std::string& out, int value) {
    char buf[16];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, res.ptr);
}

}  // namespace

std::span<const EngineErrorEntry> EngineErrorList() { return kList; }

const std::string_view* EngineErrorText(int code) {
    for (const auto& entry : kList)
        if (entry.code == code) return &entry.text;
    return nullptr;
}

std::string EncryptionMessage(int code, std::string_view fullPath) {
    const std::string_view* text = EngineErrorText(code);
    if (text == nullptr) return {};
    std::string out(*text);
    if (auto pos = out.find("%s"); pos != std::string::npos) out.replace(pos, 2, fullPath);
    return out;
}

void RaiseEncryptionError(int code, std::string_view fullPath) {
    throw XBaseEncryptionError(EncryptionMessage(code, fullPath));
}

std::string ComposeEngineMessage(int code, int subcode, std::string_view text) {
    std::string message;
    if (const std::string_view* listed = EngineErrorText(code)) {
        // Listed code: list text, " - " and the text, even when the text is empty.
        message.reserve(listed->size() + 3 + text.size());
        message.append(*listed).append(" - ").append(text);
        return message;
    }
    // Two unlisted codes that other programs' files commonly give are said in words.
    if (code == err::ShortRead)
        return "File is shorter than its header says - " + std::string(text);
    if (code == err::NotRegularFile) return std::string(text) + " is not a regular file";
    // Unlisted: "XBase Error <code>[, SubCode <sub>].\r[ <text>><sub>]". Negative
    // subcodes other than -7 are treated like any other subcode.
    message.append("XBase Error ");
    appendInt(message, code);
    if (subcode != sub::None) {
        message.append(", SubCode ");
        appendInt(message, subcode);
    }
    message.append(".\r");
    if (!text.empty()) {
        message.append(" ").append(text).append(">");
        appendInt(message, subcode);
    }
    return message;
}

void RaiseEngineError(int code, int subcode, const std::string& text) {
    throw XBaseError(ComposeEngineMessage(code, subcode, text), code, subcode);
}

EngineErrorHookFn EngineErrorHook() { return gHook.load(std::memory_order_acquire); }

void SetEngineErrorHook(EngineErrorHookFn hook) {
    // A null hook would lose every report; fall back to the default.
    gHook.store(hook != nullptr ? hook : &RaiseEngineError, std::memory_order_release);
}

void ReportEngineError(int code, int subcode, const std::string& text) {
    EngineErrorHook()(code, subcode, text);
}

}  // namespace xbase
