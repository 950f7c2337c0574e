// taxbridge index list|walk|seek|create|reindex|check: looking into and keeping the index
// files beside a table. The kind of each file comes from its extension (.CDX, .NTX, .MDX,
// .NDX); the commands themselves know no format.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/CommandGroups.h"
#include "cli/TextTable.h"
#include "xbase/cursor/DbfHandler.h"
#include "xbase/dataset/TextTranslation.h"
#include "xbase/index/IndexCheck.h"
#include "xbase/index/IndexFile.h"
#include "xbase/index/IndexTag.h"

namespace cli {

namespace {

struct IndexArgs {
    std::string table;
    std::vector<std::string> files;
    std::string file;
    std::string tag;
    std::string key;
    std::string keyExpression;
    std::string forExpression;
    std::string format = "text";
    std::string codePage;
    bool deleted = false;
    bool backward = false;
    bool soft = false;
    bool unique = false;
    bool descending = false;
};

std::unique_ptr<xbase::DbfHandler> OpenHandler(const std::string& table, bool writable) {
    auto handler = std::make_unique<xbase::DbfHandler>(table, true, writable);
    return handler;
}

// Opens `file` into the handler; the tag named, or the file's only tag.
xbase::IndexTag& OpenTag(xbase::DbfHandler& handler, const std::string& file,
                         const std::string& tag) {
    if (handler.OpenIndexFile(file) != 0)
        throw std::runtime_error("Index file " + file + " is named twice");
    xbase::IndexFile* index = nullptr;
    for (int slot = xbase::DbfHandler::kIndexSlots; slot >= 1 && index == nullptr; --slot) {
        index = handler.IndexSlot(slot);
    }
    if (tag.empty()) {
        if (index->TagCount() != 1) {
            throw std::runtime_error(file + " holds " + std::to_string(index->TagCount()) +
                                     " tags; name one with --tag");
        }
        return *index->Tags().front();
    }
    xbase::IndexTag* found = index->FindTag(tag);
    if (found == nullptr) throw std::runtime_error("Cannot find index tag " + tag);
    return *found;
}

std::string Utf8(const IndexArgs& args, const std::string& oem) {
    return xbase::TextTranslation(true, args.codePage).FromOem(oem);
}

std::string KeyCount(xbase::IndexTag& tag) {
    std::uint64_t count = 0;
    for (std::uint32_t rec = tag.Top(); rec != 0; rec = tag.Next()) ++count;
    return std::to_string(count);
}

void RunList(const IndexArgs& args) {
    auto handler = OpenHandler(args.table, false);
    std::vector<std::string> files = args.files;
    if (files.empty()) {
        const std::string production = handler->ProductionIndexPath();
        if (!production.empty()) files.push_back(production);
    }
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    std::vector<std::vector<std::string>> rows;
    for (const std::string& file : files) {
        handler->OpenIndexFile(file);
        xbase::IndexFile* index = nullptr;
        for (int slot = 1; slot <= xbase::DbfHandler::kIndexSlots; ++slot) {
            if (handler->IndexSlot(slot) != nullptr) index = handler->IndexSlot(slot);
        }
        for (const auto& tag : index->Tags()) {
            std::string keys = KeyCount(*tag);
            nlohmann::ordered_json row;
            row["file"] = file;
            row["tag"] = Utf8(args, tag->Name());
            row["key"] = Utf8(args, tag->KeyExpressionText());
            row["for"] = Utf8(args, tag->ForExpressionText());
            row["unique"] = tag->Unique();
            row["descending"] = tag->Descending();
            row["keys"] = std::stoull(keys);
            list.push_back(row);
            rows.push_back({file, row["tag"], row["key"], row["for"], tag->Unique() ? "yes" : "no",
                            tag->Descending() ? "yes" : "no", keys});
        }
    }
    if (args.format == "json") {
        std::cout << list.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
    } else {
        PrintTable(std::cout, {"file", "tag", "key", "for", "unique", "descending", "keys"}, rows);
    }
}

void RunWalk(const IndexArgs& args) {
    auto handler = OpenHandler(args.table, false);
    handler->SetUseDeleted(args.deleted);
    xbase::IndexTag& tag = OpenTag(*handler, args.file, args.tag);
    handler->SelectTag(tag.Name());
    std::vector<std::int32_t> records;
    for (handler->GoTo(args.backward ? xbase::move::Last : xbase::move::First);
         !handler->Eof() && !handler->Bof();
         handler->GoTo(args.backward ? xbase::move::Prior : xbase::move::Next)) {
        records.push_back(handler->CurrentRecord());
    }
    if (args.format == "json") {
        std::cout << nlohmann::json(records).dump() << '\n';
    } else {
        for (std::int32_t record : records) std::cout << record << '\n';
    }
}

void RunSeek(const IndexArgs& args) {
    auto handler = OpenHandler(args.table, false);
    handler->SetUseDeleted(args.deleted);
    xbase::IndexTag& tag = OpenTag(*handler, args.file, args.tag);
    handler->SelectTag(tag.Name());
    handler->SetSoftSeek(args.soft);
    const std::string key = tag.KeyType() == 'C'
                                ? xbase::TextTranslation(true, args.codePage).ToOem(args.key)
                                : args.key;
    const bool found = handler->SeekKey(key);
    const bool eof = handler->Eof();
    const std::int32_t recno = eof ? handler->RecordCount() + 1 : handler->CurrentRecord();
    if (args.format == "json") {
        nlohmann::ordered_json result;
        result["found"] = found;
        result["eof"] = eof;
        result["recno"] = recno;
        std::cout << result.dump() << '\n';
    } else {
        PrintTable(std::cout, {"found", "eof", "recno"},
                   {{found ? "true" : "false", eof ? "true" : "false", std::to_string(recno)}});
    }
}

// On a terminal, long builds show one progress line on stderr ("Building tags: n of N
// records"), cleared at the end.
void ShowProgress(xbase::DbfHandler& handler) {
    if (!isatty(STDERR_FILENO)) return;
    handler.statusReport = [shown = -1](int total, int done, int /*end*/) mutable {
        if (total <= 0) {
            if (shown >= 0) std::fprintf(stderr, "\r\033[K");
            shown = -1;
            return;
        }
        const int percent = static_cast<int>(100.0 * done / total);
        if (percent == shown) return;
        shown = percent;
        std::fprintf(stderr, "\rBuilding tags: %d of %d records (%d%%)", done, total, percent);
        std::fflush(stderr);
    };
}

void RunCreate(const IndexArgs& args) {
    auto handler = OpenHandler(args.table, true);
    handler->SetIgnoreProductionIndex(true);
    ShowProgress(*handler);
    handler->CreateIndex(args.file, args.tag, args.keyExpression, args.forExpression, args.unique,
                         args.descending);
}

void RunReindex(const IndexArgs& args) {
    auto handler = OpenHandler(args.table, true);
    handler->SetIgnoreProductionIndex(true);
    ShowProgress(*handler);
    for (const std::string& file : args.files) {
        if (handler->OpenIndexFile(file) != 0)
            throw std::runtime_error("Index file " + file + " is named twice");
    }
    handler->Reindex();
}

int RunCheck(const IndexArgs& args) {
    auto handler = OpenHandler(args.table, false);
    bool sound = true;
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    std::vector<std::vector<std::string>> rows;
    for (const std::string& file : args.files) {
        if (handler->OpenIndexFile(file) != 0)
            throw std::runtime_error("Index file " + file + " is named twice");
        xbase::IndexFile* index = nullptr;
        for (int slot = 1; slot <= xbase::DbfHandler::kIndexSlots; ++slot) {
            if (handler->IndexSlot(slot) != nullptr) index = handler->IndexSlot(slot);
        }
        for (const auto& tag : index->Tags()) {
            std::string fault = xbase::CheckTag(*tag);
            if (!fault.empty()) sound = false;
            nlohmann::ordered_json row;
            row["file"] = file;
            row["tag"] = Utf8(args, tag->Name());
            row["fault"] = fault.empty() ? nlohmann::ordered_json(nullptr)
                                         : nlohmann::ordered_json(Utf8(args, fault));
            list.push_back(row);
            rows.push_back(
                {file, Utf8(args, tag->Name()), fault.empty() ? "ok" : Utf8(args, fault)});
        }
    }
    if (args.format == "json") {
        std::cout << list.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
    } else {
        PrintTable(std::cout, {"file", "tag", "result"}, rows);
    }
    return sound ? 0 : 1;
}

CLI::App* AddCommand(CLI::App& group, const char* name, const char* description, IndexArgs& args) {
    CLI::App* command = group.add_subcommand(name, description);
    command->add_option("--format", args.format, "text (default) or json")
        ->check(CLI::IsMember({"text", "json"}));
    command->add_option("--codepage", args.codePage, "Code page of this table's text")
        ->type_name("CP");
    command->add_option("TABLE", args.table, "The table (.dbf)")->required();
    return command;
}

}  // namespace

void AddIndexCommands(CLI::App& app) {
    CLI::App* group =
        app.add_subcommand("index", "Look into, build or check the index files of a table");
    group->require_subcommand(1);
    auto args = std::make_shared<IndexArgs>();

    CLI::App* list = AddCommand(*group, "list",
                                "The tags of index files (default: the production index)", *args);
    list->add_option("INDEXFILE", args->files, "Index files (.cdx .ntx .mdx .ndx)");
    list->callback([args] { RunList(*args); });

    CLI::App* walk = AddCommand(*group, "walk", "Record numbers in a tag's order", *args);
    walk->add_option("INDEXFILE", args->file, "The index file")->required();
    walk->add_option("--tag", args->tag, "Tag name (may be left out for a single-tag file)");
    walk->add_flag("--deleted", args->deleted, "Include deleted records");
    walk->add_flag("--backward", args->backward, "From the last key back");
    walk->callback([args] { RunWalk(*args); });

    CLI::App* seek = AddCommand(*group, "seek", "Seek a key in a tag", *args);
    seek->add_option("INDEXFILE", args->file, "The index file")->required();
    seek->add_option("KEY", args->key,
                     "Text for C tags, a number for N, YYYYMMDD for D (empty: the empty date)")
        ->required();
    seek->add_option("--tag", args->tag, "Tag name (may be left out for a single-tag file)");
    seek->add_flag("--soft", args->soft, "Stay on the next greater key when the key is missing");
    seek->add_flag("--deleted", args->deleted, "Deleted records count too");
    seek->callback([args] { RunSeek(*args); });

    CLI::App* create =
        AddCommand(*group, "create", "Create (or replace) a tag and build it", *args);
    create->add_option("INDEXFILE", args->file, "The index file; its extension chooses the kind")
        ->required();
    create->add_option("--tag", args->tag, "Tag name (single-tag files: the file's base name)");
    create->add_option("--key", args->keyExpression, "Key expression")->required();
    create->add_option("--for", args->forExpression, "FOR condition");
    create->add_flag("--unique", args->unique, "Keep only the first record of each key");
    create->add_flag("--descending", args->descending, "Descending order");
    create->callback([args] { RunCreate(*args); });

    CLI::App* reindex =
        AddCommand(*group, "reindex", "Rebuild every tag of the index files", *args);
    reindex->add_option("INDEXFILE", args->files, "Index files")->required();
    reindex->callback([args] { RunReindex(*args); });

    CLI::App* check = AddCommand(*group, "check",
                                 "Verify every tag against the records (exit 1 on a fault)", *args);
    check->add_option("INDEXFILE", args->files, "Index files")->required();
    check->callback([args] {
        if (RunCheck(*args) != 0) throw CLI::RuntimeError(1);
    });
}

}  // namespace cli
