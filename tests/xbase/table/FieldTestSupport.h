// Test support for the field conversions: a record laid out from field specs, a hook that
// records engine reports instead of throwing, and a guard for the format settings.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FormatSettings.h"
#include "xbase/file/EngineError.h"
#include "xbase/table/FieldCodec.h"

namespace xbase::test {

struct FieldShape {
    const char* name;
    char type;
    int length;
    int decimals = 0;
};

// One record buffer with its fields laid out as a table open would: deletion flag at 0,
// the first field at offset 1, each field after the previous one.
class TestRecord {
public:
    TestRecord(std::uint8_t version, std::initializer_list<FieldShape> specs,
               std::string_view fileName = "C:\\TAX\\FA_PIAO.DBF")
        : fileName_(fileName) {
        int offset = 1;
        int number = 1;
        for (const FieldShape& layout : specs) {
            FieldDescriptor f;
            f.name = layout.name;
            f.type = layout.type;
            f.length = layout.length;
            f.decimals = layout.decimals;
            f.offset = offset;
            f.number = number++;
            offset += layout.length;
            fields.push_back(f);
        }
        bytes.assign(static_cast<std::size_t>(offset), ' ');
        context = TableContext{version, fileName_};
    }

    const FieldDescriptor& field(std::string_view name) const {
        for (const FieldDescriptor& f : fields)
            if (f.name == name) return f;
        throw std::logic_error("no test field " + std::string(name));
    }
    std::uint8_t* data() { return bytes.data(); }

    // The field's whole stored bytes.
    std::string stored(std::string_view name) const {
        const FieldDescriptor& f = field(name);
        return std::string(reinterpret_cast<const char*>(bytes.data()) + f.offset,
                           static_cast<std::size_t>(f.length));
    }
    // Stores bytes as they are (no alignment); `text` must be exactly the field's length.
    void store(std::string_view name, std::string_view text) {
        const FieldDescriptor& f = field(name);
        if (text.size() != static_cast<std::size_t>(f.length)) throw std::logic_error("length");
        std::memcpy(bytes.data() + f.offset, text.data(), text.size());
    }

    std::vector<FieldDescriptor> fields;
    std::vector<std::uint8_t> bytes;
    TableContext context;

private:
    std::string fileName_;
};

struct Report {
    int code;
    int subcode;
    std::string text;
};

// Replaces the engine's error hook with one that records and returns, for the length of
// a test; the operations then return their empty results.
class RecordingHook {
public:
    RecordingHook() : previous_(EngineErrorHook()) {
        reports().clear();
        SetEngineErrorHook(&Record);
    }
    ~RecordingHook() { SetEngineErrorHook(previous_); }
    RecordingHook(const RecordingHook&) = delete;
    RecordingHook& operator=(const RecordingHook&) = delete;

    static std::vector<Report>& reports() {
        static std::vector<Report> list;
        return list;
    }

private:
    static void Record(int code, int subcode, const std::string& text) {
        reports().push_back({code, subcode, text});
    }
    EngineErrorHookFn previous_;
};

// Runs `action`, which must throw XBaseError with that code and subcode and, when given,
// that message.
template <class Action>
void ExpectEngineError(Action&& action, int code, int subcode, const char* message = nullptr) {
    try {
        action();
        ADD_FAILURE() << "no XBaseError";
    } catch (const XBaseError& e) {
        EXPECT_EQ(e.code(), code);
        EXPECT_EQ(e.subcode(), subcode);
        if (message != nullptr) {
            EXPECT_STREQ(e.what(), message);
        }
    }
}

// Sets the process-wide format settings for one test and puts the old ones back.
class SettingsGuard {
public:
    SettingsGuard(const std::string& shortDateFormat, char dateSeparator)
        : saved_(platform::ProcessFormatSettings()) {
        platform::ProcessFormatSettings().shortDateFormat = shortDateFormat;
        platform::ProcessFormatSettings().dateSeparator = dateSeparator;
    }
    ~SettingsGuard() { platform::ProcessFormatSettings() = saved_; }
    SettingsGuard(const SettingsGuard&) = delete;
    SettingsGuard& operator=(const SettingsGuard&) = delete;

private:
    platform::FormatSettings saved_;
};

}  // namespace xbase::test
