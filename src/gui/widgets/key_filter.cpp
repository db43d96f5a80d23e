#include "gui/widgets/key_filter.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace pictorand {

namespace {
constexpr char32_t Backspace = 8;
constexpr std::string_view FileNameMessage = "Имя файла не должно содержать: | \\ / * \" <>!";
constexpr std::string_view NumberMessage = "В этом поле могу быть только цифры и _ -!";
constexpr std::string_view SizeMessage = "В этом поле должны быть только цифры!";

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

std::string_view KeyRefusedMessage(TKeyRule rule) {
    switch (rule) {
        case TKeyRule::FileName: return FileNameMessage;
        case TKeyRule::Number: return NumberMessage;
        case TKeyRule::Size: return SizeMessage;
    }
    return {};
}

TKeyFilter::TKeyFilter(QLineEdit* edit, TKeyRule rule, std::function<void(std::string_view)> message)
    : QObject(edit), edit_(edit), rule_(rule), message_(std::move(message)) {
    edit->installEventFilter(this);
}

bool TKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (watched != edit_ || event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    // Focus moves and the dialog's own keys never reach the edit as characters.
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab || key->key() == Qt::Key_Escape) return false;
    // Keys that type no character (arrows, Delete, Home) are not keystrokes to filter.
    const QString text = key->key() == Qt::Key_Backspace ? QString(QChar(Backspace)) : key->text();
    if (text.isEmpty()) return false;
    for (char32_t c : text.toStdU32String()) {
        if (!KeyAccepted(rule_, c)) {
            message_(KeyRefusedMessage(rule_));
            edit_->clear();
            return true;
        }
    }
    return false;
}

}  // namespace pictorand
