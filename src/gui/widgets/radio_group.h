// A set of radio buttons standing for the values of one enumeration: which value is
// checked, and setting it (also to none, which leaves every button unchecked).
#pragma once

#include <QRadioButton>

#include <optional>
#include <utility>
#include <vector>

namespace pictorand {

template <class E>
class TRadioGroup {
public:
    void Add(E value, QRadioButton* button) { buttons_.emplace_back(value, button); }

    std::optional<E> Checked() const {
        for (const auto& [value, button] : buttons_) {
            if (button->isChecked()) return value;
        }
        return std::nullopt;
    }

    void SetChecked(std::optional<E> checked) {
        for (const auto& [value, button] : buttons_) {
            // Auto-exclusive buttons refuse to be unchecked one by one.
            button->setAutoExclusive(false);
            button->setChecked(checked == value);
            button->setAutoExclusive(true);
        }
    }

    QRadioButton* Button(E value) const {
        for (const auto& [v, button] : buttons_) {
            if (v == value) return button;
        }
        return nullptr;
    }

private:
    std::vector<std::pair<E, QRadioButton*>> buttons_;
};

}  // namespace pictorand
