// Keystroke filters of the dialogs' edits: a refused character is dropped, its message
// shown and the whole edit cleared.
#pragma once

#include <QObject>
#include <functional>
#include <string_view>

class QLineEdit;

namespace pictorand {

// Which characters an edit accepts (backspace always).
enum class TKeyRule {
    FileName,   // "-", ".", digits, Latin letters, "_", Cyrillic А..я
    Number,     // "-", ".", digits, "_"
    Size,       // ".", digits
};

bool KeyAccepted(TKeyRule rule, char32_t character);
std::string_view KeyRefusedMessage(TKeyRule rule);

class TKeyFilter : public QObject {
    Q_OBJECT

public:
    // Filters the edit's keystrokes; message shows the refusal text.
    TKeyFilter(QLineEdit* edit, TKeyRule rule, std::function<void(std::string_view)> message);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* edit_;
    TKeyRule rule_;
    std::function<void(std::string_view)> message_;
};

}  // namespace pictorand
