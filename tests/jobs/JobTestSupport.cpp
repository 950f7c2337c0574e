#include "JobTestSupport.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "appserver/DemoData.h"
#include "jobs/HostParameters.h"
#include "jobs/demo/DemoMachineFolder.h"
#include "platform/CodePage.h"
#include "platform/FormatSettings.h"
#include "platform/Paths.h"

namespace jobs::test {

void RecordingReporter::ShowResult(const ResultView& view) {
    events.push_back("result " + view.heading);
    ShownResult shown{view.heading, {}, ReadGrid(*view.dataset, view.columns)};
    for (const GridColumn& c : view.columns) shown.captions.push_back(c.caption);
    results.push_back(std::move(shown));
}

std::string JoinRow(const std::vector<std::string>& values) {
    std::string out;
    for (std::size_t i = 0; i < values.size(); ++i) out += (i ? "|" : "") + values[i];
    return out;
}

std::vector<std::string> Sorted(std::vector<std::string> rows) {
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::vector<DbfRecord> DbfContents::Live() const {
    std::vector<DbfRecord> live;
    std::copy_if(records.begin(), records.end(), std::back_inserter(live),
                 [](const DbfRecord& r) { return !r.deleted; });
    return live;
}

std::vector<std::string> DbfContents::LiveRows(const std::vector<std::string>& fields) const {
    std::vector<std::string> rows;
    for (const DbfRecord& r : Live()) {
        std::vector<std::string> values;
        for (const std::string& f : fields) values.push_back(r.at(f));
        rows.push_back(JoinRow(values));
    }
    return rows;
}

std::vector<std::uint8_t> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

DbfContents ReadDbf(const std::string& path) {
    std::vector<std::uint8_t> b = FileBytes(path);
    if (b.size() < 33) throw std::runtime_error("not a table: " + path);
    auto u16 = [&](std::size_t at) { return static_cast<std::size_t>(b[at] | (b[at + 1] << 8)); };
    DbfContents out;
    out.headerCount = static_cast<std::uint32_t>(b[4] | (b[5] << 8) | (b[6] << 16) | (b[7] << 24));
    const std::size_t headerLength = u16(8);
    const std::size_t recordLength = u16(10);
    struct Column {
        std::string name;
        char type;
        std::size_t offset, length;
    };
    std::vector<Column> columns;
    std::size_t offset = 1;
    for (std::size_t at = 32; at + 32 <= headerLength && b[at] != 0x0D; at += 32) {
        std::string name(reinterpret_cast<const char*>(&b[at]), 11);
        name = name.substr(0, name.find('\0'));
        columns.push_back(
            {platform::UpperAscii(name), static_cast<char>(b[at + 11]), offset, b[at + 16]});
        offset += b[at + 16];
    }
    for (std::uint32_t r = 0; r < out.headerCount; ++r) {
        const std::size_t start = headerLength + r * recordLength;
        if (start + recordLength > b.size()) throw std::runtime_error("short table: " + path);
        DbfRecord record;
        record.deleted = b[start] == '*';
        for (const Column& c : columns) {
            std::string raw(reinterpret_cast<const char*>(&b[start + c.offset]), c.length);
            raw.erase(raw.find_last_not_of(' ') + 1);
            if (c.type != 'C')
                raw.erase(0, raw.find_first_not_of(' ') == std::string::npos
                                 ? raw.size()
                                 : raw.find_first_not_of(' '));
            record.values[c.name] = platform::OemToUtf8(raw, "CP936");
        }
        out.records.push_back(std::move(record));
    }
    return out;
}

void JobTest::SetUp() {
    ServerTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    const std::string drive = dir_ + "/drive_c";
    taxDir_ = drive + "/tax";
    platform::SetDriveRoot('c', drive);
    jobs::demo::WriteDemoMachineFolder(taxDir_);
    jobs::hostParameters().ServerComputerName = kComputer;
    appserver::loadDemo(*session());
    platform::ProcessFormatSettings().shortDateFormat = "yyyy-mm-dd";
}

void JobTest::TearDown() { ServerTest::TearDown(); }

}  // namespace jobs::test
