#include "base/view_state.h"

namespace dravio::base {

ControlState& ViewState::touch(const std::string& control) {
    changed_.insert(control);
    return controls_[control];
}

void ViewState::setText(const std::string& control, std::string text) {
    touch(control).text = std::move(text);
    if (onChange_) onChange_();
}

void ViewState::setVisible(const std::string& control, bool visible) {
    touch(control).visible = visible;
    if (onChange_) onChange_();
}

void ViewState::setEnabled(const std::string& control, bool enabled) {
    touch(control).enabled = enabled;
    if (onChange_) onChange_();
}

void ViewState::setChecked(const std::string& control, bool checked) {
    touch(control).checked = checked;
    if (onChange_) onChange_();
}

void ViewState::setBackColour(const std::string& control, std::uint32_t colour) {
    touch(control).backColour = colour;
    if (onChange_) onChange_();
}

void ViewState::setValue(const std::string& control, int value) {
    touch(control).value = value;
    if (onChange_) onChange_();
}

void ViewState::setMaximum(const std::string& control, int maximum) {
    touch(control).maximum = maximum;
    if (onChange_) onChange_();
}

const ControlState& ViewState::operator[](const std::string& control) const {
    static const ControlState kNothing;
    const auto it = controls_.find(control);
    return it == controls_.end() ? kNothing : it->second;
}

std::string ViewState::text(const std::string& control) const { return (*this)[control].text.value_or(""); }

bool ViewState::visible(const std::string& control) const { return (*this)[control].visible.value_or(true); }

bool ViewState::enabled(const std::string& control) const { return (*this)[control].enabled.value_or(true); }

std::map<std::string, ControlState> ViewState::takeChanges() {
    std::map<std::string, ControlState> out;
    for (const auto& name : changed_) out.emplace(name, controls_[name]);
    changed_.clear();
    return out;
}

MessageAnswer ViewState::showMessage(const MessageBox& box, MessageAnswer defaultAnswer) {
    messages_.push_back(box);
    if (onChange_) onChange_();
    return asker_ ? asker_(box) : defaultAnswer;
}

}  // namespace dravio::base
