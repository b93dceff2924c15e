#include "gui/logwork_window.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <ctime>

#include "convert/dif_writer.h"
#include "convert/log_folder.h"
#include "convert/workbook_export.h"
#include "gui/caption_walker.h"
#include "support/settings_keys.h"

namespace dravio::gui {

namespace fs = std::filesystem;
namespace keys = support::keys;

namespace {

// Caption and text ids of this window.
enum Id : int {
    kTitle = 3600,
    kFrFichiers = 3601,
    kCdFolder = 3602,
    kCdRefresh = 3604,
    kCdReadCsv = 3605,
    kFrSetting = 3606,
    kLbTitle = 3607,
    kLbUnit = 3608,
    kLbRangeMin = 3609,
    kLbRangeMax = 3610,
    kCdUpdateDif = 3611,
    kFrCoef = 3612,
    kCdSaveCoef = 3613,
    kCdConvert = 3614,
    kCdExcel = 3615,
    kCdMerge = 3616,
    kCdQuit = 3617,
    kControlHeaders = 3618,
    kPickFolder = 3619,
    kDifExportName = 3620,
    kRunning = 3622,
    kWritten = 3623,
    kAbandoned = 3624,
    kFailed = 3625,
    kPickFile = 3626,
    kWorkbookName = 3627,
    kLbTitres = 3628,
    kCoefSaved = 3629,
    kChannelSaved = 3630,
    kPickTwoFiles = 3631,
};

QString qs(const std::string& text) { return QString::fromStdString(text); }
fs::path pathOf(const QString& text) { return fs::path(text.toStdString()); }

QPushButton* button(QWidget* parent, const char* name, int id, const char* french) {
    auto* b = setCaptionId(new QPushButton(QString::fromUtf8(french), parent), id);
    b->setObjectName(name);
    return b;
}

QLineEdit* textBox(QWidget* parent, const char* name) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    return box;
}

QLabel* label(QWidget* parent, int id, const char* french) {
    return setCaptionId(new QLabel(QString::fromUtf8(french), parent), id);
}

std::optional<double> number(const QString& text) {
    bool ok = false;
    const double value = QString(text).replace(',', '.').trimmed().toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

}  // namespace

FileChoosers qtFileChoosers(const support::Catalog& catalog) {
    const QString retour = qs(catalog.GetResourceString(kCdQuit, "Retour"));
    FileChoosers choosers;
    choosers.folder = [retour](QWidget* parent, const QString& title, const QString& start) {
        QFileDialog dialog(parent, title, start);
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        dialog.setLabelText(QFileDialog::Reject, retour);
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first()
                                                                                       : QString();
    };
    choosers.saveFile = [retour](QWidget* parent, const QString& title, const QString& proposed,
                                 const QString& filter) {
        QFileDialog dialog(parent, title, proposed, filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.selectFile(proposed);
        dialog.setLabelText(QFileDialog::Reject, retour);
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first()
                                                                                       : QString();
    };
    return choosers;
}

LogWorkWindow::LogWorkWindow(support::IniFile& ini, fs::path DossierFiles, const support::Catalog& catalog,
                             DialogPresenter& presenter, QWidget* parent)
    : QWidget(parent, Qt::Window),
      ini_(ini),
      catalog_(catalog),
      presenter_(presenter),
      choosers_(qtFileChoosers(catalog)) {
    setObjectName("frmLogWork");
    setCaptionId(this, kTitle);
    setWindowTitle("Convert CSV/TXT to LogWorks DIF");

    auto* files = setCaptionId(new QGroupBox("Fichiers", this), kFrFichiers);
    files->setObjectName("frFichiers");
    lbFolder_ = new QLabel(files);
    lbFolder_->setObjectName("lbFolder");
    lbFolder_->setWordWrap(true);
    opTxt_ = new QRadioButton("TXT", files);
    opTxt_->setObjectName("OpExtention0");
    opCsv_ = new QRadioButton("CSV", files);
    opCsv_->setObjectName("OpExtention1");
    ListFile_ = new QListWidget(files);
    ListFile_->setObjectName("ListFile");
    ListFile_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    auto* cdFolder = button(files, "cdFolder", kCdFolder, "Dossier...");
    auto* cdRefresh = button(files, "cdRefresh", kCdRefresh, "Rafraîchir");
    auto* cdreadCSV = button(files, "cdreadCSV", kCdReadCsv, "Lire les titres");
    auto* fileGrid = new QGridLayout(files);
    fileGrid->addWidget(cdFolder, 0, 0);
    fileGrid->addWidget(lbFolder_, 0, 1, 1, 3);
    fileGrid->addWidget(opTxt_, 1, 0);
    fileGrid->addWidget(opCsv_, 1, 1);
    fileGrid->addWidget(cdRefresh, 1, 3);
    fileGrid->addWidget(ListFile_, 2, 0, 1, 4);
    fileGrid->addWidget(cdreadCSV, 3, 0, 1, 4);

    auto* titles = new QWidget(this);
    auto* titleBox = new QVBoxLayout(titles);
    titleBox->setContentsMargins(0, 0, 0, 0);
    titleBox->addWidget(label(titles, kLbTitres, "Colonnes"));
    lstTitres_ = new QListWidget(titles);
    lstTitres_->setObjectName("lstTitres");
    titleBox->addWidget(lstTitres_);

    auto* setting = setCaptionId(new QGroupBox("Setting Logworks3", this), kFrSetting);
    setting->setObjectName("frSetting");
    cbBaseDIF_ = new QComboBox(setting);
    cbBaseDIF_->setObjectName("cbBaseDIF");
    Title_ = textBox(setting, "Title");
    Unit_ = textBox(setting, "Unit");
    RangeMin_ = textBox(setting, "RangeMin");
    RangeMax_ = textBox(setting, "RangeMax");
    auto* cdUpdateDIF = button(setting, "cdUpdateDIF", kCdUpdateDif, "Update");
    auto* settingGrid = new QGridLayout(setting);
    settingGrid->addWidget(cbBaseDIF_, 0, 0, 1, 2);
    settingGrid->addWidget(label(setting, kLbTitle, "Titre"), 1, 0);
    settingGrid->addWidget(Title_, 1, 1);
    settingGrid->addWidget(label(setting, kLbUnit, "Unité"), 2, 0);
    settingGrid->addWidget(Unit_, 2, 1);
    settingGrid->addWidget(label(setting, kLbRangeMin, "Minimum"), 3, 0);
    settingGrid->addWidget(RangeMin_, 3, 1);
    settingGrid->addWidget(label(setting, kLbRangeMax, "Maximum"), 4, 0);
    settingGrid->addWidget(RangeMax_, 4, 1);
    settingGrid->addWidget(cdUpdateDIF, 5, 1);

    auto* coef = setCaptionId(new QGroupBox("Lambda = A x V + B", this), kFrCoef);
    coef->setObjectName("frCoef");
    txA_ = textBox(coef, "txA");
    txB_ = textBox(coef, "txB");
    auto* cdSaveCoef = button(coef, "cdSaveCoef", kCdSaveCoef, "Save Coef");
    auto* coefGrid = new QGridLayout(coef);
    coefGrid->addWidget(new QLabel("A", coef), 0, 0);
    coefGrid->addWidget(txA_, 0, 1);
    coefGrid->addWidget(new QLabel("B", coef), 1, 0);
    coefGrid->addWidget(txB_, 1, 1);
    coefGrid->addWidget(cdSaveCoef, 2, 1);

    auto* cdConvert = button(this, "cdConvert", kCdConvert, "Convertir en DIF");
    auto* cdExcel = button(this, "cdExcel", kCdExcel, "Excel");
    auto* cdMerge = button(this, "cdMerge", kCdMerge, "Fusionner");
    cdQuit_ = button(this, "cdQuit", kCdQuit, "Retour");
    exportButtons_ = {cdConvert, cdExcel, cdMerge, cdreadCSV, cdFolder, cdRefresh};
    progress_ = new QProgressBar(this);
    progress_->setObjectName("ProgressBar1");
    progress_->setRange(0, 100);
    progress_->setValue(0);
    lbStatus_ = new QLabel(this);
    lbStatus_->setObjectName("lbStatus");

    auto* right = new QVBoxLayout;
    right->addWidget(setting);
    right->addWidget(coef);
    right->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addWidget(files, 3);
    top->addWidget(titles, 2);
    top->addLayout(right, 2);
    auto* buttons = new QHBoxLayout;
    for (auto* b : {cdConvert, cdExcel, cdMerge}) buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(cdQuit_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(progress_);
    layout->addWidget(lbStatus_);
    layout->addLayout(buttons);
    resize(900, 460);

    connect(cdFolder, &QPushButton::clicked, this, &LogWorkWindow::chooseFolder);
    connect(cdRefresh, &QPushButton::clicked, this, &LogWorkWindow::refresh);
    connect(opTxt_, &QRadioButton::clicked, this, [this] {
        ini_.writeString(keys::Logworks, keys::Ext, "TXT");
        refresh();
    });
    connect(opCsv_, &QRadioButton::clicked, this, [this] {
        ini_.writeString(keys::Logworks, keys::Ext, "CSV");
        refresh();
    });
    connect(cdreadCSV, &QPushButton::clicked, this, &LogWorkWindow::readTitles);
    connect(ListFile_, &QListWidget::itemDoubleClicked, this, &LogWorkWindow::readTitles);
    connect(cbBaseDIF_, &QComboBox::currentIndexChanged, this, &LogWorkWindow::channelChosen);
    connect(cdUpdateDIF, &QPushButton::clicked, this, &LogWorkWindow::updateChannel);
    connect(cdSaveCoef, &QPushButton::clicked, this, &LogWorkWindow::saveCoef);
    connect(cdConvert, &QPushButton::clicked, this, &LogWorkWindow::convertDif);
    connect(cdExcel, &QPushButton::clicked, this, [this] { exportExcel(false); });
    connect(cdMerge, &QPushButton::clicked, this, [this] { exportExcel(true); });
    connect(cdQuit_, &QPushButton::clicked, this, &QWidget::close);

    std::string error;
    database_ = convert::ChannelDatabase::open(DossierFiles / convert::kChannelDatabaseFile, error);
    if (!database_) lbStatus_->setText(qs(error));

    const auto coefficients = convert::coefficientsFromText(ini_.readString(keys::Coef, keys::A, "3.008"),
                                                            ini_.readString(keys::Coef, keys::B, "7.35"));
    txA_->setText(qs(convert::formatCoefficient(coefficients.A)));
    txB_->setText(qs(convert::formatCoefficient(coefficients.B)));
    const bool csv = convert::normalizeExtension(ini_.readString(keys::Logworks, keys::Ext, "TXT")) == "CSV";
    (csv ? opCsv_ : opTxt_)->setChecked(true);
    lbFolder_->setText(qs(ini_.readString(keys::Logworks, keys::Folder, "")));
    refresh();
    fillChannels();

    worker_.start([](base::Clock&, base::EventLoop&) {}, [] {});
}

LogWorkWindow::~LogWorkWindow() {
    cancel_->store(true);
    worker_.stop();
}

QString LogWorkWindow::text(int id, const char* french) const { return qs(catalog_.GetResourceString(id, french)); }

void LogWorkWindow::closeEvent(QCloseEvent* event) {
    // An export still running is abandoned; its target stays as it was.
    cancel_->store(true);
    QWidget::closeEvent(event);
}

void LogWorkWindow::setFolder(const QString& folder) {
    ini_.writeString(keys::Logworks, keys::Folder, folder.toStdString());
    lbFolder_->setText(folder);
    refresh();
}

void LogWorkWindow::chooseFolder() {
    const QString folder = choosers_.folder(this, text(kPickFolder, "Pick a folder"), lbFolder_->text());
    if (!folder.isEmpty()) setFolder(folder);
}

void LogWorkWindow::refresh() {
    ListFile_->clear();
    const auto names = convert::listSourceFiles(pathOf(lbFolder_->text()), opCsv_->isChecked() ? "CSV" : "TXT");
    for (const auto& name : names) ListFile_->addItem(qs(name));
    if (ListFile_->count() > 0) ListFile_->setCurrentRow(0);
}

std::vector<fs::path> LogWorkWindow::selectedFiles() const {
    std::vector<fs::path> files;
    for (int row = 0; row < ListFile_->count(); ++row) {
        if (ListFile_->item(row)->isSelected())
            files.push_back(pathOf(lbFolder_->text()) / pathOf(ListFile_->item(row)->text()));
    }
    return files;
}

void LogWorkWindow::readTitles() {
    const auto files = selectedFiles();
    if (files.empty()) {
        lbStatus_->setText(text(kPickFile, "Choisissez un fichier dans la liste"));
        return;
    }
    std::string error;
    columns_ = convert::readTitlesOfFile(files.front(), error);
    columnsOf_ = files.front();
    lstTitres_->clear();
    if (columns_.empty()) {
        lbStatus_->setText(qs(error));
        return;
    }
    for (const auto& column : columns_) {
        const QString channel = column.rule != nullptr ? qs(std::string(column.rule->name)) : QString("?");
        lstTitres_->addItem(qs(column.title) + "  →  " + channel);
    }
    if (database_) convert::markColumnsPresent(*database_, columns_);
    fillChannels();
    lbStatus_->clear();
}

void LogWorkWindow::fillChannels() {
    cbBaseDIF_->clear();
    if (!database_) return;
    // initChamps: the channels of the file read; all of them before any file is.
    auto channels = database_->initChamps();
    if (channels.empty()) channels = database_->all();
    for (const auto& channel : channels) cbBaseDIF_->addItem(qs(channel.name));
}

void LogWorkWindow::channelChosen(int index) {
    if (!database_ || index < 0) return;
    const auto channel = database_->channel(cbBaseDIF_->itemText(index).toStdString());
    if (!channel) return;
    Title_->setText(qs(channel->title));
    Unit_->setText(qs(channel->unit));
    RangeMin_->setText(qs(convert::difNumber(channel->rangemin)));
    RangeMax_->setText(qs(convert::difNumber(channel->rangemax)));
}

void LogWorkWindow::updateChannel() {
    if (!database_ || cbBaseDIF_->currentIndex() < 0) return;
    auto channel = database_->channel(cbBaseDIF_->currentText().toStdString());
    const auto low = number(RangeMin_->text());
    const auto high = number(RangeMax_->text());
    if (!channel || !low || !high) {
        lbStatus_->setText(text(kFailed, "Échec :") + " " + RangeMin_->text() + " / " + RangeMax_->text());
        return;
    }
    channel->title = Title_->text().toStdString();
    channel->unit = Unit_->text().toStdString();
    channel->rangemin = *low;
    channel->rangemax = *high;
    lbStatus_->setText(database_->cdUpdateDIF(*channel)
                           ? text(kChannelSaved, "Canal mis à jour :") + " " + qs(channel->name)
                           : text(kFailed, "Échec :") + " " + qs(database_->lastError()));
}

void LogWorkWindow::saveCoef() {
    const auto coefficients = convert::coefficientsFromText(txA_->text().replace(',', '.').toStdString(),
                                                            txB_->text().replace(',', '.').toStdString());
    const std::string a = convert::formatCoefficient(coefficients.A);
    const std::string b = convert::formatCoefficient(coefficients.B);
    txA_->setText(qs(a));
    txB_->setText(qs(b));
    ini_.writeString(keys::Coef, keys::A, a);
    ini_.writeString(keys::Coef, keys::B, b);
    lbStatus_->setText(text(kCoefSaved, "Coefficients enregistrés"));
}

void LogWorkWindow::convertDif() {
    const auto files = selectedFiles();
    if (files.empty()) {
        lbStatus_->setText(text(kPickFile, "Choisissez un fichier dans la liste"));
        return;
    }
    const QString target =
        choosers_.saveFile(this, text(kDifExportName, "DIF Export Name"),
                           qs(convert::difNameFor(files.front()).string()), "Logworks (*.dif);;*.dif;;All Files (*.*)");
    if (target.isEmpty()) return;
    fs::path difTarget = pathOf(target);
    if (difTarget.extension() != ".dif") difTarget += ".dif";

    // The database stays on this thread: the descriptions are read here, the file written there.
    std::string error;
    auto columns = convert::readTitlesOfFile(files.front(), error);
    if (columns.empty()) {
        lbStatus_->setText(text(kFailed, "Échec :") + " " + qs(error));
        return;
    }
    if (database_) convert::markColumnsPresent(*database_, columns);
    auto channels = convert::describeColumns(columns, database_.get());
    convert::ConvertOptions options;
    options.lambda = convert::coefficientsFromText(txA_->text().replace(',', '.').toStdString(),
                                                   txB_->text().replace(',', '.').toStdString());
    run(
        [source = files.front(), difTarget, channels = std::move(channels), options](const auto& progress,
                                                                                     std::string& why) {
            convert::ConvertOptions withProgress = options;
            withProgress.progress = progress;
            const auto result = convert::cdConvert(source, difTarget, channels, withProgress);
            why = result.error;
            return result.ok;
        },
        qs(difTarget.string()));
}

void LogWorkWindow::exportExcel(bool merge) {
    auto files = selectedFiles();
    if (files.empty() || (merge && files.size() < 2)) {
        lbStatus_->setText(merge ? text(kPickTwoFiles, "Choisissez au moins deux fichiers dans la liste")
                                 : text(kPickFile, "Choisissez un fichier dans la liste"));
        return;
    }
    if (merge) {
        presenter_.message(DialogPresenter::Icon::Information, "Merge",
                           text(kControlHeaders, "Control the column headers and positions"), this);
    }
    const QString target =
        choosers_.saveFile(this, text(kWorkbookName, "Nom du classeur"),
                           qs(convert::workbookNameFor(files.front()).string()), "Excel (*.xlsx);;All Files (*.*)");
    if (target.isEmpty()) return;
    fs::path xlsx = pathOf(target);
    if (xlsx.extension() != ".xlsx") xlsx += ".xlsx";
    if (!merge) files.resize(1);
    const std::time_t clock = std::time(nullptr);
    std::tm now{};
    localtime_r(&clock, &now);
    run(
        [files, xlsx, now](const auto& progress, std::string& why) {
            const auto result = convert::exportWorkbook(files, xlsx, now, progress);
            why = result.error;
            return result.ok;
        },
        qs(xlsx.string()));
}

void LogWorkWindow::run(std::function<bool(const std::function<bool(std::uint64_t, std::uint64_t)>&, std::string&)> job,
                        const QString& target) {
    if (busy_) return;
    setBusy(true);
    cancel_->store(false);
    progress_->setValue(0);
    lbStatus_->setText(text(kRunning, "Conversion en cours..."));
    QPointer<LogWorkWindow> self(this);
    worker_.post([self, job = std::move(job), cancel = cancel_, target] {
        const auto progress = [self, cancel](std::uint64_t done, std::uint64_t total) {
            const int percent = total == 0 ? 100 : static_cast<int>(done * 100 / total);
            QMetaObject::invokeMethod(
                self.data(),
                [self, percent] {
                    if (self) self->progress_->setValue(percent);
                },
                Qt::QueuedConnection);
            return !cancel->load();
        };
        std::string why;
        const bool ok = job(progress, why);
        const bool abandoned = !ok && cancel->load();
        QMetaObject::invokeMethod(
            self.data(),
            [self, ok, abandoned, why, target] {
                if (!self) return;
                self->setBusy(false);
                if (ok) {
                    self->progress_->setValue(100);
                    self->lbStatus_->setText(self->text(kWritten, "Fichier écrit :") + " " + target);
                } else {
                    self->lbStatus_->setText(abandoned ? self->text(kAbandoned, "Conversion abandonnée")
                                                       : self->text(kFailed, "Échec :") + " " + qs(why));
                }
                emit self->exportFinished(ok);
            },
            Qt::QueuedConnection);
    });
}

void LogWorkWindow::setBusy(bool busy) {
    busy_ = busy;
    for (auto* b : exportButtons_) b->setEnabled(!busy);
}

}  // namespace dravio::gui
