#include "cli/TableInfo.h"

#include <cstdio>
#include <string>

namespace cli {

namespace {

const char* versionName(std::uint8_t version) {
    switch (version) {
        case 0x02:
            return "FoxBASE";
        case 0x03:
            return "dBase III / FoxPro, no memo";
        case 0x04:
            return "dBase IV, no memo";
        case 0x30:
            return "Visual FoxPro";
        case 0x31:
            return "Visual FoxPro, autoincrement";
        case 0x32:
            return "Visual FoxPro, varchar/varbinary";
        case 0x83:
            return "dBase III with DBT memo";
        case 0x8B:
            return "dBase IV with DBT memo";
        case 0xF5:
            return "FoxPro with FPT memo";
        default:
            return "unknown";
    }
}

std::string HexByte(std::uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

}  // namespace

void PrintTableInfo(xbase::XBaseDataSet& table, std::ostream& out) {
    xbase::DBFObject& handler = *table.Handler();
    out << "File:          " << handler.DisplayPath() << '\n'
        << "Version:       " << HexByte(handler.Version()) << " (" << versionName(handler.Version())
        << ")\n"
        << "Records:       " << table.RecordCount() << '\n'
        << "Header length: " << handler.HeaderLength() << '\n'
        << "Record length: " << handler.RecordLength() << '\n'
        << "Fields:        " << handler.FieldCount() << '\n';
    char line[64];
    std::snprintf(line, sizeof line, "  %-10s  %-4s  %6s  %3s\n", "NAME", "TYPE", "LENGTH", "DEC");
    out << line;
    const xbase::TextTranslation text = table.Translation();
    for (const xbase::FieldDescriptor& field : handler.Fields()) {
        // Names are in the table's code page; padded by characters, not bytes.
        std::string name = text.FromOem(field.name);
        std::size_t characters = 0;
        for (unsigned char c : name) characters += (c & 0xC0) != 0x80;
        name.append(characters < 10 ? 10 - characters : 0, ' ');
        std::snprintf(line, sizeof line, "  %-4c  %6d  %3d", field.type, field.length,
                      field.decimals);
        out << "  " << name << line;
        if (field.AutoIncrement()) {
            out << "  autoincrement: next " << field.AutoIncrementNext() << ", step "
                << field.AutoIncrementStep();
        }
        out << '\n';
    }
}

}  // namespace cli
