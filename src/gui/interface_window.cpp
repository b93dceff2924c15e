#include "gui/interface_window.h"

#include <QLabel>
#include <QLineEdit>
#include <QShowEvent>
#include <QVBoxLayout>

#include "gui/caption_walker.h"
#include "gui/window_placement.h"
#include "support/settings_keys.h"
#include "support/window_positions.h"

namespace dravio::gui {

namespace keys = support::keys;

namespace {
constexpr std::array<const char*, 6> kOptionCaptions = {"Câble USB", "Câble USB 2", "Câble USB 3", "ELM327 (COM)",
                                                        "Simulateur", "Câble K-line série (/dev/ttyUSB)"};
constexpr int kRowHeight = 24;
constexpr int kListTop = 10 + 6 * kRowHeight + 6;
constexpr const char* kBluetoothHelp =
    "Associez l'adaptateur Bluetooth au PC (bluetoothctl : pair, trust), liez-le à un port série "
    "(sudo rfcomm bind 0 <adresse>), puis choisissez son numéro Com dans la liste. "
    "L'utilisateur doit faire partie du groupe dialout.";

InterfaceSnapshot takeSnapshot(LinkHost& context, bool closes) {
    auto& selection = *context.interfaceSelection;
    InterfaceSnapshot snapshot;
    snapshot.state = selection.state();
    snapshot.messages = selection.takeMessages();
    snapshot.writes.swap(context.interfaceWrites);
    snapshot.outcome.TypeInterface = selection.TypeInterface();
    snapshot.outcome.PortInterface = selection.PortInterface();
    snapshot.outcome.ModeDemo = selection.ModeDemo();
    snapshot.outcome.lbPanel4 = selection.lbPanel4();
    snapshot.closes = closes;
    return snapshot;
}
}  // namespace

InterfaceWindow::InterfaceWindow(LinkThread& linkThread, support::IniFile& ini, DialogPresenter& presenter,
                                 QUrl releaseNotes, QWidget* parent)
    : QDialog(parent),
      linkThread_(linkThread),
      ini_(ini),
      presenter_(presenter),
      releaseNotes_(std::move(releaseNotes)),
      cbUSB_(new QComboBox(this)),
      cbport_(new QComboBox(this)),
      lbFound_(new QLabel(this)),
      FrBT_(new QGroupBox("Help to connect at BT", this)),
      cdOK_(new QPushButton("OK", this)),
      cdNew_(new QPushButton("What's New", this)) {
    setObjectName("frmInterface");
    setWindowTitle("Interface");
    setCaptionId(this, 2308);
    setCaptionId(FrBT_, 2306);
    setCaptionId(cdNew_, 2307);
    setModal(true);

    for (std::size_t i = 0; i < opType_.size(); ++i) {
        auto* option = setCaptionId(new QRadioButton(kOptionCaptions[i], this), 2300 + static_cast<int>(i));
        option->setObjectName(QString("opType%1").arg(i));
        option->setGeometry(12, 10 + static_cast<int>(i) * kRowHeight, 300, 22);
        connect(option, &QRadioButton::clicked, this, [this, i] {
            if (rendering_) return;
            runStep([i](auto& selection) {
                selection.optionClick(static_cast<std::int16_t>(i));
                return false;
            });
        });
        opType_[i] = option;
    }
    cbUSB_->setObjectName("cbUSB");
    cbUSB_->setGeometry(12, kListTop, 306, 26);
    connect(cbUSB_, &QComboBox::activated, this, [this](int index) {
        runStep([index](auto& selection) {
            selection.usbClick(index);
            return false;
        });
    });
    cbport_->setObjectName("cbport");
    cbport_->setGeometry(12, kListTop, 306, 26);
    cbport_->setEditable(true);
    cbport_->setInsertPolicy(QComboBox::NoInsert);
    // A path typed by hand (/dev/rfcomm0) chooses the ELM327's device.
    connect(cbport_->lineEdit(), &QLineEdit::editingFinished, this, [this] {
        if (rendering_ || pending_ > 0) return;
        const auto text = cbport_->currentText().toStdString();
        runStep([text](auto& selection) {
            if (text != selection.state().cbportText) selection.portTyped(text);
            return false;
        });
    });
    lbFound_->setObjectName("lbFound");
    lbFound_->setGeometry(12, kListTop + 30, 306, 20);
    connect(cbport_, &QComboBox::activated, this, [this](int index) {
        runStep([index](auto& selection) {
            selection.portClick(index);
            return false;
        });
    });

    cdOK_->setObjectName("cdOK");
    cdOK_->setGeometry(12, kListTop + 56, 148, 30);
    cdOK_->setDefault(true);
    connect(cdOK_, &QPushButton::clicked, this, [this] {
        const auto typed = cbport_->currentText().toStdString();
        runStep([typed](auto& selection) {
            if (selection.TypeInterface() == session::kInterfaceElm && typed != selection.state().cbportText) {
                selection.portTyped(typed);
            }
            return selection.okClick();
        });
    });
    cdNew_->setObjectName("cdNew");
    cdNew_->setGeometry(170, kListTop + 56, 148, 30);
    connect(cdNew_, &QPushButton::clicked, this, [this] {
        if (!presenter_.openUrl(releaseNotes_)) {
            presenter_.message(DialogPresenter::Icon::Information, "Dravio",
                               translatedText(catalog_, 2310, "Impossible d'ouvrir ") + releaseNotes_.toString(),
                               this);
        }
    });

    // Outside the normal size: visible only once MessageBT has enlarged the window.
    FrBT_->setObjectName("FrBT");
    FrBT_->setGeometry(345, 10, 240, 380);
    auto* help = setCaptionId(new QLabel(kBluetoothHelp, FrBT_), 2309);
    help->setWordWrap(true);
    auto* layout = new QVBoxLayout(FrBT_);
    layout->addWidget(help);
    layout->addStretch();

    const session::InterfaceWindowState initial;
    setFixedSize(support::twipsToPixels(initial.widthTwips), support::twipsToPixels(initial.heightTwips));
}

void InterfaceWindow::load() {
    placeWindow(*this, ini_, support::WindowId::Inter);
    session::InterfaceSettings saved;
    saved.Type = static_cast<std::int16_t>(ini_.readInt(keys::Interface, keys::Type, saved.Type));
    saved.PORT = static_cast<std::int16_t>(ini_.readInt(keys::Interface, keys::PORT, saved.PORT));
    saved.Description = ini_.readString(keys::Interface, keys::Description, saved.Description);
    saved.Device = ini_.readString(keys::Interface, keys::Device, "");
    saved.ElmDevice = ini_.readString(keys::Interface, keys::ElmDevice, "");
    const auto model = proto::modelOrDefault(ini_.readInt(keys::ECU, keys::Type, 0));
    auto texts = [catalog = catalog_](int id, const std::string& french) {
        return catalog.GetResourceString(id, french);
    };
    ++pending_;
    linkThread_.request(
        this,
        [saved, model, texts](LinkHost& context) {
            context.interfaceSelection = std::make_unique<session::InterfaceSelection>(
                *context.factory, context.clock, model, context.trace, saved,
                [&context](const std::string& key, const std::string& value) {
                    context.interfaceWrites.emplace_back(key, value);
                });
            context.interfaceSelection->setTexts(texts);
            context.interfaceSelection->load();
            return takeSnapshot(context, false);
        },
        [this](InterfaceSnapshot snapshot) {
            --pending_;
            render(snapshot);
        });
}

void InterfaceWindow::runStep(Step step) {
    if (pending_ > 0) return;  // one click at a time, as with the busy pointer
    ++pending_;
    cdOK_->setEnabled(false);
    linkThread_.request(
        this,
        [step = std::move(step)](LinkHost& context) {
            if (!context.interfaceSelection) return InterfaceSnapshot{};
            const bool closes = step(*context.interfaceSelection);
            return takeSnapshot(context, closes);
        },
        [this](InterfaceSnapshot snapshot) {
            --pending_;
            render(snapshot);
        });
}

void InterfaceWindow::render(const InterfaceSnapshot& snapshot) {
    for (const auto& [key, value] : snapshot.writes) ini_.writeString(keys::Interface, key, value);
    outcome_ = snapshot.outcome;

    const auto& state = snapshot.state;
    rendering_ = true;
    if (state.opType >= 0 && state.opType < static_cast<int>(opType_.size())) {
        opType_[static_cast<std::size_t>(state.opType)]->setChecked(true);
    }
    cbUSB_->clear();
    for (const auto& item : state.cbUSB) cbUSB_->addItem(QString::fromStdString(item));
    if (state.cbUSBIndex >= 0) {
        cbUSB_->setCurrentIndex(state.cbUSBIndex);
    } else {
        cbUSB_->addItem(QString::fromStdString(state.cbUSBText));
        cbUSB_->setCurrentIndex(cbUSB_->count() - 1);
    }
    cbUSB_->setVisible(state.cbUSBVisible);
    if (cbport_->count() != static_cast<int>(state.cbport.size())) {
        cbport_->clear();
        for (const auto& item : state.cbport) cbport_->addItem(QString::fromStdString(item));
    }
    cbport_->setEditText(QString::fromStdString(state.cbportText));
    cbport_->setVisible(state.cbportVisible);
    lbFound_->setText(QString::fromStdString(state.lbFound));
    lbFound_->setToolTip(lbFound_->text());
    FrBT_->setVisible(state.FrBTVisible);
    cdOK_->setEnabled(state.cdOKEnabled);
    setFixedSize(support::twipsToPixels(state.widthTwips), support::twipsToPixels(state.heightTwips));
    rendering_ = false;

    for (const auto& message : snapshot.messages) {
        const QString title = message.title.empty() ? QString("Dravio") : QString::fromStdString(message.title);
        presenter_.message(DialogPresenter::Icon::Information, title, QString::fromStdString(message.text), this);
    }
    emit updated();
    if (snapshot.closes) accept();
}

void InterfaceWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        emit firstShown();
    }
}

void InterfaceWindow::done(int result) {
    saveWindowPosition(*this, ini_, support::WindowId::Inter);
    QDialog::done(result);
}

}  // namespace dravio::gui
