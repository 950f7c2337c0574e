// The main window "税控读入" that showdll shows modally: the three job buttons with
// their explanation boxes, the progress bar a refresh job keeps moving through its
// ticker, and "退出". It owns the server connection and the datasets of the refresh
// jobs (jobs::MainContext) and the result windows they open.
#pragma once

#include <memory>

#include "jobs/MainContext.h"
#include "jobs/RefreshOptions.h"
#include "ui/Form.h"
#include "ui/WindowReporter.h"

class QFrame;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace ui {

class synthread1;

class TFm_sk : public Form {
    Q_OBJECT
public:
    explicit TFm_sk(QWidget* parent = nullptr);
    // Stops and joins a ticker still running before the bar goes away.
    ~TFm_sk() override;

    jobs::MainContext& Context() { return context_; }
    // How the refresh jobs run from this window report (progress bar, result window,
    // message boxes).
    jobs::JobReporter& Reporter() { return reporter_; }
    // The ticker of the refresh job now running; null when none runs.
    synthread1* Ticker() const { return ticker_.get(); }
    // Refresh jobs run so far (each starts its own ticker).
    int TickersStarted() const { return tickersStarted_; }

    QPushButton* btn_khsx;
    QPushButton* FlatButton2;
    QPushButton* FlatButton1;
    QPlainTextEdit* FlatMemo1;
    QPlainTextEdit* FlatMemo2;
    QPlainTextEdit* FlatMemo3;
    QProgressBar* ProgressBar1;
    QPushButton* FlatButton3;

Q_SIGNALS:
    // A refresh job has started a fresh ticker and shown the bar.
    void ProgressStarted();

public Q_SLOTS:
    void btn_khsxClick();
    void FlatButton1Click();
    void FlatButton2Click();
    void FlatButton3Click();

protected:
    void FormShow() override;
    void closeEvent(QCloseEvent* event) override;

private:
    class MainReporter : public WindowReporter {
    public:
        explicit MainReporter(TFm_sk* window) : WindowReporter(window), main_(window) {}
        void ProgressStart() override;
        void ProgressStop(bool hideBar) override;
        void ShowResult(const jobs::ResultView& view) override;

    private:
        TFm_sk* main_;
    };

    void RunRefresh(void (*job)(jobs::MainContext&, jobs::JobReporter&,
                                const jobs::RefreshOptions&));
    void StartTicker();
    void StopTicker();

    jobs::MainContext context_;
    MainReporter reporter_{this};
    std::unique_ptr<synthread1> ticker_;
    int tickersStarted_ = 0;
};

// The main window of the showdll call now running, if any.
extern TFm_sk* Fm_sk;

}  // namespace ui
