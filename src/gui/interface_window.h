// gui: the interface window (frmInterface), shown once at start. It draws the
// state of session::InterfaceSelection, which lives on the link thread beside the
// cables it lists and opens; clicks are posted there and the new state comes back.
//
// Option buttons opType(0..5) are named "opType0".."opType5"; 4 is the simulator,
// 5 a serial K-line cable.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QUrl>
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "gui/dialog_presenter.h"
#include "gui/link_thread.h"
#include "gui/main_window_model.h"
#include "support/catalog.h"
#include "support/ini_file.h"

namespace dravio::gui {

// One look at the selection after a step, taken on the link thread.
struct InterfaceSnapshot {
    session::InterfaceWindowState state;
    std::vector<session::InterfaceMessage> messages;
    std::vector<std::pair<std::string, std::string>> writes;
    InterfaceOutcome outcome;
    bool closes = false;
};

class InterfaceWindow : public QDialog {
    Q_OBJECT
public:
    InterfaceWindow(LinkThread& linkThread, support::IniFile& ini, DialogPresenter& presenter, QUrl releaseNotes,
                    QWidget* parent = nullptr);

    // Places the window, creates the selection on the link thread and loads it.
    void load();
    // The language of the window's texts and of what the selection reports.
    void setCatalog(const support::Catalog& catalog) { catalog_ = catalog; }
    // The choice so far; final once the window has closed.
    const InterfaceOutcome& outcome() const { return outcome_; }
    // True while a click is being handled on the link thread.
    bool busy() const { return pending_ > 0; }

signals:
    void firstShown();
    // A snapshot has been drawn (tests wait for it).
    void updated();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    using Step = std::function<bool(session::InterfaceSelection&)>;
    void runStep(Step step);
    void render(const InterfaceSnapshot& snapshot);

    LinkThread& linkThread_;
    support::IniFile& ini_;
    support::Catalog catalog_;
    DialogPresenter& presenter_;
    QUrl releaseNotes_;
    std::array<QRadioButton*, 6> opType_{};
    QComboBox* cbUSB_;
    QComboBox* cbport_;
    QLabel* lbFound_;
    QGroupBox* FrBT_;
    QPushButton* cdOK_;
    QPushButton* cdNew_;
    InterfaceOutcome outcome_;
    int pending_ = 0;
    bool rendering_ = false;
    bool shownOnce_ = false;
};

}  // namespace dravio::gui
