// taxbridge table create FILE --version V --field NAME:TYPE:LEN[:DEC] ...: a new, empty
// table (and its empty memo file) made by the engine.
#include <CLI/CLI.hpp>
#include <iostream>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/CommandGroups.h"
#include "xbase/cursor/CreateTable.h"
#include "xbase/table/DbfFormat.h"

namespace cli {

namespace {

struct CreateArgs {
    std::string file;
    std::string version = "dbase3";
    std::vector<std::string> fields;
    int codePage = 0;
    int blockSize = 0;
    std::vector<std::string> binary;
};

const std::map<std::string, std::uint8_t>& Versions() {
    static const std::map<std::string, std::uint8_t> versions = {
        {"dbase3", xbase::version::DBase3},     {"dbase3-memo", xbase::version::DBase3Memo},
        {"dbase4", xbase::version::DBase4Memo}, {"foxpro", xbase::version::FoxProMemo},
        {"vfp", xbase::version::VisualFox},
    };
    return versions;
}

int Number(const std::string& text, const std::string& declaration) {
    std::size_t used = 0;
    int value = -1;
    try {
        value = std::stoi(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || used != text.size() || value < 0) {
        throw std::invalid_argument("field " + declaration + ": '" + text + "' is no length");
    }
    return value;
}

// NAME:TYPE[:LEN[:DEC]]
xbase::NewField ParseField(const std::string& declaration) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t colon = declaration.find(':', start);
        parts.push_back(declaration.substr(start, colon - start));
        if (colon == std::string::npos) break;
        start = colon + 1;
    }
    if (parts.size() < 2 || parts.size() > 4 || parts[1].size() != 1) {
        throw std::invalid_argument("field " + declaration + ": expected NAME:TYPE:LEN[:DEC]");
    }
    xbase::NewField field;
    field.name = parts[0];
    field.type = parts[1][0];
    if (parts.size() > 2) field.length = Number(parts[2], declaration);
    if (parts.size() > 3) field.decimals = Number(parts[3], declaration);
    return field;
}

void Run(const CreateArgs& args) {
    std::vector<xbase::NewField> fields;
    for (const std::string& declaration : args.fields) fields.push_back(ParseField(declaration));
    for (const std::string& name : args.binary) {
        bool found = false;
        for (xbase::NewField& f : fields) {
            if (f.name == name) f.binary = found = true;
        }
        if (!found) throw std::invalid_argument("--binary " + name + ": no such field");
    }
    xbase::NewTableOptions options;
    if (args.codePage != 0) {
        options.codePageMark = xbase::CodePageMarkFor(args.codePage);
        if (options.codePageMark == 0) {
            throw std::invalid_argument("code page " + std::to_string(args.codePage) +
                                        " has no table mark");
        }
    }
    options.memoBlockSize = args.blockSize;
    std::cout << xbase::CreateTable(args.file, Versions().at(args.version), fields, options)
              << '\n';
}

}  // namespace

void AddTableCreateCommand(CLI::App& tableGroup) {
    auto args = std::make_shared<CreateArgs>();
    CLI::App* create = tableGroup.add_subcommand(
        "create", "Make a new empty table (and its memo file); prints its full path");
    create->add_option("FILE", args->file, "The new table (.dbf added when it has none)")
        ->required();
    std::vector<std::string> names;
    for (const auto& [name, byte] : Versions()) names.push_back(name);
    create
        ->add_option("--version", args->version,
                     "dbase3 (default), dbase3-memo, dbase4, foxpro or vfp")
        ->check(CLI::IsMember(names));
    create->add_option("--field", args->fields, "NAME:TYPE:LEN[:DEC], in record order")
        ->required()
        ->type_name("NAME:TYPE:LEN[:DEC]");
    create->add_option("--code-page", args->codePage,
                       "Code page mark for the header (437, 850, 936, 1252, ...)");
    create->add_option("--block-size", args->blockSize,
                       "Memo block size (default 512 for dBase, 64 for FoxPro)");
    create->add_option("--binary", args->binary,
                       "Visual FoxPro character or memo fields kept untranslated");
    create->callback([args] { Run(*args); });
}

}  // namespace cli
