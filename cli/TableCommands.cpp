// taxbridge table info|dump|append|set|delete|recall|pack: looking into and fixing one
// table by hand or from scripts, always through the dataset (locks, code pages, text
// forms); pack works on the table alone, opened exclusively.
#include <CLI/CLI.hpp>
#include <cstdint>
#include <iostream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/CommandGroups.h"
#include "cli/TableAccess.h"
#include "cli/TableDump.h"
#include "cli/TableEval.h"
#include "cli/TableInfo.h"
#include "cli/TablePack.h"
#include "platform/FormatSettings.h"

namespace cli {

namespace {

struct TableArgs {
    std::string file;
    std::string codePage;
    std::int32_t recNo = 0;
    std::vector<std::string> assignments;
    std::string format = "json";
    bool deleted = false;
    bool raw = false;
    bool strict = false;
    std::string expression;  // eval's expression, dump's --filter
    std::string evalFormat = "text";
    std::vector<std::string> indexFiles;  // --index
    std::string tag;                      // dump's --tag
    bool ignoreIndex = false;             // --ignore-index
};

CLI::App* AddFileCommand(CLI::App& group, const char* name, const char* description,
                         TableArgs& args) {
    CLI::App* command = group.add_subcommand(name, description);
    command
        ->add_option("--codepage", args.codePage,
                     "Code page of this table's text (default: the process-wide one)")
        ->type_name("CP");
    command->add_option("FILE", args.file, "The table (.dbf); Windows-style paths need --drive")
        ->required();
    return command;
}

void AddRecNo(CLI::App& command, TableArgs& args) {
    command.add_option("RECNO", args.recNo, "Physical record number (from 1)")
        ->required()
        ->check(CLI::PositiveNumber);
}

// --index FILE... and --ignore-index for the commands that write.
void AddIndexMaintenance(CLI::App& command, TableArgs& args) {
    command
        .add_option(
            "--index", args.indexFiles,
            "Index files to keep current while writing (the production index is kept without it)")
        ->type_name("FILE")
        ->expected(1, -1);
    command.add_flag("--ignore-index", args.ignoreIndex,
                     "Write even when the production index the header flags is missing or unusable "
                     "(it goes stale)");
}

void AddAssignments(CLI::App& command, TableArgs& args, bool required) {
    CLI::Option* option = command.add_option("ASSIGNMENTS", args.assignments,
                                             "NAME=VALUE pairs, values as the fields' text");
    option->type_name("NAME=VALUE");
    if (required) option->required();
}

TableOptions OpenOptions(const TableArgs& args, bool useDeleted, bool readOnly) {
    TableOptions options;
    options.useDeleted = useDeleted;
    options.readOnly = readOnly;
    options.codePage = args.codePage;
    options.indexFiles = args.indexFiles;
    options.tag = args.tag;
    options.ignoreProductionIndex = args.ignoreIndex;
    return options;
}

// Dumps read, and values are given, the same on every machine.
void UseMachineIndependentFormats() {
    platform::FormatSettings& settings = platform::ProcessFormatSettings();
    settings.shortDateFormat = "yyyy-mm-dd";
    settings.dateSeparator = '-';
    settings.decimalSeparator = '.';
}

void RunDump(const TableArgs& args) {
    UseMachineIndependentFormats();
    if (!args.tag.empty() && args.indexFiles.empty())
        throw std::runtime_error("--tag needs --index");
    TableOptions open = OpenOptions(args, args.deleted, true);
    open.orderByTag = !args.indexFiles.empty();
    auto table = OpenTable(args.file, open);
    DumpOptions options;
    options.format = args.format == "csv" ? DumpFormat::Csv : DumpFormat::Json;
    options.raw = args.raw;
    options.strict = args.strict;
    std::unique_ptr<ExpressionFilter> filter;
    if (!args.expression.empty())
        filter = std::make_unique<ExpressionFilter>(*table, args.expression, args.codePage);
    if (args.strict) {
        // Nothing reaches the output unless every value converts.
        std::ostringstream text;
        DumpTable(*table, options, text, std::cerr);
        std::cout << text.str();
    } else {
        DumpTable(*table, options, std::cout, std::cerr);
    }
    if (filter) filter->CheckFailure();
    table->Close();
}

void RunEval(const TableArgs& args) {
    platform::ProcessFormatSettings().shortDateFormat = "yyyy-mm-dd";
    platform::ProcessFormatSettings().dateSeparator = '-';
    auto table = OpenTable(args.file, OpenOptions(args, args.deleted || args.recNo > 0, true));
    EvalOptions options;
    options.expression = args.expression;
    options.recNo = args.recNo;
    options.json = args.evalFormat == "json";
    options.codePage = args.codePage;
    EvalTable(*table, options, std::cout);
    table->Close();
}

void RunAppend(const TableArgs& args) {
    UseMachineIndependentFormats();
    auto table = OpenTable(args.file, OpenOptions(args, false, false));
    table->Append();
    AssignFields(*table, args.assignments);
    table->Post();
    std::cout << table->RecNo() << '\n';
    table->Close();
}

void RunSet(const TableArgs& args) {
    UseMachineIndependentFormats();
    auto table = OpenTable(args.file, OpenOptions(args, true, false));
    GoToRecord(*table, args.recNo);
    table->Edit();
    AssignFields(*table, args.assignments);
    table->Post();
    table->Close();
}

void RunDeletionFlag(const TableArgs& args, bool deleted) {
    auto table = OpenTable(args.file, OpenOptions(args, true, false));
    GoToRecord(*table, args.recNo);
    if (deleted) {
        table->Delete();
    } else {
        table->Recall();
    }
    table->Close();
}

}  // namespace

void AddTableCommands(CLI::App& app) {
    CLI::App* group = app.add_subcommand("table", "Look into or fix one dBase table");
    group->require_subcommand(1);
    auto args = std::make_shared<TableArgs>();

    CLI::App* info = AddFileCommand(
        *group, "info", "Version, record count, header and record length, fields", *args);
    info->callback([args] {
        auto table = OpenTable(args->file, OpenOptions(*args, true, true));
        PrintTableInfo(*table, std::cout);
        table->Close();
    });

    CLI::App* dump =
        AddFileCommand(*group, "dump", "Every record, in record order (or a tag's order)", *args);
    dump->add_option("--format", args->format, "json (default) or csv")
        ->check(CLI::IsMember({"json", "csv"}));
    dump->add_flag("--deleted", args->deleted, "Include deleted records");
    dump->add_flag("--raw", args->raw, "Stored text of each field, trailing blanks kept");
    dump->add_flag(
        "--strict", args->strict,
        "Fail on the first value that cannot be converted instead of showing it as stored");
    dump->add_option("--filter", args->expression,
                     "Only the records for which this expression is true")
        ->type_name("EXPR");
    dump->add_option("--index", args->indexFiles,
                     "Index files to open (records in the order of --tag)")
        ->type_name("FILE")
        ->expected(1, -1);
    dump->add_option("--tag", args->tag,
                     "The tag that orders the records (not needed for a one-tag file)")
        ->type_name("NAME");
    dump->callback([args] { RunDump(*args); });

    CLI::App* eval =
        AddFileCommand(*group, "eval", "Evaluate an xBase expression for each record", *args);
    eval->add_option("EXPR", args->expression, "The expression, e.g. \"UPPER(NAME) = 'AB*'\"")
        ->required();
    eval->add_option("--record", args->recNo, "Only this physical record number")
        ->check(CLI::PositiveNumber);
    eval->add_flag("--deleted", args->deleted, "Include deleted records");
    eval->add_option("--format", args->evalFormat, "text (default) or json")
        ->check(CLI::IsMember({"text", "json"}));
    eval->callback([args] { RunEval(*args); });

    CLI::App* append =
        AddFileCommand(*group, "append", "Append one record; prints its record number", *args);
    AddAssignments(*append, *args, false);
    AddIndexMaintenance(*append, *args);
    append->callback([args] { RunAppend(*args); });

    CLI::App* set = AddFileCommand(*group, "set", "Change fields of one record (locks it)", *args);
    AddRecNo(*set, *args);
    AddAssignments(*set, *args, true);
    AddIndexMaintenance(*set, *args);
    set->callback([args] { RunSet(*args); });

    CLI::App* remove = AddFileCommand(*group, "delete", "Flag one record as deleted", *args);
    AddRecNo(*remove, *args);
    AddIndexMaintenance(*remove, *args);
    remove->callback([args] { RunDeletionFlag(*args, true); });

    CLI::App* recall =
        AddFileCommand(*group, "recall", "Clear the deletion flag of one record", *args);
    AddRecNo(*recall, *args);
    AddIndexMaintenance(*recall, *args);
    recall->callback([args] { RunDeletionFlag(*args, false); });

    CLI::App* pack = AddFileCommand(*group, "pack",
                                    "Remove deleted records and compact the memo file (needs the "
                                    "table to itself)",
                                    *args);
    pack->callback([args] { PackTable(args->file, std::cout); });
    AddTableCreateCommand(*group);
}

}  // namespace cli
