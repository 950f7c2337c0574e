// The date window "输入时间" of the invoice read-in: the operator picks a day (today on
// show) and confirms with "确定", which copies that day's invoices to the server and
// opens the check window; "取消" closes it. It owns its server connection and the
// machine's invoice tables (jobs::DateContext) and the check windows it creates.
#pragma once

#include "jobs/DateContext.h"
#include "ui/Form.h"
#include "ui/WindowReporter.h"

class QDateEdit;
class QLabel;
class QPushButton;

namespace ui {

class Tfm_savedata;

class Tfm_time : public Form {
    Q_OBJECT
public:
    explicit Tfm_time(QWidget* parent);
    ~Tfm_time() override;

    jobs::DateContext& Context() { return context_; }
    // The check window of the last confirmation (owned by this window), if any.
    Tfm_savedata* CheckWindow() const { return check_; }

    QLabel* Label1;
    QDateEdit* DateTimePicker1;
    QPushButton* FlatButton1;
    QPushButton* FlatButton2;

public Q_SLOTS:
    void FlatButton1Click();
    void FlatButton2Click();

protected:
    // The connection step, the short date format "yyyy-mm-dd", today in the picker.
    void FormShow() override;

private:
    jobs::DateContext context_;
    WindowReporter reporter_{this};
    Tfm_savedata* check_ = nullptr;
};

// The date window now open, if any.
extern Tfm_time* fm_time;

}  // namespace ui
