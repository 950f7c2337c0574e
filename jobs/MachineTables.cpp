#include "jobs/MachineTables.h"

#include "xbase/dataset/XBaseDataSet.h"

namespace jobs {

void ConfigureMachineTable(xbase::XBaseDataSet& table, const std::string& name) {
    table.SetName(name);
    table.SetExclusive(false);
    table.SetLockProtocol(xbase::LockProtocol::Default);
    table.SetTranslateASCII(true);
    table.SetUseDeleted(false);
    table.SetAutoFlush(false);
    table.SetUserID(0);
}

void OpenMachineTable(xbase::XBaseDataSet& table, const std::string& tableName) {
    table.Close();
    table.SetDatabaseName(kMachineDirectory);
    table.SetTableName(tableName);
    table.Open();
}

}  // namespace jobs
