#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <map>

#include "gui/caption_walker.h"
#include "gui/ctl_bar_graph.h"
#include "gui/trace_window.h"

namespace dravio::gui {
namespace {

QImage render(CtlBarGraph& graph) {
    graph.resize(200, 20);
    return graph.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

int pixelsOf(const QImage& image, QColor colour, int fromX, int toX) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = fromX; x < toX; ++x) count += image.pixelColor(x, y) == colour ? 1 : 0;
    }
    return count;
}

TEST(CtlBarGraph, HalfTheMaximumFillsHalfTheBar) {
    CtlBarGraph graph;
    graph.setValue(500);
    EXPECT_EQ(graph.Percent(), 50);
    const QImage image = render(graph);
    const QColor fill = colorFromBgr(CtlBarGraph::kDefaultFillColor);
    const QColor back = colorFromBgr(CtlBarGraph::kDefaultBackColor);
    EXPECT_EQ(pixelsOf(image, fill, 0, 100), 100 * 20);
    EXPECT_EQ(pixelsOf(image, back, 100, 200), 100 * 20);
    graph.setValue(0);
    EXPECT_EQ(pixelsOf(render(graph), fill, 0, 200), 0);
}

TEST(CtlBarGraph, CaptionStaysReadableOverTheFill) {
    CtlBarGraph graph;
    graph.setCaption("MMMMMMMM");
    graph.setPercent(100);
    const QImage image = render(graph);
    const QColor fill = colorFromBgr(CtlBarGraph::kDefaultFillColor);
    // The caption's strokes are inverted inside the fill, not hidden under it.
    EXPECT_GT(200 * 20 - pixelsOf(image, fill, 0, 200), 20);

    graph.setCaption("");
    EXPECT_EQ(pixelsOf(render(graph), fill, 0, 200), 200 * 20);
}

TEST(CaptionWalker, TranslatesControlsWithAnIdAndKeepsTheOthers) {
    QWidget window;
    auto* frame = new QGroupBox("Cadre", &window);
    frame->setObjectName("frX");
    auto* button = new QPushButton("Bouton", &window);
    button->setObjectName("cdY");
    auto* other = new QPushButton("Autre", &window);
    other->setObjectName("cdAutre");
    auto* menu = new QMenu("&Menu", &window);
    menu->setObjectName("mnM");
    auto* entry = menu->addAction("&Entrée");
    entry->setObjectName("mnZ");

    const std::map<std::string, int, std::less<>> ids{{"frX", 1}, {"cdY", 2}, {"mnZ", 3}, {"mnM", 4}};
    const auto lookup = [&](std::string_view name) -> std::optional<int> {
        const auto it = ids.find(name);
        return it == ids.end() ? std::nullopt : std::optional<int>(it->second);
    };
    const auto catalog = support::Catalog::parse("1=Frame\n2= \n3=&Entry\n4=&Menu EN\n");
    EXPECT_EQ(applyCaptions(window, catalog, lookup), 4);
    EXPECT_EQ(frame->title(), "Frame");
    EXPECT_EQ(button->text(), "Bouton");  // a single blank means "no text"
    EXPECT_EQ(other->text(), "Autre");
    EXPECT_EQ(entry->text(), "&Entry");
    EXPECT_EQ(menu->title(), "&Menu EN");
}

}  // namespace
}  // namespace dravio::gui
