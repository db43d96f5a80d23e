#include "gui/widgets/key_filter.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace pictorand {

namespace {
constexpr char32_t Backspace = 8;

bool IsDigit(char32_t c) { return c >= '0' && c <= '9'; }
}  // namespace

bool KeyAccepted(TKeyRule rule, char32_t c) {
    if (c == Backspace || IsDigit(c) || c == '.') return true;
    switch (rule) {
        case TKeyRule::Size: return false;
        case TKeyRule::Number: return c == '-' || c == '_';
        case TKeyRule::FileName:
            // The Cyrillic letters of code page 1251 codes 192..255: А..я, without Ё and ё.
            return c == '-' || c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= 0x0410 && c <= 0x044F);
    }
    return false;
}

QString KeyRefusedMessage(TKeyRule rule) {
    switch (rule) {
        case TKeyRule::FileName: return TKeyFilter::tr("Имя файла не должно содержать: | \\ / * \" <>!");
        case TKeyRule::Number: return TKeyFilter::tr("В этом поле могу быть только цифры и _ -!");
        case TKeyRule::Size: return TKeyFilter::tr("В этом поле должны быть только цифры!");
    }
    return {};
}

TKeyFilter::TKeyFilter(QLineEdit* edit, TKeyRule rule, std::function<void(std::string_view)> message)
    : QObject(edit), edit_(edit), rule_(rule), accepted_(edit->text()), message_(std::move(message)) {
    edit->installEventFilter(this);
    connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (Accepted(text)) accepted_ = text;
    });
    connect(edit, &QLineEdit::textEdited, this, &TKeyFilter::TextEdited);
}

bool TKeyFilter::Accepted(const QString& text) const {
    for (char32_t c : text.toStdU32String())
        if (!KeyAccepted(rule_, c)) return false;
    return true;
}

// Typed characters were filtered before they arrived; anything else the user put in
// (a paste, a drop, an undo) is looked at here.
void TKeyFilter::TextEdited(const QString& text) {
    if (Accepted(text)) return;
    const QString previous = accepted_;
    edit_->setText(previous);
    message_(KeyRefusedMessage(rule_).toStdString());
}

bool TKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (watched != edit_ || event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    // Shortcuts (Ctrl+A, Ctrl+C, Ctrl+V, Ctrl+Z...) and keys that type no character
    // (Enter, Tab, Escape, arrows, Delete, Home) are not keystrokes to filter.
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    if (key->key() == Qt::Key_Backspace) return false;
    const QString text = key->text();
    if (text.isEmpty()) return false;
    for (char32_t c : text.toStdU32String()) {
        if (c < 0x20 || c == 0x7F) return false;
        if (!KeyAccepted(rule_, c)) {
            message_(KeyRefusedMessage(rule_).toStdString());
            edit_->clear();
            return true;
        }
    }
    return false;
}

}  // namespace pictorand
