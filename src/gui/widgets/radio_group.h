// A set of radio buttons standing for the values of one enumeration: which value is
// checked, and setting it (also to none, which leaves every button unchecked).
#pragma once

#include <QGridLayout>
#include <QRadioButton>

#include <optional>
#include <utility>
#include <vector>

namespace pictorand {

template <class E>
class TRadioGroup {
public:
    void Add(E value, QRadioButton* button) { buttons_.emplace_back(value, button); }

    // A new button for value, named and captioned, in the grid's cell.
    QRadioButton* Add(E value, const QString& caption, const QString& objectName, QGridLayout* grid, int row, int column) {
        auto* button = new QRadioButton(caption, grid->parentWidget());
        button->setObjectName(objectName);
        grid->addWidget(button, row, column);
        Add(value, button);
        return button;
    }

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
