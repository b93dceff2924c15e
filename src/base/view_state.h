// base: the observable state of a window, as procedures report it. A procedure
// sets texts, flags and values of named controls and queues message boxes; the
// Qt window renders the state by control name, tests read it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace dravio::base {

struct ControlState {
    std::optional<std::string> text;
    std::optional<bool> visible;
    std::optional<bool> enabled;
    std::optional<bool> checked;
    std::optional<std::uint32_t> backColour;  // blue-green-red, as the window draws it
    std::optional<int> value;
    std::optional<int> maximum;
};

struct MessageBox {
    enum class Icon { None, Information, Exclamation, Critical, Question };
    enum class Buttons { Ok, OkCancel, YesNo };
    std::string text;
    std::string title;
    Icon icon = Icon::None;
    Buttons buttons = Buttons::Ok;
};

enum class MessageAnswer { Ok, Cancel, Yes, No };

class ViewState {
public:
    void setText(const std::string& control, std::string text);
    void setVisible(const std::string& control, bool visible);
    void setEnabled(const std::string& control, bool enabled);
    void setChecked(const std::string& control, bool checked);
    void setBackColour(const std::string& control, std::uint32_t colour);
    void setValue(const std::string& control, int value);
    void setMaximum(const std::string& control, int maximum);

    // The state of `control`; an empty state when nothing was ever set.
    const ControlState& operator[](const std::string& control) const;
    std::string text(const std::string& control) const;
    bool visible(const std::string& control) const;
    bool enabled(const std::string& control) const;

    // Controls changed since the last call, with their whole state.
    std::map<std::string, ControlState> takeChanges();

    // Shows a message box and returns the user's answer. Without an asker (tests,
    // the command line) the box is recorded and answered with `defaultAnswer`.
    MessageAnswer showMessage(const MessageBox& box, MessageAnswer defaultAnswer = MessageAnswer::Ok);
    void setAsker(std::function<MessageAnswer(const MessageBox&)> asker) { asker_ = std::move(asker); }
    const std::vector<MessageBox>& messages() const { return messages_; }
    void clearMessages() { messages_.clear(); }

    void beep() { ++beeps_; if (onBeep_) onBeep_(); }
    int beeps() const { return beeps_; }
    void setOnBeep(std::function<void()> onBeep) { onBeep_ = std::move(onBeep); }

    // Called after every change (the window schedules a redraw).
    void setOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

private:
    ControlState& touch(const std::string& control);

    std::map<std::string, ControlState> controls_;
    std::set<std::string> changed_;
    std::vector<MessageBox> messages_;
    std::function<MessageAnswer(const MessageBox&)> asker_;
    std::function<void()> onChange_;
    std::function<void()> onBeep_;
    int beeps_ = 0;
};

}  // namespace dravio::base
