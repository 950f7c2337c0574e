#include "xbase/dataset/XBaseMasterLink.h"

#include "xbase/dataset/XBaseDataSet.h"

namespace xbase {

void XBaseMasterLink::ActiveChanged() { detail_.MasterChanged(); }

void XBaseMasterLink::DataSetChanged() { detail_.MasterChanged(); }

void XBaseMasterLink::DataSetScrolled(int /*distance*/) { detail_.MasterChanged(); }

void XBaseMasterLink::RecordChanged(data::Field* field) {
    // A field typed into the master moves nothing until it is posted.
    if (field == nullptr) detail_.MasterChanged();
}

}  // namespace xbase
