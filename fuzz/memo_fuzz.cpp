// Fuzz target for memo reading: the input is a memo file (after a byte choosing the kind
// and a byte choosing what to do with it). Every memo the file's header and the chosen
// block numbers lead to is read, sized and, when asked, rewritten; a bad file may only
// end in the engine's error.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "xbase/file/EngineError.h"
#include "xbase/memo/FoxMemoFile.h"
#include "xbase/memo/MemoFile4.h"

namespace {

std::unique_ptr<xbase::MemoFile> OpenKind(int kind, const std::string& table) {
    xbase::MemoOptions options;
    options.tableName = table;
    options.shared = true;
    options.readWrite = true;
    switch (kind) {
        case 0:
            return std::make_unique<xbase::MemoFile>(options);
        case 1:
            return std::make_unique<xbase::MemoFile4>(options);
        default:
            return std::make_unique<xbase::FoxMemoFile>(options);
    }
}

void Exercise(xbase::MemoFile& memo, std::uint8_t actions, const std::uint8_t* data,
              std::size_t size) {
    std::vector<std::int32_t> blocks = {1, 2, 3, 8, 16, 32, 33, 64};
    for (std::size_t i = 0; i + 4 <= size && blocks.size() < 24; i += 97) {
        blocks.push_back(static_cast<std::int32_t>(data[i] | data[i + 1] << 8));
    }
    for (std::int32_t block : blocks) {
        try {
            std::string text = memo.ReadMemoText(block);
            if (memo.MemoSize(block) != text.size()) std::abort();
            if ((actions & 1) != 0) {
                std::string next = text.size() > 40 ? text.substr(0, 40) : text + "+grown text";
                std::int32_t ref = block;
                memo.WriteMemo(next, ref);
                if (memo.ReadMemoText(ref) != next) std::abort();
            }
        } catch (const xbase::XBaseError&) {
        }
    }
    if (auto* memo4 = dynamic_cast<xbase::MemoFile4*>(&memo)) {
        try {
            std::vector<xbase::MemoFile4::FreeRun> runs;
            memo4->FreeChain(runs);
        } catch (const xbase::XBaseError&) {
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2 || size > 256 * 1024) return 0;
    int kind = data[0] % 3;
    std::uint8_t actions = data[1];
    const std::string table = fuzz::WorkDirectory() + "/fuzz.dbf";
    const std::string file = fuzz::WorkDirectory() + (kind == 2 ? "/FUZZ.FPT" : "/FUZZ.DBT");
    std::FILE* out = std::fopen(file.c_str(), "wb");
    if (out == nullptr) return 0;
    std::fwrite(data + 2, 1, size - 2, out);
    std::fclose(out);
    try {
        auto memo = OpenKind(kind, table);
        Exercise(*memo, actions, data + 2, size - 2);
    } catch (const xbase::XBaseError&) {
    }
    std::remove(file.c_str());
    return 0;
}
