#include "gui/onebyte_controller.h"

#include <QMainWindow>
#include <QMenuBar>

#include "gui/erreur_window.h"
#include "gui/trimmer15_window.h"
#include "gui/window_placement.h"

namespace dravio::gui {

bool opensErreurWindow(std::optional<proto::Model> model) {
    return model == proto::Model::MM16 || model == proto::Model::MM15 || model == proto::Model::RC15;
}

bool opensTrimmer15Window(std::optional<proto::Model> model) {
    return model == proto::Model::MM15 || model == proto::Model::RC15;
}

void setMainCommandsEnabled(QMainWindow& window, bool enabled) {
    if (window.centralWidget() != nullptr) window.centralWidget()->setEnabled(enabled);
    window.menuBar()->setEnabled(enabled);
}

OneByteController::OneByteController(LinkThread& linkThread, support::IniFile& ini, QWidget& mainWindow,
                                     std::function<void()> unloadGraph, QObject* parent)
    : QObject(parent), linkThread_(linkThread), ini_(ini), main_(mainWindow), unloadGraph_(std::move(unloadGraph)) {}

OneByteController::~OneByteController() {
    delete erreur_.data();
    delete trimmer_.data();
}

ErreurWindow* OneByteController::erreurWindow() const { return erreur_.data(); }
Trimmer15Window* OneByteController::trimmerWindow() const { return trimmer_.data(); }

template <class Window>
std::function<void(std::map<std::string, base::ControlState>)> OneByteController::sinkTo(Window* window) {
    QPointer<Window> guard(window);
    return [this, guard](std::map<std::string, base::ControlState> changes) {
        QMetaObject::invokeMethod(
            this,
            [guard, changes = std::move(changes)] {
                if (guard) guard->apply(changes);
            },
            Qt::QueuedConnection);
    };
}

namespace {
template <class Window>
void raise(Window& window) {
    window.show();
    window.raise();
    window.activateWindow();
}

template <class Work>
void onSession(LinkThread& thread, Work work) {
    thread.post([work = std::move(work)](LinkHost& host) mutable {
        if (host.session) work(host.session->oneByte());
    });
}
}  // namespace

void OneByteController::showErreur() {
    if (erreur_) {
        raise(*erreur_);
        return;
    }
    // Made before the session opens it, so that the first captions find it.
    auto* window = new ErreurWindow(&main_);
    placeWindow(*window, ini_, support::WindowId::Erreur);
    session::OneByteSink sink{sinkTo(window), [this] {
                                  QMetaObject::invokeMethod(
                                      this,
                                      [this] {
                                          if (unloadGraph_) unloadGraph_();
                                      },
                                      Qt::QueuedConnection);
                              }};
    QPointer<ErreurWindow> guard(window);
    linkThread_.request(
        this,
        [sink = std::move(sink)](LinkHost& host) mutable {
            return host.session != nullptr && host.session->oneByte().openErreur(std::move(sink));
        },
        [this, guard](bool open) {
            if (!guard) return;
            if (!open) {
                delete guard.data();
                return;
            }
            erreur_ = guard.data();
            connect(erreur_, &ErreurWindow::readRequested, this,
                    [this] { onSession(linkThread_, [](session::OneByteWindows& w) { w.cderreur(); }); });
            connect(erreur_, &ErreurWindow::commandRequested, this, [this](int button) {
                onSession(linkThread_, [button](session::OneByteWindows& w) { w.cddiag(button); });
            });
            connect(erreur_, &ErreurWindow::closed, this, [this] {
                saveWindowPosition(*erreur_, ini_, support::WindowId::Erreur);
                onSession(linkThread_, [](session::OneByteWindows& w) { w.closeErreur(); });
                erreur_->deleteLater();
            });
            raise(*erreur_);
            emit erreurShown();
        });
}

void OneByteController::showTrimmer() {
    if (trimmer_) {
        raise(*trimmer_);
        return;
    }
    auto* window = new Trimmer15Window(&main_);
    placeWindow(*window, ini_, support::WindowId::Trim15);
    session::OneByteSink sink{sinkTo(window), {}};
    QPointer<Trimmer15Window> guard(window);
    linkThread_.request(
        this,
        [sink = std::move(sink)](LinkHost& host) mutable {
            return host.session != nullptr && host.session->oneByte().openTrimmer(std::move(sink));
        },
        [this, guard](bool open) {
            if (!guard) return;
            if (!open) {
                delete guard.data();
                return;
            }
            trimmer_ = guard.data();
            connect(trimmer_, &Trimmer15Window::mesuresClicked, this,
                    [this] { onSession(linkThread_, [](session::OneByteWindows& w) { w.cdMesures(); }); });
            connect(trimmer_, &Trimmer15Window::startClicked, this,
                    [this] { onSession(linkThread_, [](session::OneByteWindows& w) { w.cdAA(); }); });
            connect(trimmer_, &Trimmer15Window::stepClicked, this, [this](int index) {
                onSession(linkThread_, [index](session::OneByteWindows& w) { w.cdTrim(index); });
            });
            connect(trimmer_, &Trimmer15Window::saveClicked, this,
                    [this] { onSession(linkThread_, [](session::OneByteWindows& w) { w.cdSave(); }); });
            connect(trimmer_, &Trimmer15Window::closed, this, [this] {
                saveWindowPosition(*trimmer_, ini_, support::WindowId::Trim15);
                onSession(linkThread_, [](session::OneByteWindows& w) { w.closeTrimmer(); });
                trimmer_->deleteLater();
            });
            raise(*trimmer_);
            emit trimmerShown();
        });
}

void OneByteController::closeAll() {
    for (QWidget* window : {static_cast<QWidget*>(erreur_.data()), static_cast<QWidget*>(trimmer_.data())}) {
        if (window != nullptr) window->close();
    }
}

}  // namespace dravio::gui
