#include "data/DataSet.h"

#include <algorithm>

#include "data/DataError.h"
#include "data/DataLink.h"
#include "data/DataMessages.h"
#include "data/DataSource.h"
#include "data/FieldFactory.h"
#include "data/ValueBlobStream.h"

namespace data {

namespace {

bool IsEditState(DataSetState state) { return state == dsEdit || state == dsInsert; }

// Restores a temporarily switched state and buffer pointer when a scope ends.
class TempStateGuard {
public:
    TempStateGuard(DataSetState& state, DataSetState temp, RecordBuffer*& slot,
                   RecordBuffer* buffer)
        : state_(state), saved_(state), slot_(slot), savedSlot_(slot) {
        state_ = temp;
        slot_ = buffer;
    }
    ~TempStateGuard() {
        state_ = saved_;
        slot_ = savedSlot_;
    }
    TempStateGuard(const TempStateGuard&) = delete;
    TempStateGuard& operator=(const TempStateGuard&) = delete;

private:
    DataSetState& state_;
    DataSetState saved_;
    RecordBuffer*& slot_;
    RecordBuffer* savedSlot_;
};

}  // namespace

DataSet::DataSet() = default;

DataSet::~DataSet() {
    // The descendant has closed the cursor (its hooks are gone by now); only detach.
    for (DataSource* source : std::vector<DataSource*>(sources_)) source->DataSetGone();
    for (auto& field : fields_) field->dataSet_ = nullptr;
}

// ---------------------------------------------------------------- open and close

void DataSet::SetActive(bool active) {
    if (active == Active()) return;
    if (active) {
        DoBeforeOpen();
        state_ = dsOpening;
        try {
            OpenCursor();
        } catch (...) {
            state_ = dsInactive;
            try {
                if (IsCursorOpen()) InternalClose();
            } catch (...) {
                InternalHandleException();
            }
            FreeBuffers();
            if (defaultFields_) DestroyDefaultFields();
            throw;
        }
        state_ = dsInactive;  // so that SetState reports the change to browse
        SetState(dsBrowse);
        DoAfterOpen();
        if (!IsEmpty()) DoAfterScroll();
    } else {
        DoBeforeClose();
        if (IsEditState(state_)) InternalCancel();  // drop an unposted edit, no events
        SetState(dsInactive);
        CloseCursor();
        DoAfterClose();
    }
}

void DataSet::OpenCursor() {
    defaultFields_ = fields_.Count() == 0;
    InternalOpen();
    int wanted = 1;
    for (DataSource* source : sources_) {
        for (DataLink* link : source->links_) wanted = std::max(wanted, link->BufferCount());
    }
    AllocateBuffers(wanted);
    ClearBuffers();
    GetNextRecords();
    bof_ = true;
}

void DataSet::CloseCursor() {
    try {
        InternalClose();
    } catch (...) {
        FreeBuffers();
        if (defaultFields_) DestroyDefaultFields();
        throw;
    }
    FreeBuffers();
    if (defaultFields_) {
        DestroyDefaultFields();
    } else {
        BindFields(false);
    }
}

void DataSet::CloseFromDestructor() noexcept {
    try {
        Close();
    } catch (...) {
        try {
            InternalHandleException();
        } catch (...) {
        }
        state_ = dsInactive;
    }
}

// ---------------------------------------------------------------- buffer ring

void DataSet::AllocateBuffers(int count) {
    std::size_t wanted = static_cast<std::size_t>(count) + 1;  // window plus the spare
    while (buffers_.size() > wanted) {
        FreeRecordBuffer(buffers_.back());
        buffers_.pop_back();
    }
    while (buffers_.size() < wanted) {
        RecordBufferPtr buffer = AllocRecordBuffer();
        buffer->calcValues.assign(static_cast<std::size_t>(calcFieldCount_), {});
        buffers_.push_back(std::move(buffer));
    }
    bufferCount_ = count;
}

void DataSet::FreeBuffers() {
    for (auto& buffer : buffers_) FreeRecordBuffer(buffer);
    buffers_.clear();
    bufferCount_ = 0;
    ClearBuffers();
}

void DataSet::ClearBuffers() {
    bufferedCount_ = 0;
    activeRecord_ = 0;
    currentRecord_ = -1;
    bof_ = true;
    eof_ = true;
}

void DataSet::ActivateBuffers() {
    bufferedCount_ = 1;
    activeRecord_ = 0;
    currentRecord_ = 0;
    bof_ = false;
    eof_ = false;
}

void DataSet::MoveBuffer(int from, int to) {
    if (from == to) return;
    auto first = buffers_.begin();
    if (from < to) {
        std::rotate(first + from, first + from + 1, first + to + 1);
    } else {
        std::rotate(first + to, first + from, first + from + 1);
    }
}

RecordBuffer* DataSet::ActiveBuffer() const {
    if (buffers_.empty()) return nullptr;
    return buffers_[static_cast<std::size_t>(activeRecord_)].get();
}

void DataSet::SetCurrentRecord(int index) {
    if (currentRecord_ == index) return;
    RecordBuffer& buffer = *buffers_[static_cast<std::size_t>(index)];
    switch (GetBookmarkFlag(buffer)) {
        case bfCurrent:
        case bfInserted:
            InternalSetToRecord(buffer);
            break;
        case bfBOF:
            InternalFirst();
            break;
        case bfEOF:
            InternalLast();
            break;
    }
    currentRecord_ = index;
}

void DataSet::UpdateCursorPos() {
    if (bufferedCount_ > 0) SetCurrentRecord(activeRecord_);
}

bool DataSet::GetNextRecord() {
    GetMode mode = gmNext;
    if (bufferedCount_ > 0) {
        SetCurrentRecord(bufferedCount_ - 1);
        // A new row that the cursor stands on: the record behind it is the next one.
        if (state_ == dsInsert && currentRecord_ == activeRecord_ &&
            GetBookmarkFlag(*ActiveBuffer()) == bfCurrent) {
            mode = gmCurrent;
        }
    }
    if (GetRecord(*buffers_[static_cast<std::size_t>(bufferedCount_)], mode, true) != grOK) {
        CursorPosChanged();
        return false;
    }
    if (bufferedCount_ == 0) {
        ActivateBuffers();
    } else if (bufferedCount_ < bufferCount_) {
        ++bufferedCount_;
    } else {
        MoveBuffer(0, bufferedCount_);
    }
    currentRecord_ = bufferedCount_ - 1;
    return true;
}

bool DataSet::GetPriorRecord() {
    if (bufferedCount_ > 0) SetCurrentRecord(0);
    if (GetRecord(*buffers_[static_cast<std::size_t>(bufferedCount_)], gmPrior, true) != grOK) {
        CursorPosChanged();
        return false;
    }
    if (bufferedCount_ == 0) {
        ActivateBuffers();
    } else {
        MoveBuffer(bufferedCount_, 0);
        if (bufferedCount_ < bufferCount_) {
            ++bufferedCount_;
            ++activeRecord_;
        }
    }
    currentRecord_ = 0;
    return true;
}

int DataSet::GetNextRecords() {
    int count = 0;
    while (bufferedCount_ < bufferCount_ && GetNextRecord()) ++count;
    return count;
}

int DataSet::GetPriorRecords() {
    int count = 0;
    while (bufferedCount_ < bufferCount_ && GetPriorRecord()) ++count;
    return count;
}

void DataSet::Resync(int mode) {
    RecordBuffer& spare = *buffers_[static_cast<std::size_t>(bufferedCount_)];
    if (mode & rmExact) {
        CursorPosChanged();
        if (GetRecord(spare, gmCurrent, true) != grOK) DatabaseError(msg::RecordNotFound);
    } else if (GetRecord(spare, gmCurrent, false) != grOK &&
               GetRecord(spare, gmNext, false) != grOK &&
               GetRecord(spare, gmPrior, false) != grOK) {
        ClearBuffers();
        DataEvent(deDataSetChange);
        return;
    }
    int count = (mode & rmCenter) ? (bufferCount_ - 1) / 2 : activeRecord_;
    MoveBuffer(bufferedCount_, 0);
    ActivateBuffers();
    while (count > 0 && GetPriorRecord()) --count;
    GetNextRecords();
    GetPriorRecords();
    DataEvent(deDataSetChange);
}

void DataSet::UpdateBufferCount() {
    int wanted = 1;
    for (DataSource* source : sources_) {
        for (DataLink* link : source->links_) wanted = std::max(wanted, link->BufferCount());
    }
    SetBufferCount(wanted);
}

void DataSet::SetBufferCount(int count) {
    // Applied while browsing; at open the window is sized from the links anyway.
    if (count == bufferCount_ || state_ != dsBrowse) return;
    bool hadRecords = bufferedCount_ > 0;
    if (hadRecords) UpdateCursorPos();
    int keep = std::min(activeRecord_, count - 1);
    AllocateBuffers(count);
    ClearBuffers();
    if (hadRecords) {
        activeRecord_ = keep;
        Resync(rmNone);
    } else {
        DataEvent(deDataSetChange);
    }
}

void DataSet::SetActiveRecord(int index) {
    if (index >= 0 && index < bufferCount_) activeRecord_ = index;
}

// ---------------------------------------------------------------- navigation

void DataSet::First() { MoveToEnd(true); }

void DataSet::Last() { MoveToEnd(false); }

void DataSet::MoveToEnd(bool first) {
    CheckBrowseMode();
    DoBeforeScroll();
    ClearBuffers();
    bool& atEnd = first ? bof_ : eof_;
    try {
        if (first) {
            InternalFirst();
            GetNextRecord();
            GetNextRecords();
        } else {
            InternalLast();
            GetPriorRecord();
            GetPriorRecords();
        }
    } catch (...) {
        atEnd = true;
        DataEvent(deDataSetChange);
        throw;
    }
    atEnd = true;
    DataEvent(deDataSetChange);
    DoAfterScroll();
}

int DataSet::MoveBy(int distance) {
    CheckBrowseMode();
    int moved = 0;
    DoBeforeScroll();
    if ((distance > 0 && !eof_) || (distance < 0 && !bof_)) {
        bof_ = false;
        eof_ = false;
        int scroll = 0;
        try {
            while (distance > 0) {
                if (activeRecord_ < bufferedCount_ - 1) {
                    ++activeRecord_;
                } else {
                    bool full = bufferedCount_ == bufferCount_;
                    if (!GetNextRecord()) {
                        eof_ = true;
                        break;
                    }
                    if (full) --scroll;
                    if (activeRecord_ < bufferedCount_ - 1) ++activeRecord_;
                }
                --distance;
                ++moved;
            }
            while (distance < 0) {
                if (activeRecord_ > 0) {
                    --activeRecord_;
                } else {
                    bool full = bufferedCount_ == bufferCount_;
                    if (!GetPriorRecord()) {
                        bof_ = true;
                        break;
                    }
                    if (full) ++scroll;
                    if (activeRecord_ > 0) --activeRecord_;
                }
                ++distance;
                --moved;
            }
        } catch (...) {
            DataEvent(deDataSetScroll, &scroll);
            throw;
        }
        DataEvent(deDataSetScroll, &scroll);
        DoAfterScroll();
    }
    return moved;
}

int DataSet::RecordCount() {
    CheckActive();
    return GetRecordCount();
}

int DataSet::RecNo() {
    CheckActive();
    return GetRecNo();
}

void DataSet::SetRecNo(int) {}

void DataSet::Refresh() {
    CheckBrowseMode();
    Fire(BeforeRefresh);
    UpdateCursorPos();
    InternalRefresh();
    Resync(rmNone);
    Fire(AfterRefresh);
}

void DataSet::ForEachRecord(const std::function<void()>& visit) {
    CheckBrowseMode();
    Bookmark start = GetBookmark();
    DisableControls();
    try {
        First();
        while (!Eof()) {
            visit();
            Next();
        }
        if (!start.empty() && BookmarkValid(start)) GotoBookmark(start);
    } catch (...) {
        EnableControls();
        throw;
    }
    EnableControls();
}

// ---------------------------------------------------------------- editing

void DataSet::CheckBrowseMode() {
    CheckActive();
    DataEvent(deCheckBrowseMode);
    switch (state_) {
        case dsEdit:
        case dsInsert:
            UpdateRecord();
            if (modified_) {
                Post();
            } else {
                Cancel();
            }
            break;
        case dsSetKey:
            Post();
            break;
        default:
            break;
    }
}

void DataSet::CheckCanModify() const {
    if (!CanModify()) DatabaseError(msg::DataSetReadOnly);
}

void DataSet::Edit() {
    if (IsEditState(state_)) return;
    CheckActive();
    if (bufferedCount_ == 0) {
        Insert();
        return;
    }
    CheckBrowseMode();
    CheckCanModify();
    DoBeforeEdit();
    InternalEdit();
    GetCalcFields(*ActiveBuffer());
    SetState(dsEdit);
    DataEvent(deRecordChange);
    DoAfterEdit();
}

void DataSet::InitRecord(RecordBuffer& buffer) {
    InternalInitRecord(buffer);
    ClearCalcFields(buffer);
    SetBookmarkFlag(buffer, bfInserted);
}

void DataSet::BeginInsertAppend() {
    CheckBrowseMode();
    CheckCanModify();
    DoBeforeInsert();
    DoBeforeScroll();
}

void DataSet::EndInsertAppend() {
    SetState(dsInsert);
    try {
        DoOnNewRecord();
    } catch (...) {
        UpdateCursorPos();
        InternalCancel();
        SetState(dsBrowse);
        Resync(rmNone);
        throw;
    }
    modified_ = false;
    DataEvent(deDataSetChange);
    DoAfterInsert();
    DoAfterScroll();
}

void DataSet::Insert() {
    BeginInsertAppend();
    Bookmark before = GetBookmark();
    UpdateCursorPos();
    MoveBuffer(bufferedCount_, activeRecord_);
    CursorPosChanged();  // the cursor stays on its record, whose row index has shifted
    RecordBuffer& buffer = *ActiveBuffer();
    InitRecord(buffer);
    if (bufferedCount_ == 0) {
        SetBookmarkFlag(buffer, bfBOF);
    } else {
        SetBookmarkData(buffer, before);
    }
    if (bufferedCount_ < bufferCount_) ++bufferedCount_;
    InternalInsert();
    EndInsertAppend();
}

void DataSet::Append() {
    BeginInsertAppend();
    ClearBuffers();
    RecordBuffer& buffer = *buffers_[0];
    InitRecord(buffer);
    SetBookmarkFlag(buffer, bfEOF);
    bufferedCount_ = 1;
    bof_ = false;  // Eof stays set: the new row stands after the last record
    GetPriorRecords();
    InternalInsert();
    EndInsertAppend();
}

void DataSet::UpdateRecord() {
    if (!IsEditState(state_) && state_ != dsSetKey) DatabaseError(msg::NotEditing);
    DataEvent(deUpdateRecord);
}

void DataSet::CheckRequiredFields() {
    for (const auto& field : fields_) {
        if (field->Required() && !field->ReadOnly() && field->Kind() == fkData && field->IsNull()) {
            DatabaseErrorFmt(msg::FieldRequired, {field->DisplayLabel()});
        }
    }
}

void DataSet::Post() {
    UpdateRecord();
    if (state_ == dsSetKey) {
        SetState(dsBrowse);
        return;
    }
    DataEvent(deCheckBrowseMode);
    DoBeforePost();
    CheckRequiredFields();
    InternalPost();
    SetState(dsBrowse);
    Resync(rmNone);
    DoAfterPost();
}

void DataSet::Cancel() {
    if (state_ == dsSetKey) {
        SetState(dsBrowse);
        return;
    }
    if (!IsEditState(state_)) return;
    DataEvent(deCheckBrowseMode);
    DoBeforeCancel();
    bool scrolls = state_ == dsInsert;
    if (scrolls) DoBeforeScroll();
    UpdateCursorPos();
    InternalCancel();
    SetState(dsBrowse);
    Resync(rmNone);
    DoAfterCancel();
    if (scrolls) DoAfterScroll();
}

void DataSet::Delete() {
    CheckActive();
    if (state_ == dsInsert || state_ == dsSetKey) {
        Cancel();
        return;
    }
    if (bufferedCount_ == 0) DatabaseError(msg::DataSetEmpty);
    DataEvent(deCheckBrowseMode);
    DoBeforeDelete();
    DoBeforeScroll();
    UpdateCursorPos();
    InternalDelete();
    if (state_ == dsEdit) InternalCancel();  // release what the edit took
    SetState(dsBrowse);
    Resync(rmNone);
    DoAfterDelete();
    DoAfterScroll();
}

void DataSet::InsertRecord(const std::vector<FieldValue>& values) {
    AddRecordWithValues(values, false);
}

void DataSet::AppendRecord(const std::vector<FieldValue>& values) {
    AddRecordWithValues(values, true);
}

void DataSet::AddRecordWithValues(const std::vector<FieldValue>& values, bool append) {
    BeginInsertAppend();
    if (!append) UpdateCursorPos();
    DisableControls();
    MoveBuffer(bufferedCount_, activeRecord_);
    CursorPosChanged();
    try {
        RecordBuffer& buffer = *ActiveBuffer();
        InitRecord(buffer);
        state_ = dsInsert;
        SetFields(values);
        DoBeforePost();
        CheckRequiredFields();
        InternalAddRecord(buffer, append);
        state_ = dsBrowse;
        modified_ = false;
    } catch (...) {
        state_ = dsBrowse;
        modified_ = false;
        MoveBuffer(activeRecord_, bufferedCount_);
        EnableControls();
        throw;
    }
    EnableControls();
    Resync(rmNone);
    DoAfterPost();
}

// ---------------------------------------------------------------- bookmarks

bool DataSet::BookmarkAvailable() {
    return (state_ == dsBrowse || IsEditState(state_)) && !IsEmpty() &&
           GetBookmarkFlag(*ActiveBuffer()) == bfCurrent;
}

Bookmark DataSet::GetBookmark() {
    if (!BookmarkAvailable()) return {};
    return GetBookmarkData(*ActiveBuffer());
}

void DataSet::GotoBookmark(const Bookmark& bookmark) {
    if (bookmark.empty()) return;
    CheckBrowseMode();
    DoBeforeScroll();
    InternalGotoBookmark(bookmark);
    Resync(rmExact | rmCenter);
    DoAfterScroll();
}

int DataSet::CompareBookmarks(const Bookmark& a, const Bookmark& b) {
    if (a.empty() || b.empty()) return (a.empty() ? 0 : 1) - (b.empty() ? 0 : 1);
    int result = a.compare(b);
    return (result > 0) - (result < 0);
}

bool DataSet::BookmarkValid(const Bookmark&) { return false; }

bool DataSet::GetCurrentRecord(RecordBuffer&) { return false; }

// ---------------------------------------------------------------- fields

Field& DataSet::AddField(std::unique_ptr<Field> field) {
    CheckInactive();
    field->dataSet_ = this;
    Field& added = fields_.Add(std::move(field));
    return added;
}

void DataSet::CreateFields() {
    for (const FieldDef& def : fieldDefs_) {
        auto field = NewField(def.dataType, def.name, def.size);
        if (!field) continue;
        field->required_ = def.required;
        field->dataSet_ = this;
        fields_.Add(std::move(field));
    }
}

void DataSet::BindFields(bool binding) {
    calcFieldCount_ = 0;
    for (const auto& field : fields_) {
        if (field->Calculated()) {
            field->calcSlot_ = calcFieldCount_++;
            field->fieldNo_ = 0;
            continue;
        }
        field->calcSlot_ = -1;
        if (!binding) {
            field->fieldNo_ = 0;
            continue;
        }
        const FieldDef* def = fieldDefs_.Find(field->FieldName());
        if (def == nullptr) DatabaseErrorFmt(msg::FieldNotFound, {field->FieldName()});
        bool textStore = def->dataType == ftString && !field->IsBlob();
        if (def->dataType != field->DataType() && !textStore) {
            DatabaseErrorFmt(msg::FieldTypeMismatch, {field->FieldName()});
        }
        field->fieldNo_ = def->fieldNo;
    }
    DataEvent(deLayoutChange);
}

void DataSet::DestroyDefaultFields() {
    fields_.Clear();
    calcFieldCount_ = 0;
}

std::vector<FieldValue> DataSet::GetFieldValues() const {
    std::vector<FieldValue> values;
    values.reserve(static_cast<std::size_t>(fields_.Count()));
    for (const auto& field : fields_) values.push_back(field->Value());
    return values;
}

void DataSet::SetFields(const std::vector<FieldValue>& values) {
    std::size_t count = std::min(values.size(), static_cast<std::size_t>(fields_.Count()));
    for (std::size_t i = 0; i < count; ++i) {
        fields_[static_cast<int>(i)].SetValue(values[i]);
    }
}

bool DataSet::ReadFieldValue(const Field& field, FieldValue& value) {
    value = std::monostate{};
    if (!Active()) return false;
    if (field.Calculated()) {
        RecordBuffer* buffer = nullptr;
        if (state_ == dsCalcFields) {
            buffer = calcBuffer_;
        } else if (state_ == dsFilter) {
            buffer = filterBuffer_;
        } else if (!IsEmpty()) {
            buffer = ActiveBuffer();
        }
        auto slot = static_cast<std::size_t>(field.calcSlot_);
        if (buffer == nullptr || field.calcSlot_ < 0 || slot >= buffer->calcValues.size()) {
            return false;
        }
        value = buffer->calcValues[slot];
        return !IsNullValue(value);
    }
    if (!GetFieldData(field, value)) {
        value = std::monostate{};
        return false;
    }
    return true;
}

void DataSet::WriteFieldValue(Field& field, const FieldValue& value) {
    if (!Active()) DatabaseError(msg::NotEditing);
    if (!field.Calculated()) {
        SetFieldData(field, value);
        return;
    }
    if (state_ != dsCalcFields && !IsEditState(state_)) DatabaseError(msg::NotEditing);
    RecordBuffer* buffer = state_ == dsCalcFields ? calcBuffer_ : ActiveBuffer();
    if (buffer == nullptr || field.calcSlot_ < 0) DatabaseError(msg::NotEditing);
    auto slot = static_cast<std::size_t>(field.calcSlot_);
    if (buffer->calcValues.size() <= slot) buffer->calcValues.resize(slot + 1);
    buffer->calcValues[slot] = value;
    if (state_ != dsCalcFields) DataEvent(deFieldChange, &field);
}

void DataSet::CheckFieldCanBeSet(const Field& field) const {
    switch (state_) {
        case dsEdit:
        case dsInsert:
        case dsSetKey:
        case dsCalcFields:
        case dsFilter:
        case dsNewValue:
            break;
        default:
            DatabaseError(msg::NotEditing);
    }
    if (!field.Calculated() && state_ == dsCalcFields) DatabaseError(msg::NotEditing);
    if (field.ReadOnly() && state_ != dsSetKey && state_ != dsFilter) {
        DatabaseErrorFmt(msg::FieldReadOnly, {field.DisplayLabel()});
    }
}

std::unique_ptr<BlobStream> DataSet::CreateBlobStream(Field& field, BlobStreamMode mode) {
    if (mode != bmRead) CheckFieldCanBeSet(field);
    std::string initial;
    FieldValue value;
    if (mode != bmWrite && ReadFieldValue(field, value)) initial = field.FormatValue(value);
    return std::make_unique<ValueBlobStream>(*this, field, mode, std::move(initial));
}

RecordBuffer* DataSet::GetActiveRecordBuffer() {
    switch (state_) {
        case dsBrowse:
            return IsEmpty() ? nullptr : ActiveBuffer();
        case dsEdit:
        case dsInsert:
        case dsNewValue:
        case dsOldValue:
            return ActiveBuffer();
        case dsCalcFields:
            return calcBuffer_;
        case dsFilter:
            return filterBuffer_;
        default:
            return nullptr;
    }
}

void DataSet::ClearCalcFields(RecordBuffer& buffer) {
    buffer.calcValues.assign(static_cast<std::size_t>(calcFieldCount_), {});
}

void DataSet::GetCalcFields(RecordBuffer& buffer) {
    if (calcFieldCount_ == 0) return;
    TempStateGuard guard(state_, dsCalcFields, calcBuffer_, &buffer);
    ClearCalcFields(buffer);
    if (OnCalcFields) OnCalcFields(*this);
}

bool DataSet::RecordFilterAccepts(RecordBuffer& buffer) {
    if (!filtered_ || !OnFilterRecord) return true;
    TempStateGuard guard(state_, dsFilter, filterBuffer_, &buffer);
    bool accept = true;
    OnFilterRecord(*this, accept);
    return accept;
}

void DataSet::SetFiltered(bool filtered) {
    if (filtered == filtered_) return;
    if (Active()) CheckBrowseMode();
    filtered_ = filtered;
    if (Active()) First();
}

void DataSet::SetFilter(std::string filter) {
    if (Active() && filtered_) CheckBrowseMode();
    filter_ = std::move(filter);
    if (Active() && filtered_) First();
}

// ---------------------------------------------------------------- state and events

void DataSet::SetState(DataSetState state) {
    if (state_ == state) return;
    state_ = state;
    modified_ = false;
    DataEvent(deUpdateState);
}

DataSetState DataSet::SetTempState(DataSetState state) {
    DataSetState old = state_;
    state_ = state;
    return old;
}

void DataSet::CheckActive() const {
    if (!Active()) DatabaseError(msg::DataSetClosed);
}

void DataSet::CheckInactive() const {
    if (Active()) DatabaseError(msg::DataSetOpen);
}

void DataSet::DataEvent(DataEventKind event, const void* info) {
    if (event == deFieldChange) {
        auto* field = static_cast<Field*>(const_cast<void*>(info));
        if (field->Kind() == fkData) {
            modified_ = true;
            if (autoCalcFields_ && calcFieldCount_ > 0 && state_ != dsSetKey && ActiveBuffer()) {
                GetCalcFields(*ActiveBuffer());
            }
        }
        if (field->OnChange) field->OnChange(*field);
    }
    if (disableCount_ > 0) {
        if (event != deUpdateState && event != deCheckBrowseMode) pendingChange_ = true;
        return;
    }
    NotifySources(event, info);
}

void DataSet::NotifySources(DataEventKind event, const void* info) {
    for (DataSource* source : std::vector<DataSource*>(sources_)) source->Notify(event, info);
}

void DataSet::DisableControls() {
    if (disableCount_++ == 0) {
        disabledState_ = state_;
        pendingChange_ = false;
    }
}

void DataSet::EnableControls() {
    if (disableCount_ == 0 || --disableCount_ > 0) return;
    bool stateChanged = state_ != disabledState_;
    if (stateChanged) NotifySources(deUpdateState, nullptr);
    if (stateChanged || pendingChange_) NotifySources(deDataSetChange, nullptr);
    pendingChange_ = false;
}

void DataSet::AddDataSource(DataSource* source) {
    if (std::find(sources_.begin(), sources_.end(), source) == sources_.end()) {
        sources_.push_back(source);
    }
}

void DataSet::RemoveDataSource(DataSource* source) {
    sources_.erase(std::remove(sources_.begin(), sources_.end(), source), sources_.end());
}

}  // namespace data
