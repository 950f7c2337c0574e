// A client dataset bound to a named provider of the sales server through a connection:
// Execute sends the command text; Open fetches every row of the command text or of the
// provider's own query (with its parameters); columns are read by name without regard
// to case, as text. Rows inserted and posted here are kept as pending until
// ApplyUpdates sends them to the provider; a later apply sends only rows added since.
#pragma once

#include <string>
#include <vector>

#include "appserver/Backend.h"
#include "appserver/ClientParams.h"
#include "data/DataSet.h"

namespace appserver {

class DCOMConnection;

class ClientDataSet : public data::DataSet {
public:
    ClientDataSet() = default;
    ~ClientDataSet() override;

    DCOMConnection* RemoteServer() const { return connection_; }
    void SetRemoteServer(DCOMConnection* connection) { connection_ = connection; }
    const std::string& ProviderName() const { return providerName_; }
    void SetProviderName(std::string name) { providerName_ = std::move(name); }
    const std::string& CommandText() const { return commandText_; }
    void SetCommandText(std::string text) { commandText_ = std::move(text); }
    ClientParams& Params() { return params_; }

    // Has the provider run the command text (or its own statements); nothing is read.
    void Execute();
    // Sends the pending inserted rows; when more than maxErrors are refused (-1: no
    // limit) none is kept and all stay pending. Returns the number refused.
    int ApplyUpdates(int maxErrors);
    // Messages of the rows the last apply refused.
    const std::vector<std::string>& ApplyErrors() const { return applyErrors_; }
    // Rows inserted and not yet applied.
    int ChangeCount() const;

    bool GetFieldData(const data::Field& field, data::FieldValue& value) override;
    void SetFieldData(data::Field& field, const data::FieldValue& value) override;
    void SetRecNo(int recNo) override;
    bool BookmarkValid(const data::Bookmark& bookmark) override;

protected:
    void InternalOpen() override;
    void InternalClose() override;
    void InternalInitFieldDefs() override;
    bool IsCursorOpen() const override { return open_; }
    void InternalFirst() override { cursor_ = -1; }
    void InternalLast() override { cursor_ = static_cast<int>(rows_.size()); }
    data::GetResult GetRecord(data::RecordBuffer& buffer, data::GetMode mode, bool doCheck) override;
    int GetRecordCount() override { return static_cast<int>(rows_.size()); }
    int GetRecNo() override;
    void InternalInitRecord(data::RecordBuffer& buffer) override;
    void InternalPost() override;
    void InternalAddRecord(data::RecordBuffer& buffer, bool append) override;
    void InternalDelete() override;
    void InternalGotoBookmark(const data::Bookmark& bookmark) override;
    void InternalSetToRecord(data::RecordBuffer& buffer) override;
    data::Bookmark GetBookmarkData(const data::RecordBuffer& buffer) const override;
    void SetBookmarkData(data::RecordBuffer& buffer, const data::Bookmark& bookmark) override;
    data::BookmarkFlag GetBookmarkFlag(const data::RecordBuffer& buffer) const override;
    void SetBookmarkFlag(data::RecordBuffer& buffer, data::BookmarkFlag flag) override;
    data::RecordBufferPtr AllocRecordBuffer() override;

private:
    struct Row {
        int id = 0;
        std::vector<SqlValue> values;
        bool pending = false;  // inserted here, not yet applied
    };

    DCOMConnection& Connection() const;
    int IndexOfId(int id) const;
    void StoreRow(const std::vector<SqlValue>& values, int at);

    DCOMConnection* connection_ = nullptr;
    std::string providerName_;
    std::string commandText_;
    ClientParams params_;
    ResultSet fetched_;  // columns and rows of the last open
    std::vector<Row> rows_;
    int nextId_ = 1;
    int cursor_ = -1;
    bool open_ = false;
    std::vector<std::string> applyErrors_;
};

}  // namespace appserver
