// The small types the dataset state machine and its descendants speak: states, fetch
// modes and results, bookmark flags, resync modes, data events, field kinds, blob
// stream modes, bookmarks and the record buffer base.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "data/FieldValue.h"

namespace data {

enum DataSetState {
    dsInactive,    // closed
    dsBrowse,      // open, moving between records
    dsEdit,        // the active record is being changed
    dsInsert,      // a new record is being filled
    dsSetKey,      // key values are being entered for a search
    dsCalcFields,  // OnCalcFields runs; fields read and write the calculation buffer
    dsFilter,      // OnFilterRecord runs; fields read the record under test
    dsNewValue,    // fields read the new (current) values of the edited record
    dsOldValue,    // fields read the values the record had before the edit
    dsOpening,     // between BeforeOpen and the end of the open
};

// What GetRecord is asked to fetch relative to the cursor.
enum GetMode { gmCurrent, gmNext, gmPrior };
// What GetRecord found.
enum GetResult { grOK, grBOF, grEOF, grError };

// Where a buffered row stands: on a record, or on the crack before the first / after the
// last record, or a new record not yet posted.
enum BookmarkFlag { bfCurrent, bfBOF, bfEOF, bfInserted };

// Resync options: rmExact fails when the current record cannot be reread; rmCenter puts
// the current record in the middle of the buffer window.
enum ResyncMode { rmNone = 0, rmExact = 1, rmCenter = 2 };

// Notifications a dataset sends to its data sources.
enum DataEventKind {
    deFieldChange,      // a field's value changed (info: the field)
    deRecordChange,     // the active record changed in place (edit started, values set)
    deDataSetChange,    // the buffered rows were refetched
    deDataSetScroll,    // the window moved by a number of rows (info: the distance)
    deLayoutChange,     // fields were added, removed or rebound
    deUpdateRecord,     // controls must write pending input into fields
    deUpdateState,      // the state changed
    deCheckBrowseMode,  // controls must finish editing before the dataset moves
};

enum FieldKind {
    fkData,        // a column of the dataset's records
    fkCalculated,  // computed by OnCalcFields; kept by the framework per buffered row
};

enum BlobStreamMode { bmRead, bmWrite, bmReadWrite };

// Opaque identity of a record, produced and interpreted by the dataset that made it.
// Empty means "no bookmark".
using Bookmark = std::string;

// One row of the buffer ring. A dataset derives its own row type (record bytes, record
// number, bookmark, ...) and creates it in AllocRecordBuffer; the framework only moves
// rows around and keeps the calculated field values of each row here.
class RecordBuffer {
public:
    virtual ~RecordBuffer() = default;
    // Values of calculated fields, indexed by the field's calculation slot.
    std::vector<FieldValue> calcValues;
};

using RecordBufferPtr = std::unique_ptr<RecordBuffer>;

}  // namespace data
