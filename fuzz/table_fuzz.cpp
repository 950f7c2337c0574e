// Fuzz target for table reading and writing: the input is a table file after one byte
// choosing what to do with it. The table is opened shared, walked forward and back with
// every field read in every form, visited at record numbers taken from the input and,
// when asked, appended to, replaced, deleted and recalled. A bad file may only end in
// the engine's errors; the text view and the copied text must always agree.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "FuzzSupport.h"
#include "xbase/cursor/DbfHandler.h"
#include "xbase/file/EngineError.h"
#include "xbase/table/DbfDate.h"

namespace {

constexpr int kMaxSteps = 2000;  // records walked per direction

// Runs one engine call; the engine's own errors are the expected end of a bad file.
template <class Call>
void Guarded(Call&& call) {
    try {
        call();
    } catch (const xbase::XBaseError&) {
    } catch (const xbase::DateConversionError&) {
    } catch (const xbase::XBaseEncryptionError&) {
    }
}

void ReadEveryField(xbase::DbfHandler& table) {
    std::string copied;
    for (int n = 0; n <= table.FieldCount() + 1; ++n) {
        Guarded([&] {
            const std::string viewed(table.GetFieldTextView(n));
            table.GetFieldText(n, copied);
            if (viewed != copied) std::abort();
        });
        Guarded([&] { table.GetFieldRaw(n); });
        Guarded([&] { table.GetFieldNumber(n); });
        Guarded([&] { table.GetFieldDate(n); });
        Guarded([&] { table.GetFieldLogical(n); });
        Guarded([&] { table.FieldIsNull(n); });
    }
}

void Walk(xbase::DbfHandler& table, std::int32_t start, std::int32_t step) {
    Guarded([&] {
        table.GoTo(start);
        for (int i = 0; i < kMaxSteps && !table.Eof() && !table.Bof(); ++i) {
            ReadEveryField(table);
            table.GoTo(step);
        }
    });
}

void Write(xbase::DbfHandler& table) {
    Guarded([&] {
        table.BlankRecord();
        for (int n = 1; n <= table.FieldCount(); ++n) Guarded([&] { table.PutFieldText(n, "12"); });
        const std::int32_t before = table.RecordCount();
        if (table.AppendRecord() && table.RecordCount() != before + 1) std::abort();
    });
    Guarded([&] {
        table.GoTo(xbase::move::First);
        if (table.Eof()) return;
        Guarded([&] { table.PutFieldNumber(1, 7.0); });
        table.ReplaceRecord(table.CurrentRecord());
        table.DeleteRecord();
        table.RecallRecord();
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || size > 256 * 1024) return 0;
    const std::uint8_t actions = data[0];
    const std::string file = fuzz::WorkDirectory() + "/FUZZ.DBF";
    std::FILE* out = std::fopen(file.c_str(), "wb");
    if (out == nullptr) return 0;
    std::fwrite(data + 1, 1, size - 1, out);
    std::fclose(out);
    Guarded([&] {
        xbase::DbfHandler table(file, true, true);
        table.SetReadAhead((actions & 1) != 0);
        Walk(table, xbase::move::First, xbase::move::Next);
        Walk(table, xbase::move::Last, xbase::move::Prior);
        for (std::size_t i = 1; i + 2 <= size && i < 64; i += 7) {
            const auto record = static_cast<std::int32_t>(data[i] | data[i + 1] << 8) - 8;
            Guarded([&] {
                table.GoTo(record);
                ReadEveryField(table);
            });
        }
        if ((actions & 2) != 0) Write(table);
    });
    std::remove(file.c_str());
    return 0;
}
