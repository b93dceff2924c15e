#include "gui/update_check.h"

#include <QWidget>

namespace dravio::gui {

namespace {
QString qs(const std::string& text) { return QString::fromStdString(text); }
}  // namespace

UpdateCheck::UpdateCheck(DialogPresenter& presenter, std::function<void(const std::string&)> status,
                         QWidget* dialogParent, QObject* parent)
    : QObject(parent), presenter_(presenter), status_(std::move(status)), dialogParent_(dialogParent) {}

UpdateCheck::~UpdateCheck() {
    {
        std::lock_guard lock(answer_->mutex);
        answer_->abandoned = true;
    }
    answer_->changed.notify_all();
    worker_.stop();
}

bool UpdateCheck::ask(const std::string& title, const std::string& text) {
    const auto answer = answer_;
    {
        std::lock_guard lock(answer->mutex);
        if (answer->abandoned) return false;
        answer->value = -1;
    }
    QPointer<UpdateCheck> self(this);
    QMetaObject::invokeMethod(
        this,
        [self, answer, title, text] {
            if (!self) return;
            base::MessageBox box;
            box.title = title;
            box.text = text;
            box.icon = base::MessageBox::Icon::Question;
            box.buttons = base::MessageBox::Buttons::YesNo;
            const bool yes = self->presenter_.ask(box, self->dialogParent_.data()) == base::MessageAnswer::Yes;
            {
                std::lock_guard lock(answer->mutex);
                answer->value = yes ? 1 : 0;
            }
            answer->changed.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(answer->mutex);
    answer->changed.wait(lock, [&] { return answer->value >= 0 || answer->abandoned; });
    return answer->value == 1 && !answer->abandoned;
}

void UpdateCheck::start(std::string server, support::UpdatePlaces places, support::ProgramVersion running,
                        support::Catalog catalog) {
    if (running_) return;
    running_ = true;
    catalog_ = std::make_unique<support::Catalog>(std::move(catalog));
    if (!worker_.running()) worker_.start([](base::Clock&, base::EventLoop&) {}, [] {});
    QPointer<UpdateCheck> self(this);
    worker_.post([this, self, server = std::move(server), places = std::move(places), running] {
        support::UpdateView view;
        view.status = [self](const std::string& line) {
            QMetaObject::invokeMethod(
                self.data(),
                [self, line] {
                    if (self && self->status_) self->status_(line);
                },
                Qt::QueuedConnection);
        };
        view.message = [self](const std::string& title, const std::string& text) {
            QMetaObject::invokeMethod(
                self.data(),
                [self, title, text] {
                    if (self) {
                        self->presenter_.message(DialogPresenter::Icon::Information, qs(title), qs(text),
                                                 self->dialogParent_.data());
                    }
                },
                Qt::QueuedConnection);
        };
        view.ask = [this](const std::string& title, const std::string& text) { return ask(title, text); };
        view.yieldToUi = [] {};
        support::CurlDownloader downloader;
        support::UpdateService service(server, places, running, *catalog_, downloader, view);
        service.Find_Update();
        const bool listLoaded = std::filesystem::exists(places.listFile());
        QMetaObject::invokeMethod(
            self.data(),
            [self, listLoaded] {
                if (!self) return;
                self->running_ = false;
                emit self->finished(listLoaded);
            },
            Qt::QueuedConnection);
    });
}

}  // namespace dravio::gui
