#include "UiTestSupport.h"

#include <QMessageBox>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "appserver/ClientDataSet.h"
#include "appserver/DCOMConnection.h"
#include "appserver/DemoData.h"
#include "jobs/HostParameters.h"
#include "jobs/ServerConnection.h"
#include "jobs/TableRefill.h"
#include "jobs/demo/DemoMachineFolder.h"
#include "ui/Form.h"

namespace ui::test {

DemoEnvironment::DemoEnvironment() {
    if (!dir_.isValid()) throw std::runtime_error("no temporary folder");
    const std::string root = Root();
    setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    setenv("TAXBRIDGE_DRIVE_C", (root + "/drive_c").c_str(), 1);
    unsetenv("TAXBRIDGE_SERVERS_CONF");
}

void DemoEnvironment::Reset() {
    jobs::hostParameters() = jobs::HostParameters{};
    jobs::demo::WriteDemoMachineFolder(TaxDir());
    appserver::initDemo("");
}

std::string DemoEnvironment::TaxDir() const { return Root() + "/drive_c/tax"; }

std::vector<std::string> ServerRows(const std::string& query,
                                    const std::vector<std::string>& columns) {
    appserver::DCOMConnection connection;
    appserver::ClientDataSet temp;
    jobs::BindClientDataSet(temp, connection, "temp", "dsp_temp");
    std::vector<std::string> rows;
    for (const std::vector<std::string>& row : jobs::FetchText(temp, query, columns)) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) line += (i ? "|" : "") + row[i];
        rows.push_back(line);
    }
    return rows;
}

std::vector<unsigned char> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string DayText(int dayOffset) { return appserver::demo::dayText(dayOffset); }

void ShowAsModal(QDialog& dialog) {
    dialog.show();
    if (auto* form = qobject_cast<ui::Form*>(&dialog)) form->EnsureActivated();
}

ModalScript::ModalScript()
    : previous_(SetModalInterceptor([this](QDialog& dialog) { return Answer(dialog); })) {}

ModalScript::~ModalScript() { SetModalInterceptor(std::move(previous_)); }

int ModalScript::Answer(QDialog& dialog) {
    if (steps_.empty()) {
        failures.push_back(QStringLiteral("no step left for window %1 (%2)")
                               .arg(dialog.objectName(), dialog.windowTitle()));
        if (auto* box = qobject_cast<QMessageBox*>(&dialog)) failures.push_back(box->text());
        dialog.close();
        return 0;
    }
    auto step = std::move(steps_.front());
    steps_.pop_front();
    return step(dialog);
}

}  // namespace ui::test
