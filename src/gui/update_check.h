// gui: the update check of the windows, run on a worker thread of its own so
// that neither the windows nor the link wait for the network. Its status lines
// go to the trace, its messages and questions to the DialogPresenter on the GUI
// thread; a question waits on the worker for the answer.
#pragma once

#include <QObject>
#include <QPointer>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "base/worker.h"
#include "gui/dialog_presenter.h"
#include "support/catalog.h"
#include "support/update/update_service.h"

namespace dravio::gui {

class UpdateCheck : public QObject {
    Q_OBJECT
public:
    // `status` runs on the GUI thread for each status line.
    UpdateCheck(DialogPresenter& presenter, std::function<void(const std::string&)> status, QWidget* dialogParent,
                QObject* parent = nullptr);
    // Abandons a check still running: a question waiting is answered No.
    ~UpdateCheck() override;

    // Runs Find_Update against `server` on the worker; finished() follows.
    void start(std::string server, support::UpdatePlaces places, support::ProgramVersion running,
               support::Catalog catalog);
    bool running() const { return running_; }

signals:
    // The check ended; `listLoaded` when the update list could be downloaded.
    void finished(bool listLoaded);

private:
    struct Answer {
        std::mutex mutex;
        std::condition_variable changed;
        int value = -1;  // -1 waiting, 0 No, 1 Yes
        bool abandoned = false;
    };
    bool ask(const std::string& title, const std::string& text);

    DialogPresenter& presenter_;
    std::function<void(const std::string&)> status_;
    QPointer<QWidget> dialogParent_;
    std::shared_ptr<Answer> answer_ = std::make_shared<Answer>();
    std::unique_ptr<support::Catalog> catalog_;
    base::Worker worker_;
    bool running_ = false;
};

}  // namespace dravio::gui
