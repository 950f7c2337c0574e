#include "cli/TablePack.h"

#include "xbase/cursor/TablePack.h"

namespace cli {

void PackTable(const std::string& file, std::ostream& out) {
    xbase::PackResult result = xbase::PackTable(file);
    out << "Packed " << file << ": " << result.kept << " records kept, " << result.removed
        << " removed";
    if (result.hadMemo) {
        out << "; memo file " << result.memoBytesBefore << " -> " << result.memoBytesAfter
            << " bytes";
    }
    out << '\n';
}

}  // namespace cli
