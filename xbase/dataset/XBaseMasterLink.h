// The link a detail XBaseDataSet keeps to its master's data source: every scroll or
// change of the master puts the master's key fields into the detail's key range.
#pragma once

#include "data/DataLink.h"

namespace xbase {

class XBaseDataSet;

class XBaseMasterLink : public data::DataLink {
public:
    explicit XBaseMasterLink(XBaseDataSet& detail) : detail_(detail) {}

protected:
    void ActiveChanged() override;
    void DataSetChanged() override;
    void DataSetScrolled(int distance) override;
    void RecordChanged(data::Field* field) override;

private:
    XBaseDataSet& detail_;
};

}  // namespace xbase
