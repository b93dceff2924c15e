// gui: the bench responder window (frmrepond, "Répondeur"): choose a model, with or
// without an ELM327 in front, start it on a pseudo-terminal, read the path to open
// and watch the sniffed traffic; stop it, or close the window, to end it.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include "gui/responder_runner.h"
#include "support/catalog.h"

namespace dravio::gui {

class ResponderWindow : public QWidget {
    Q_OBJECT
public:
    explicit ResponderWindow(QWidget* parent = nullptr);
    ~ResponderWindow() override;

    bool running() const { return runner_.running(); }
    QString devicePath() const { return QString::fromStdString(runner_.slavePath()); }
    // The language of the texts the window sets as its state changes.
    void setCatalog(const support::Catalog& catalog);

public slots:
    void startOrStop();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    support::Catalog catalog_;
    void poll();
    void showState();

    ResponderRunner runner_;
    QComboBox* cbModele_;
    QCheckBox* chElm_;
    QPushButton* cdDemarrer_;
    QLabel* lbPort_;
    QPlainTextEdit* ltSniff_;
    QTimer poll_;
};

}  // namespace dravio::gui
