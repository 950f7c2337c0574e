#include "cli/TableInfo.h"

#include <cstdio>
#include <string>

namespace cli {

namespace {

const char* versionName(std::uint8_t version) {
    switch (version) {
        case 0x02: return "FoxBASE";
        case 0x03: return "dBase III / FoxPro, no memo";
        case 0x04: return "dBase IV, no memo";
        case 0x30: return "Visual FoxPro";
        case 0x31: return "Visual FoxPro, autoincrement";
        case 0x83: return "dBase III with DBT memo";
        case 0x8B: return "dBase IV with DBT memo";
        case 0xF5: return "FoxPro with FPT memo";
        default: return "unknown";
    }
}

std::string hexByte(std::uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

}  // namespace

void printTableInfo(xbase::XBaseDataSet& table, std::ostream& out) {
    xbase::DBFObject& handler = *table.Handler();
    out << "File:          " << handler.FullPath() << '\n'
        << "Version:       " << hexByte(handler.Version()) << " (" << versionName(handler.Version())
        << ")\n"
        << "Records:       " << table.RecordCount() << '\n'
        << "Header length: " << handler.HeaderLength() << '\n'
        << "Record length: " << handler.RecordLength() << '\n'
        << "Fields:        " << handler.FieldCount() << '\n';
    char line[64];
    std::snprintf(line, sizeof line, "  %-10s  %-4s  %6s  %3s\n", "NAME", "TYPE", "LENGTH", "DEC");
    out << line;
    for (const xbase::FieldDescriptor& field : handler.Fields()) {
        std::snprintf(line, sizeof line, "  %-10s  %-4c  %6d  %3d\n", field.name.c_str(),
                      field.type, field.length, field.decimals);
        out << line;
    }
}

}  // namespace cli
