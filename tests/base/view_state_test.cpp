#include "base/view_state.h"

#include <gtest/gtest.h>

namespace dravio::base {
namespace {

TEST(ViewState, ChangesAreCollectedOncePerControlAndMessagesAnsweredByTheAskerOrTheDefault) {
    ViewState view;
    EXPECT_TRUE(view.visible("cdparametre") && view.enabled("cdparametre"));
    EXPECT_EQ(view.text("lbPanel1"), "");
    EXPECT_FALSE(view["Shape1"].backColour.has_value());
    int notified = 0;
    view.setOnChange([&] { ++notified; });
    view.setText("lbPanel1", "Init : ON");
    view.setEnabled("cdparametre", false);
    view.setText("lbPanel1", "Init : OFF");
    view.setVisible("lbPanel1", false);
    auto changes = view.takeChanges();
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes["lbPanel1"].text, "Init : OFF");
    EXPECT_EQ(changes["lbPanel1"].visible, false);
    EXPECT_EQ(changes["cdparametre"].enabled, false);
    EXPECT_EQ(notified, 4);
    EXPECT_TRUE(view.takeChanges().empty());
    const MessageBox box{"Couper le contact", "Reset Init", MessageBox::Icon::Critical, MessageBox::Buttons::OkCancel};
    EXPECT_EQ(view.showMessage(box, MessageAnswer::Cancel), MessageAnswer::Cancel);
    view.setAsker(
        [](const MessageBox& shown) { return shown.title == "Reset Init" ? MessageAnswer::Ok : MessageAnswer::No; });
    EXPECT_EQ(view.showMessage(box, MessageAnswer::Cancel), MessageAnswer::Ok);
    EXPECT_EQ(view.messages().size(), 2u);
}

}  // namespace
}  // namespace dravio::base
