#include "gui/dtc59_window.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "diag/actuator_tests.h"
#include "gui/caption_walker.h"
#include "gui/ctl_bar_graph.h"

namespace dravio::gui {

namespace {

QString qs(const std::string& text) { return QString::fromStdString(text).replace("\r\n", "\n"); }

// Qt object names carry no brackets: Cause(0) -> Cause0.
QString widgetName(const std::string& control) {
    QString name = QString::fromStdString(control);
    name.remove('(').remove(')');
    return name;
}

QPushButton* button(QWidget* parent, const char* name, const char* french, int id) {
    auto* b = setCaptionId(new QPushButton(QString::fromUtf8(french), parent), id);
    b->setObjectName(name);
    return b;
}

QLabel* label(QWidget* parent, const char* name, const char* french = "", int id = 0) {
    auto* l = new QLabel(QString::fromUtf8(french), parent);
    l->setObjectName(name);
    if (id != 0) setCaptionId(l, id);
    return l;
}

QGroupBox* frame(QWidget* parent, const char* name, const char* french, int id) {
    auto* f = setCaptionId(new QGroupBox(QString::fromUtf8(french), parent), id);
    f->setObjectName(name);
    return f;
}

// The four options of a frame; the procedures choose, so they do not exclude each other.
void options(QGroupBox& box, const char* prefix, const std::array<const char*, 4>& french, int firstId) {
    auto* layout = new QVBoxLayout(&box);
    for (int i = 0; i < 4; ++i) {
        auto* option =
            setCaptionId(new QRadioButton(QString::fromUtf8(french[static_cast<std::size_t>(i)]), &box), firstId + i);
        option->setObjectName(QString("%1%2").arg(prefix).arg(i));
        option->setAutoExclusive(false);
        option->setAttribute(Qt::WA_TransparentForMouseEvents);
        option->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(option);
    }
}

void paintLamp(QWidget& shape, std::uint32_t bgr) {
    QPalette palette = shape.palette();
    palette.setColor(QPalette::Window, QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                                              static_cast<int>((bgr >> 16) & 0xFF)));
    shape.setPalette(palette);
}

}  // namespace

const QUrl& Dtc59Window::frenchPage() {
    static const QUrl url("https://fr.wikipedia.org/wiki/On-board_diagnostics");
    return url;
}

const QUrl& Dtc59Window::englishPage() {
    static const QUrl url("https://en.wikipedia.org/wiki/OBD-II_PIDs");
    return url;
}

Dtc59Window::Dtc59Window(const support::Catalog& catalog, QWidget* parent) : QDialog(parent) {
    setObjectName("FrmDTC59");
    setCaptionId(this, 3000);
    setWindowTitle("Diagnostic");
    setModal(false);
    build(catalog);
    applyCaptions(*this, catalog);
}

void Dtc59Window::build(const support::Catalog& catalog) {
    auto* layout = new QVBoxLayout(this);

    // Upper half: the fault codes.
    auto* faults = frame(this, "frDefauts", "Erreurs mémorisées", 3001);
    auto* grid = new QGridLayout(faults);
    auto* nbErr = label(faults, "LabelNbErr", "Pas d'erreur mémorisée");
    grid->addWidget(nbErr, 0, 0, 1, 3);
    auto* textError = label(faults, "LabelTextError");
    textError->setMinimumHeight(60);
    textError->setWordWrap(true);
    textError->setTextInteractionFlags(Qt::TextSelectableByMouse);
    textError->setFrameShape(QFrame::Panel);
    textError->setFrameShadow(QFrame::Sunken);
    grid->addWidget(textError, 1, 0, 1, 3);

    auto* scroll = new QScrollBar(Qt::Horizontal, faults);
    scroll->setObjectName("HScrollError");
    scroll->setRange(0, 0);
    grid->addWidget(scroll, 2, 0, 1, 3);
    connect(scroll, &QScrollBar::valueChanged, this, [this](int value) {
        if (!rendering_) send([value](diag::FrmDTC59& w) { w.faults().HScrollError_Change(value); });
    });
    auto* previous = button(faults, "ButtonPrevious", "Précédente", 3002);
    auto* next = button(faults, "ButtonNext", "Suivante", 3003);
    auto* clean = button(faults, "CleanError", "Supprimer Erreurs", 3004);
    clean->setToolTip(qs(catalog.GetResourceString(3005, "Efface TOUTES les erreurs")));
    grid->addWidget(previous, 3, 0);
    grid->addWidget(next, 3, 1);
    grid->addWidget(clean, 3, 2);
    connect(previous, &QPushButton::clicked, this,
            [this] { send([](diag::FrmDTC59& w) { w.faults().ButtonPrevious_Click(); }); });
    connect(next, &QPushButton::clicked, this,
            [this] { send([](diag::FrmDTC59& w) { w.faults().ButtonNext_Click(); }); });
    connect(clean, &QPushButton::clicked, this, [this] { send([](diag::FrmDTC59& w) { w.CleanError_Click(); }); });

    auto* cause = frame(faults, "FrameCause", "Cause", 573);
    options(*cause, "Cause", {"Reste à 12V", "Court Circuit à la masse", "Pas de signal", "Signal invalide"}, 574);
    auto* memo = frame(faults, "FrameMemorisation", "Mémorisation", 578);
    options(*memo, "Memo", {"Non mémorisé", "Mémorisé", "Intermitent", "Présent"}, 579);
    grid->addWidget(cause, 4, 0);
    grid->addWidget(memo, 4, 1);

    auto* side = new QVBoxLayout;
    side->addWidget(label(faults, "lbTemoin", "Témoin au tableau de bord", 3006));
    auto* shape = new QFrame(faults);
    shape->setObjectName("Shape1");
    shape->setFixedSize(28, 28);
    shape->setFrameShape(QFrame::Box);
    shape->setAutoFillBackground(true);
    paintLamp(*shape, diag::kDtcLampWhite);
    side->addWidget(shape, 0, Qt::AlignHCenter);
    auto* cycles = label(faults, "lbNbCycle", "Nb de cycle(s) sans avoir revu cette erreur", 3007);
    cycles->setWordWrap(true);
    side->addWidget(cycles);
    side->addWidget(label(faults, "LabelNbCycle"), 0, Qt::AlignHCenter);
    side->addStretch();
    grid->addLayout(side, 4, 2);

    for (const auto& [name, french, id, url] :
         {std::tuple{"lbWebFr", "Explication des codes défaut (français)", 3008, &frenchPage()},
          std::tuple{"lbWebEn", "Explication des codes défaut (anglais)", 3009, &englishPage()}}) {
        auto* web = label(faults, name);
        web->setText(QString("<a href=\"%1\">%2</a>")
                         .arg(url->toString(), qs(catalog.GetResourceString(id, french)).toHtmlEscaped()));
        web->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
        connect(web, &QLabel::linkActivated, this, [this, url] { emit urlRequested(*url); });
        grid->addWidget(web, name == std::string("lbWebFr") ? 5 : 6, 0, 1, 3);
    }
    layout->addWidget(faults);

    // Lower half: the actuator tests and the resets.
    auto* tests = frame(this, "frTests", "Tests actionneurs", 3010);
    auto* testGrid = new QGridLayout(tests);
    auto* combo = new QComboBox(tests);
    combo->setObjectName("ComboChoixTest");
    for (const auto& t : diag::actuatorTests()) combo->addItem(qs(catalog.GetResourceString(t.captionId, t.caption)));
    combo->setCurrentIndex(-1);
    testGrid->addWidget(combo, 0, 0, 1, 2);
    connect(combo, &QComboBox::activated, this,
            [this](int index) { send([index](diag::FrmDTC59& w) { w.tests().ComboChoixTest_Click(index); }); });
    auto* start = button(tests, "CdeStartTest", "Lancer le test", 527);
    testGrid->addWidget(start, 0, 2);
    connect(start, &QPushButton::clicked, this,
            [this] { send([](diag::FrmDTC59& w) { w.tests().CdeStartTest_Click(); }); });

    auto* bar = new CtlBarGraph(tests);
    bar->setObjectName("ProgressBar1");
    bar->setMini(0);
    bar->setMaxi(1);
    testGrid->addWidget(label(tests, "LMin", "0s"), 1, 0);
    testGrid->addWidget(bar, 1, 1);
    testGrid->addWidget(label(tests, "LMax"), 1, 2);
    auto* description = label(tests, "LDescription");
    description->setWordWrap(true);
    description->setMinimumHeight(60);
    description->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    description->setFrameShape(QFrame::Panel);
    description->setFrameShadow(QFrame::Sunken);
    testGrid->addWidget(description, 2, 0, 1, 3);

    auto* resets = frame(tests, "frResetM5", "Reset M59 or M5A", 3011);
    auto* resetRow = new QGridLayout(resets);
    auto* tps = button(resets, "cdresetTPS", "Reset TPS", 3012);
    auto* service = button(resets, "cdService", "Reset Service", 3013);
    resetRow->addWidget(tps, 0, 0);
    resetRow->addWidget(service, 0, 1);
    auto* caution = label(resets, "lbCaution");
    caution->setWordWrap(true);
    resetRow->addWidget(caution, 1, 0, 1, 2);
    connect(tps, &QPushButton::clicked, this,
            [this] { send([](diag::FrmDTC59& w) { w.tests().cdresetTPS_Click(); }); });
    connect(service, &QPushButton::clicked, this,
            [this] { send([](diag::FrmDTC59& w) { w.tests().cdService_Click(); }); });
    testGrid->addWidget(resets, 3, 0, 1, 3);

    auto* confirm = frame(tests, "frConfirm", "Confirmer le reset TPS", 3014);
    auto* confirmRow = new QHBoxLayout(confirm);
    for (const auto& [index, name, french, id] :
         {std::tuple{1, "cdConfirmer1", "ANNULER", 3015}, std::tuple{2, "cdConfirmer2", "CONFIRMER !", 3016}}) {
        auto* b = button(confirm, name, french, id);
        confirmRow->addWidget(b);
        connect(b, &QPushButton::clicked, this,
                [this, index] { send([index](diag::FrmDTC59& w) { w.tests().cdConfirmer_Click(index); }); });
    }
    confirm->setVisible(false);
    testGrid->addWidget(confirm, 4, 0, 1, 3);
    layout->addWidget(tests);

    auto* close = button(this, "ButtonClose", "Close", 3017);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(close, 0, Qt::AlignRight);
}

void Dtc59Window::apply(const std::map<std::string, base::ControlState>& changes) {
    rendering_ = true;
    for (const auto& [control, state] : changes) {
        auto* widget = findChild<QWidget*>(widgetName(control));
        if (widget == nullptr) continue;
        if (state.visible) widget->setVisible(*state.visible);
        if (state.enabled) widget->setEnabled(*state.enabled);
        if (auto* bar = qobject_cast<CtlBarGraph*>(widget)) {
            if (state.maximum) bar->setMaxi(std::max(1, *state.maximum));
            if (state.value) bar->setValue(static_cast<std::int16_t>(*state.value));
        } else if (auto* scroll = qobject_cast<QScrollBar*>(widget)) {
            if (state.maximum) scroll->setRange(std::min(1, *state.maximum), *state.maximum);
            if (state.value) scroll->setValue(*state.value);
        }
        if (state.backColour) paintLamp(*widget, *state.backColour);
        if (state.text) {
            if (auto* l = qobject_cast<QLabel*>(widget)) {
                l->setText(qs(*state.text));
            } else if (auto* b = qobject_cast<QAbstractButton*>(widget)) {
                b->setText(qs(*state.text));
            } else if (auto* g = qobject_cast<QGroupBox*>(widget)) {
                g->setTitle(qs(*state.text));
            }
        }
        if (state.checked) {
            if (auto* b = qobject_cast<QAbstractButton*>(widget)) b->setChecked(*state.checked);
        }
    }
    rendering_ = false;
}

}  // namespace dravio::gui
