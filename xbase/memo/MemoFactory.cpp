#include "xbase/memo/MemoFactory.h"

#include "xbase/table/DbfFile.h"
#include "xbase/memo/FoxMemoFile.h"
#include "xbase/memo/MemoFile4.h"

namespace xbase {

MemoKind MemoKindFor(std::uint8_t version, std::uint8_t tableFlags, bool hasMemoFields) {
    switch (version) {
        case version::DBase3Memo:
            return MemoKind::DBase3;
        case version::DBase4Memo:
            return MemoKind::DBase4;
        case version::FoxProMemo:
            return MemoKind::FoxPro;
        case version::VisualFox:
        case version::VisualFoxAutoIncrement:
        case version::VisualFoxVarchar:
            return (tableFlags & 0x02) != 0 || hasMemoFields ? MemoKind::FoxPro : MemoKind::None;
        default:
            return MemoKind::None;
    }
}

bool IsMemoFieldType(char type, std::uint8_t version) {
    if (type == 'M' || type == 'G') return true;
    return type == 'B' && !IsVisualFoxVersion(version);
}

std::unique_ptr<MemoFile> OpenMemoFile(MemoKind kind, const MemoOptions& options, DbfFile* owner) {
    switch (kind) {
        case MemoKind::DBase3:
            return std::make_unique<MemoFile>(options, owner);
        case MemoKind::DBase4:
            return std::make_unique<MemoFile4>(options, owner);
        case MemoKind::FoxPro:
            return std::make_unique<FoxMemoFile>(options, owner);
        case MemoKind::None:
            break;
    }
    return nullptr;
}

std::unique_ptr<MemoFile> OpenMemoFile(DbfFile& table) {
    bool hasMemoFields = false;
    for (const FieldDescriptor& field : table.Fields()) {
        if (IsMemoFieldType(field.type, table.Version())) hasMemoFields = true;
    }
    MemoKind kind = MemoKindFor(table.Version(), table.TableFlags(), hasMemoFields);
    MemoOptions options;
    options.tableName = table.DisplayPath();
    options.tableVersion = table.Version();
    options.shared = table.IsShared();
    options.readWrite = table.IsReadWrite();
    options.lockProtocol = table.LockProtocolValue();
    return OpenMemoFile(kind, options, &table);
}

}  // namespace xbase
