// gui: the conversion window (frmLogWork, "Convert CSV/TXT to LogWorks DIF"): the
// source folder and its files, the titles of the chosen file, the channel
// database editor, the lambda coefficients, and the DIF, workbook and merge
// exports. The exports run on a worker thread of the window's own; the window
// shows their progress and can abandon them.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>
#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "base/worker.h"
#include "convert/channel_db.h"
#include "convert/column_rules.h"
#include "gui/dialog_presenter.h"
#include "support/catalog.h"
#include "support/ini_file.h"

namespace dravio::gui {

// The dialogs the window asks for a folder or a file name; an empty answer is
// "Retour" (the operation is abandoned). Tests replace them.
struct FileChoosers {
    std::function<QString(QWidget* parent, const QString& title, const QString& start)> folder;
    std::function<QString(QWidget* parent, const QString& title, const QString& proposed, const QString& filter)>
        saveFile;
};
FileChoosers qtFileChoosers(const support::Catalog& catalog);

class LogWorkWindow : public QWidget {
    Q_OBJECT
public:
    // `DossierFiles` holds the channel database.
    LogWorkWindow(support::IniFile& ini, std::filesystem::path DossierFiles, const support::Catalog& catalog,
                  DialogPresenter& presenter, QWidget* parent = nullptr);
    ~LogWorkWindow() override;

    void setFileChoosers(FileChoosers choosers) { choosers_ = std::move(choosers); }
    // The folder listed (Logworks/Folder).
    void setFolder(const QString& folder);
    bool busy() const { return busy_; }

signals:
    // An export ended (written, failed or abandoned); the status label says which.
    void exportFinished(bool ok);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QString text(int id, const char* french) const;
    void chooseFolder();
    void refresh();
    void readTitles();
    void channelChosen(int index);
    void updateChannel();
    void saveCoef();
    void convertDif();
    void exportExcel(bool merge);
    std::vector<std::filesystem::path> selectedFiles() const;
    // Runs `job` on the worker; `done` gets its outcome on this thread.
    void run(std::function<bool(const std::function<bool(std::uint64_t, std::uint64_t)>&, std::string&)> job,
             const QString& target);
    void setBusy(bool busy);
    void fillChannels();

    support::IniFile& ini_;
    const support::Catalog& catalog_;
    DialogPresenter& presenter_;
    FileChoosers choosers_;
    std::unique_ptr<convert::ChannelDatabase> database_;
    std::vector<convert::SourceColumn> columns_;
    std::filesystem::path columnsOf_;
    base::Worker worker_;
    std::shared_ptr<std::atomic<bool>> cancel_ = std::make_shared<std::atomic<bool>>(false);
    bool busy_ = false;

    QLabel* lbFolder_;
    QRadioButton* opTxt_;
    QRadioButton* opCsv_;
    QListWidget* ListFile_;
    QListWidget* lstTitres_;
    QComboBox* cbBaseDIF_;
    QLineEdit* Title_;
    QLineEdit* Unit_;
    QLineEdit* RangeMin_;
    QLineEdit* RangeMax_;
    QLineEdit* txA_;
    QLineEdit* txB_;
    QProgressBar* progress_;
    QLabel* lbStatus_;
    std::vector<QPushButton*> exportButtons_;
    QPushButton* cdQuit_;
};

}  // namespace dravio::gui
