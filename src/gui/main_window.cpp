#include "gui/main_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <algorithm>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "gui/caption_walker.h"
#include "gui/ctl_bar_graph.h"

namespace dravio::gui {

namespace {
QString qs(const std::string& text) { return QString::fromStdString(text); }

QGroupBox* frame(QWidget* parent, const MainWindowModel& model, const char* name) {
    auto* box = new QGroupBox(qs(model.control(name).caption), parent);
    box->setObjectName(name);
    return box;
}

QLabel* valueLabel(QWidget* parent, const char* name, int pointSize = 0) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignCenter);
    label->setMinimumWidth(70);
    if (pointSize > 0) {
        QFont font = label->font();
        font.setPointSize(pointSize);
        font.setBold(true);
        label->setFont(font);
    }
    return label;
}

QPushButton* button(QWidget* parent, const MainWindowModel& model, const char* name) {
    auto* b = new QPushButton(qs(model.control(name).caption), parent);
    b->setObjectName(name);
    return b;
}

QCheckBox* checkBox(QWidget* parent, const MainWindowModel& model, const char* name) {
    auto* box = new QCheckBox(qs(model.control(name).caption), parent);
    box->setObjectName(name);
    return box;
}

// A measurement frame with its value label (and optional extra labels).
QGroupBox* measureFrame(QWidget* parent, const MainWindowModel& model, const char* frameName, const char* labelName) {
    auto* box = frame(parent, model, frameName);
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(valueLabel(box, labelName, 16));
    return box;
}
}  // namespace

MainWindow::MainWindow(const MainWindowModel& model, QWidget* parent) : QMainWindow(parent) {
    setObjectName("frmparam");
    build(model);
    buildMenus(model);
    render(model);
}

void MainWindow::build(const MainWindowModel& model) {
    auto* central = new QWidget(this);
    central->setObjectName("centralWidget");
    setCentralWidget(central);
    auto* grid = new QGridLayout(central);

    // Commands and the link indicator.
    auto* frcde = frame(central, model, "frcde");
    auto* commands = new QVBoxLayout(frcde);
    for (const char* name : {"cdintialisation", "cdparametre", "cddiag", "cdTrimer15", "CdReInit", "cdquitter"}) {
        commands->addWidget(button(frcde, model, name));
    }
    auto* shape = new QFrame(frcde);
    shape->setObjectName("Shape1");
    shape->setFixedSize(24, 24);
    shape->setFrameShape(QFrame::Box);
    shape->setAutoFillBackground(true);
    auto* shapeRow = new QHBoxLayout;
    shapeRow->addStretch();
    shapeRow->addWidget(shape);
    shapeRow->addStretch();
    commands->addLayout(shapeRow);
    commands->addStretch();
    auto* contact = new QLabel(frcde);
    contact->setObjectName("contact");
    commands->addWidget(contact);
    auto* imDonate = new QLabel(frcde);
    imDonate->setObjectName("imDonate");
    commands->addWidget(imDonate);
    grid->addWidget(frcde, 0, 0, 4, 1);

    // Measurement frames, three a row.
    auto* measures = new QGridLayout;
    measures->addWidget(measureFrame(central, model, "Frrmp", "Rmp"), 0, 0);
    measures->addWidget(measureFrame(central, model, "Frgaz", "Potar"), 0, 1);
    measures->addWidget(measureFrame(central, model, "Frinject", "Injection"), 0, 2);
    measures->addWidget(measureFrame(central, model, "Fravance", "Avance"), 1, 0);
    measures->addWidget(measureFrame(central, model, "Frpression", "Pression"), 1, 1);
    measures->addWidget(measureFrame(central, model, "Frair", "Air"), 1, 2);
    measures->addWidget(measureFrame(central, model, "Freau", "Eau"), 2, 0);
    measures->addWidget(measureFrame(central, model, "Frbatterie", "Tension"), 2, 1);
    measures->addWidget(measureFrame(central, model, "frLambda", "lbLambda"), 2, 2);
    measures->addWidget(measureFrame(central, model, "Frtrimmer", "Trimmer"), 3, 0);
    auto* frTPS = frame(central, model, "frTPS");
    auto* tpsLayout = new QVBoxLayout(frTPS);
    tpsLayout->addWidget(valueLabel(frTPS, "lbLsbTPS"));
    tpsLayout->addWidget(valueLabel(frTPS, "lbTPSVolt"));
    measures->addWidget(frTPS, 3, 1);
    auto* frMoteurPP = frame(central, model, "frMoteurPP");
    auto* moteurLayout = new QVBoxLayout(frMoteurPP);
    moteurLayout->addWidget(valueLabel(frMoteurPP, "lbMoteurPP", 12));
    moteurLayout->addWidget(button(frMoteurPP, model, "cdMoteurPP"));
    measures->addWidget(frMoteurPP, 3, 2);
    grid->addLayout(measures, 0, 1, 2, 1);

    // Averaging, boxes, trimmer change.
    auto* side = new QVBoxLayout;
    auto* frMoyenne = frame(central, model, "frMoyenne");
    auto* moyenneLayout = new QHBoxLayout(frMoyenne);
    auto* moyenne = new QScrollBar(Qt::Horizontal, frMoyenne);
    moyenne->setObjectName("HScrollMoyenne");
    moyenne->setRange(kTempoMin, kTempoMax);
    moyenne->setMinimumWidth(120);
    moyenneLayout->addWidget(moyenne);
    moyenneLayout->addWidget(valueLabel(frMoyenne, "ltempo"));
    connect(moyenne, &QScrollBar::valueChanged, this, [this](int value) {
        if (!rendering_) emit tempoChanged(value);
    });
    side->addWidget(frMoyenne);
    for (const char* name : {"chgraph", "chMap", "chCSV", "Chenregistre", "chStatutSonde", "chMoteur"}) {
        side->addWidget(checkBox(central, model, name));
    }
    auto* frChg = frame(central, model, "FrChgTrimmer");
    auto* chgLayout = new QGridLayout(frChg);
    auto* trimmerBar = new QScrollBar(Qt::Horizontal, frChg);
    trimmerBar->setObjectName("HScrollTrimmer");
    trimmerBar->setRange(-127, 255);
    chgLayout->addWidget(trimmerBar, 0, 0, 1, 2);
    chgLayout->addWidget(valueLabel(frChg, "lbTrimmer"), 1, 0, 1, 2);
    chgLayout->addWidget(valueLabel(frChg, "Label2"), 2, 0);
    chgLayout->addWidget(valueLabel(frChg, "Label1"), 2, 1);
    chgLayout->addWidget(button(frChg, model, "cdTrimmer"), 3, 0);
    chgLayout->addWidget(button(frChg, model, "CdMemorise"), 3, 1);
    side->addWidget(frChg);
    side->addStretch();
    grid->addLayout(side, 0, 2, 2, 1);

    // Instructions and progress.
    auto* lpresent = valueLabel(central, "lpresent");
    lpresent->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    auto* lmemo = valueLabel(central, "lmemo");
    lmemo->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (auto* line : {lpresent, lmemo}) line->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    grid->addWidget(lpresent, 2, 1, 1, 2);
    grid->addWidget(lmemo, 3, 1, 1, 2);
    auto* progress = new CtlBarGraph(central);
    progress->setObjectName("ProgressBar1");
    progress->setMinimumHeight(20);
    grid->addWidget(progress, 4, 0, 1, 2);
    grid->addWidget(valueLabel(central, "Lbtest"), 4, 2);

    // Status labels.
    auto* panels = new QHBoxLayout;
    for (int i = 1; i <= 5; ++i) {
        auto* panel = new QLabel(central);
        panel->setObjectName(QString("lbPanel%1").arg(i));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setMinimumWidth(100);
        // A status bar stays one line high whatever the window's height.
        panel->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        panels->addWidget(panel, i == 5 ? 2 : 1);
    }
    grid->addLayout(panels, 5, 0, 1, 3);
    // Extra height goes to the measurements, never to the lines below them.
    grid->setRowStretch(1, 1);

    connect(findChild<QPushButton*>("cdquitter"), &QPushButton::clicked, this, &MainWindow::quitRequested);
    findChild<QPushButton*>("cdTrimer15")->setShortcut(QKeySequence(Qt::Key_F8));
    const std::pair<const char*, void (MainWindow::*)()> clicks[] = {
        {"cdintialisation", &MainWindow::initRequested},  {"CdReInit", &MainWindow::reinitRequested},
        {"cdparametre", &MainWindow::parametreRequested}, {"cdTrimmer", &MainWindow::trimmerReset},
        {"CdMemorise", &MainWindow::trimmerStore},        {"cdMoteurPP", &MainWindow::stepperTest},
        {"cddiag", &MainWindow::diagRequested},           {"cdTrimer15", &MainWindow::trimmer15Requested},
    };
    for (const auto& [name, signal] : clicks) {
        connect(findChild<QPushButton*>(name), &QPushButton::clicked, this, signal);
    }
    for (const char* name : {"chgraph", "chMap", "chCSV", "Chenregistre", "chStatutSonde", "chMoteur"}) {
        auto* box = findChild<QCheckBox*>(name);
        connect(box, &QCheckBox::toggled, this, [this, name](bool checked) {
            if (!rendering_) emit checkToggled(QString(name), checked);
        });
    }
    connect(trimmerBar, &QScrollBar::valueChanged, this, [this](int value) {
        if (!rendering_) emit trimmerScrolled(value);
    });
    // Double-clicking a measurement frame switches its channel.
    for (const char* name : {"Frair", "Freau", "Fravance", "Frpression", "Frinject", "Frbatterie", "frLambda", "Frgaz",
                             "Frtrimmer", "frMoteurPP"}) {
        findChild<QGroupBox*>(name)->installEventFilter(this);
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (auto* box = qobject_cast<QGroupBox*>(watched)) {
            emit frameDoubleClicked(box->objectName());
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

QAction* MainWindow::addEntry(QMenu& menu, const MainWindowModel& model, const char* name) {
    const auto& state = model.control(name);
    auto* entry = menu.addAction(qs(state.caption));
    entry->setObjectName(name);
    if (!state.shortcut.empty()) entry->setShortcut(QKeySequence(qs(state.shortcut)));
    return entry;
}

void MainWindow::buildMenus(const MainWindowModel& model) {
    auto* bar = menuBar();
    const auto addMenu = [&](QWidget* parent, const char* name) {
        auto* m = new QMenu(qs(model.control(name).caption), parent);
        m->setObjectName(name);
        m->menuAction()->setObjectName(QString(name) + "Action");
        return m;
    };

    auto* fichier = addMenu(bar, "mnfichier");
    bar->addMenu(fichier);
    connect(addEntry(*fichier, model, "mnquitter"), &QAction::triggered, this, &MainWindow::quitRequested);
    connect(addEntry(*fichier, model, "mnpreferences"), &QAction::triggered, this, &MainWindow::preferencesRequested);
    auto* rejouer = setCaptionId(fichier->addAction(QString::fromUtf8("&Rejouer...")), kMnRejouer);
    rejouer->setObjectName("mnRejouer");
    connect(rejouer, &QAction::triggered, this, &MainWindow::replayRequested);

    auto* acquisition = addMenu(bar, "mnacquisition");
    bar->addMenu(acquisition);
    connect(addEntry(*acquisition, model, "MnInit"), &QAction::triggered, this, &MainWindow::initRequested);
    connect(addEntry(*acquisition, model, "mnparam"), &QAction::triggered, this, &MainWindow::parametreRequested);
    connect(addEntry(*acquisition, model, "mndiag"), &QAction::triggered, this, &MainWindow::diagRequested);
    connect(addEntry(*acquisition, model, "MnRreInit"), &QAction::triggered, this, &MainWindow::reinitRequested);
    connect(addEntry(*acquisition, model, "mnMap"), &QAction::triggered, this, &MainWindow::mapRequested);
    connect(addEntry(*acquisition, model, "mngraphe"), &QAction::triggered, this, &MainWindow::graphToggled);
    connect(addEntry(*acquisition, model, "mnralenti"), &QAction::triggered, this, &MainWindow::idleToggled);
    connect(addEntry(*acquisition, model, "mnmoyplus"), &QAction::triggered, this, [this] { emit tempoStep(+1); });
    connect(addEntry(*acquisition, model, "mnmoymoins"), &QAction::triggered, this, [this] { emit tempoStep(-1); });
    connect(addEntry(*acquisition, model, "mnrepond"), &QAction::triggered, this, &MainWindow::responderRequested);
    connect(addEntry(*acquisition, model, "mnTrafic"), &QAction::triggered, this, &MainWindow::trafficRequested);
    connect(addEntry(*acquisition, model, "mnTrace"), &QAction::triggered, this, &MainWindow::traceRequested);
    auto* test = addEntry(*acquisition, model, "mntest");
    test->setCheckable(true);
    connect(test, &QAction::triggered, this, [this] {
        if (!rendering_) emit testRequested();
    });
    auto* trimmer = addMenu(acquisition, "mnTrimmer");
    acquisition->addMenu(trimmer);
    connect(addEntry(*trimmer, model, "mnPlus"), &QAction::triggered, this, [this] { emit trimmerStep(+1); });
    connect(addEntry(*trimmer, model, "mnMoinsUn"), &QAction::triggered, this, [this] { emit trimmerStep(-1); });
    connect(addEntry(*acquisition, model, "mnTrim15M"), &QAction::triggered, this, &MainWindow::trimmer15Requested);

    // Menus without entries act on a click of their title.
    for (const char* name : {"mnIdentification", "mnConvert", "mnStatuts"}) {
        auto* entry = bar->addAction(qs(model.control(name).caption));
        entry->setObjectName(name);
    }
    connect(action("mnStatuts"), &QAction::triggered, this, &MainWindow::statusRequested);
    connect(action("mnIdentification"), &QAction::triggered, this, &MainWindow::identificationRequested);
    connect(action("mnConvert"), &QAction::triggered, this, [this] {
        // The recording being written is closed (and converted) first.
        if (auto* csv = findChild<QCheckBox*>("chCSV"); csv != nullptr && csv->isChecked()) csv->setChecked(false);
        emit convertRequested();
    });

    auto* aide = addMenu(bar, "mnaide");
    bar->addMenu(aide);
    connect(addEntry(*aide, model, "mnabout"), &QAction::triggered, this, &MainWindow::aboutRequested);
    connect(addEntry(*aide, model, "mnExploreAide"), &QAction::triggered, this, &MainWindow::helpRequested);
    connect(addEntry(*aide, model, "mnweb"), &QAction::triggered, this, &MainWindow::webRequested);
}

QAction* MainWindow::action(const QString& name) const { return findChild<QAction*>(name); }
QMenu* MainWindow::menu(const QString& name) const { return findChild<QMenu*>(name); }

void MainWindow::render(const MainWindowModel& model) {
    rendering_ = true;
    // Simulated values must never pass for an ECU's.
    setWindowTitle(qs(model.demo ? model.title + model.demoMark : model.title));
    for (const auto& name : model.order()) {
        const auto& state = model.control(name);
        const QString objectName = qs(name);
        switch (state.kind) {
            case ControlKind::Frame:
                if (auto* box = findChild<QGroupBox*>(objectName)) {
                    box->setTitle(qs(state.caption));
                    box->setEnabled(state.enabled);
                    box->setVisible(state.visible);
                    box->setToolTip(qs(state.toolTip));
                }
                break;
            case ControlKind::Label:
                if (auto* label = findChild<QLabel*>(objectName)) {
                    label->setText(qs(state.caption));
                    label->setEnabled(state.enabled);
                    label->setVisible(state.visible);
                }
                break;
            case ControlKind::Button:
            case ControlKind::CheckBox:
                if (auto* b = findChild<QAbstractButton*>(objectName)) {
                    b->setText(qs(state.caption));
                    b->setEnabled(state.enabled);
                    b->setVisible(state.visible);
                    b->setToolTip(qs(state.toolTip));
                    if (b->isCheckable()) b->setChecked(state.checked);
                }
                break;
            case ControlKind::ScrollBar:
                if (auto* bar = findChild<QScrollBar*>(objectName)) {
                    bar->setValue(state.value);
                    bar->setEnabled(state.enabled);
                    bar->setVisible(state.visible);
                    bar->setToolTip(qs(state.toolTip));
                }
                break;
            case ControlKind::Menu:
                if (auto* m = findChild<QMenu*>(objectName)) {
                    m->setTitle(qs(state.caption));
                    m->menuAction()->setEnabled(state.enabled);
                    m->menuAction()->setVisible(state.visible);
                } else if (auto* entry = findChild<QAction*>(objectName)) {
                    entry->setText(qs(state.caption));
                    entry->setEnabled(state.enabled);
                    entry->setVisible(state.visible);
                }
                break;
            case ControlKind::MenuEntry:
                if (auto* entry = findChild<QAction*>(objectName)) {
                    entry->setText(qs(state.caption));
                    entry->setEnabled(state.enabled);
                    entry->setVisible(state.visible);
                    entry->setToolTip(qs(state.toolTip));
                    if (entry->isCheckable()) entry->setChecked(state.checked);
                }
                break;
            case ControlKind::Shape:
                showShape1(model.Shape1);
                break;
            case ControlKind::BarGraph:
                if (auto* graph = findChild<CtlBarGraph*>(objectName)) {
                    graph->setVisible(state.visible);
                    graph->setMaxi(std::max(1, state.maximum));
                    graph->setValue(static_cast<std::int16_t>(state.value));
                }
                break;
            case ControlKind::Image:
                if (auto* image = findChild<QLabel*>(objectName)) {
                    image->setVisible(state.visible);
                    if (objectName == "contact") image->setText("Contact");
                }
                break;
        }
    }
    rendering_ = false;
}

void MainWindow::showShape1(quint32 bgr) {
    if (auto* shape = findChild<QFrame*>("Shape1")) {
        QPalette palette = shape->palette();
        palette.setColor(QPalette::Window, colorFromBgr(bgr));
        shape->setPalette(palette);
        shape->setProperty("bgr", bgr);
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (closeAllowed_) {
        event->accept();
        return;
    }
    event->ignore();
    emit quitRequested();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    emit resized();
}

}  // namespace dravio::gui
