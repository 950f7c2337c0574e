#include "ui/Screenshots.h"

#include <QDir>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <stdexcept>

#include "ui/DataGrid.h"
#include "ui/DataSetModel.h"
#include "ui/ModalRun.h"
#include "ui/TFM_KHSQ.h"
#include "ui/TFm_sk.h"
#include "ui/Tfm_savedata.h"
#include "ui/Tfm_time.h"

namespace ui {

namespace {

class Renderer {
public:
    explicit Renderer(const std::string& directory) : dir_(QString::fromStdString(directory)) {
        if (!QDir().mkpath(dir_)) {
            throw std::runtime_error("cannot create the folder " + directory);
        }
    }

    void Save(QWidget& window, const QString& name) {
        const QString path = dir_ + QLatin1Char('/') + name + QStringLiteral(".png");
        if (!window.grab().save(path, "PNG")) {
            throw std::runtime_error("cannot write " + path.toStdString());
        }
        run.files.push_back(path.toStdString());
    }

    // Stands in for each modal loop: shows the window, saves it, and answers it.
    int Answer(QDialog& dialog) {
        dialog.show();
        if (auto* form = qobject_cast<Form*>(&dialog)) form->EnsureActivated();
        if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
            const bool error = box->icon() == QMessageBox::Critical;
            if (error) run.errors.push_back(box->text().toStdString());
            Save(dialog, QStringLiteral("%1-%2").arg(error ? "error" : "message").arg(++boxes_));
            box->close();
            return QMessageBox::Ok;
        }
        if (auto* result = qobject_cast<TFM_KHSQ*>(&dialog)) {
            Save(dialog, !result->DBGrid1->isHidden() ? QStringLiteral("result-customers")
                                                      : QStringLiteral("result-products"));
        } else if (auto* date = qobject_cast<Tfm_time*>(&dialog)) {
            Save(dialog, QStringLiteral("date"));
            date->FlatButton1->click();  // the read-in and its check window
        } else if (auto* check = qobject_cast<Tfm_savedata*>(&dialog)) {
            if (check->DS_GSVSKER_DHAO->rowCount() > 0) {
                const QModelIndex first = check->DS_GSVSKER_DHAO->index(0, 0);
                check->DBGrid1->selectRow(0);
                check->DBGrid1Click(first);
            }
            Save(dialog, QStringLiteral("check"));
        }
        dialog.close();
        return dialog.result();
    }

    ScreenshotRun run;

private:
    QString dir_;
    int boxes_ = 0;
};

// Puts the previous interceptor back however the rendering ends.
class InterceptorScope {
public:
    explicit InterceptorScope(ModalInterceptor interceptor)
        : previous_(SetModalInterceptor(std::move(interceptor))) {}
    ~InterceptorScope() { SetModalInterceptor(std::move(previous_)); }
    InterceptorScope(const InterceptorScope&) = delete;
    InterceptorScope& operator=(const InterceptorScope&) = delete;

private:
    ModalInterceptor previous_;
};

}  // namespace

ScreenshotRun RenderScreenshots(const std::string& directory) {
    Renderer renderer(directory);
    InterceptorScope scope([&renderer](QDialog& dialog) { return renderer.Answer(dialog); });
    TFm_sk main;
    main.show();
    main.EnsureActivated();
    renderer.Save(main, QStringLiteral("main"));
    main.btn_khsx->click();
    main.FlatButton1->click();
    main.FlatButton2->click();
    main.close();
    return std::move(renderer.run);
}

}  // namespace ui
