#include "gui/replay_window.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <algorithm>
#include <cmath>

#include "gui/caption_walker.h"

namespace dravio::gui {

namespace {

enum Id : int {
    kTitle = 3650,
    kCdOpen = 3652,
    kCdPlay = 3653,
    kCdPause = 3654,
    kLine = 3656,
    kOpenTitle = 3658,
    kCdClose = 3659,
    kLbSpeed = 3660,
    kSkipped = 3661,
    kNoFile = 3662,
};

constexpr std::array<int, 3> kSpeeds = {1, 4, 16};

QString qs(const std::string& text) { return QString::fromStdString(text); }

QPushButton* button(QWidget* parent, const char* name, int id, const char* french) {
    auto* b = setCaptionId(new QPushButton(QString::fromUtf8(french), parent), id);
    b->setObjectName(name);
    return b;
}

}  // namespace

ReplayWindow::ReplayWindow(const support::Catalog& catalog, QWidget* parent)
    : QWidget(parent, Qt::Window), catalog_(catalog) {
    setObjectName("frmReplay");
    setCaptionId(this, kTitle);
    setWindowTitle("Rejouer un enregistrement");
    openChooser_ = [](QWidget* owner, const QString& title) {
        return QFileDialog::getOpenFileName(owner, title, QString(), "Mesures (*.csv *.txt);;*.*");
    };

    auto* cdOpen = button(this, "cdOpen", kCdOpen, "Ouvrir...");
    lbFile_ = new QLabel(this);
    lbFile_->setObjectName("lbFile");
    cdPlay_ = button(this, "cdPlay", kCdPlay, "Lecture");
    cdPause_ = button(this, "cdPause", kCdPause, "Pause");
    auto* cdClose = button(this, "cdClose", kCdClose, "Fermer");
    sldPosition_ = new QSlider(Qt::Horizontal, this);
    sldPosition_->setObjectName("sldPosition");
    lbPosition_ = new QLabel(this);
    lbPosition_->setObjectName("lbPosition");
    auto* speeds = new QHBoxLayout;
    speeds->addWidget(setCaptionId(new QLabel("Vitesse", this), kLbSpeed));
    for (std::size_t i = 0; i < kSpeeds.size(); ++i) {
        opSpeed_[i] = new QRadioButton(QString("×%1").arg(kSpeeds[i]), this);
        opSpeed_[i]->setObjectName(QString("opSpeed%1").arg(i));
        speeds->addWidget(opSpeed_[i]);
        connect(opSpeed_[i], &QRadioButton::clicked, this, [this, i] { setSpeed(kSpeeds[i]); });
    }
    opSpeed_[0]->setChecked(true);
    speeds->addStretch(1);

    auto* grid = new QGridLayout(this);
    grid->addWidget(cdOpen, 0, 0);
    grid->addWidget(lbFile_, 0, 1, 1, 3);
    grid->addWidget(sldPosition_, 1, 0, 1, 4);
    grid->addWidget(lbPosition_, 2, 0, 1, 4);
    grid->addLayout(speeds, 3, 0, 1, 4);
    grid->addWidget(cdPlay_, 4, 0);
    grid->addWidget(cdPause_, 4, 1);
    grid->addWidget(cdClose, 4, 3);
    resize(480, 170);

    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &ReplayWindow::tick);
    connect(cdOpen, &QPushButton::clicked, this, [this] {
        const QString file = openChooser_(this, text(kOpenTitle, "Ouvrir un enregistrement"));
        if (!file.isEmpty()) load(file);
    });
    connect(cdPlay_, &QPushButton::clicked, this, &ReplayWindow::play);
    connect(cdPause_, &QPushButton::clicked, this, &ReplayWindow::pause);
    connect(cdClose, &QPushButton::clicked, this, &QWidget::close);
    connect(sldPosition_, &QSlider::valueChanged, this, [this](int row) {
        if (moving_ || !player_) return;
        player_->seek(static_cast<std::size_t>(std::max(row, 0)));
        wall_.restart();
        showPosition();
    });
    showPosition();
}

QString ReplayWindow::text(int id, const char* french) const { return qs(catalog_.GetResourceString(id, french)); }

bool ReplayWindow::load(const QString& file) {
    pause();
    std::string error;
    auto recording = convert::loadRecording(file.toStdString(), error);
    if (!recording) {
        recording_.reset();
        player_.reset();
        lbFile_->setText(qs(error));
        showPosition();
        return false;
    }
    std::vector<double> times;
    times.reserve(recording->rows.size());
    for (const auto& row : recording->rows) times.push_back(row.time);
    recording_ = std::move(recording);
    player_.emplace(std::move(times));
    for (std::size_t i = 0; i < kSpeeds.size(); ++i) {
        if (opSpeed_[i]->isChecked()) player_->setSpeed(kSpeeds[i]);
    }
    QString shown = QFileInfo(file).fileName();
    if (recording_->skippedLines > 0) {
        shown += QString("  (%1 %2)").arg(recording_->skippedLines).arg(text(kSkipped, "lignes ignorées"));
    }
    lbFile_->setText(shown);
    moving_ = true;
    sldPosition_->setRange(0, static_cast<int>(recording_->rows.size()));
    sldPosition_->setValue(0);
    moving_ = false;
    showPosition();
    return true;
}

void ReplayWindow::setSpeed(int factor) {
    for (std::size_t i = 0; i < kSpeeds.size(); ++i) opSpeed_[i]->setChecked(kSpeeds[i] == factor);
    if (!player_) return;
    // The time gone at the old speed counts at the old speed.
    if (playing()) tick();
    player_->setSpeed(factor);
    if (playing()) schedule();
}

void ReplayWindow::play() {
    if (!player_ || player_->finished()) return;
    wall_.restart();
    schedule();
}

void ReplayWindow::pause() {
    if (playing()) {
        timer_.stop();
        tick();
        timer_.stop();
    }
}

void ReplayWindow::schedule() {
    const auto wait = player_ ? player_->dueIn() : std::nullopt;
    if (!wait) return;
    timer_.start(static_cast<int>(std::ceil(*wait * 1000.0)));
}

void ReplayWindow::tick() {
    if (!player_) return;
    const double seconds = static_cast<double>(wall_.nsecsElapsed()) / 1e9;
    wall_.restart();
    const auto [first, end] = player_->advance(seconds);
    if (end > first) {
        std::vector<convert::LiveValues> rows;
        rows.reserve(end - first);
        for (std::size_t i = first; i < end; ++i)
            rows.push_back(convert::liveValuesOf(*recording_, recording_->rows[i]));
        emit rowsDue(rows);
    }
    showPosition();
    if (player_->finished()) {
        timer_.stop();
        emit finished();
        return;
    }
    if (!timer_.isActive()) schedule();
}

void ReplayWindow::showPosition() {
    const bool loaded = player_.has_value();
    cdPlay_->setEnabled(loaded && !player_->finished());
    cdPause_->setEnabled(loaded);
    sldPosition_->setEnabled(loaded);
    if (!loaded) {
        lbPosition_->setText(text(kNoFile, "Aucun enregistrement"));
        return;
    }
    moving_ = true;
    sldPosition_->setValue(static_cast<int>(player_->nextRow()));
    moving_ = false;
    lbPosition_->setText(QString("%1 %2 / %3  (%4 s)")
                             .arg(text(kLine, "Ligne"))
                             .arg(player_->nextRow())
                             .arg(player_->rowCount())
                             .arg(player_->position(), 0, 'f', 1));
}

}  // namespace dravio::gui
