// Keystroke filters of the dialogs' edits: a refused character is dropped, its message
// shown and the whole edit cleared. Text that arrives otherwise (pasted, dropped) with a
// refused character is refused whole with the same message, the edit keeping what it
// held. Editing and navigation keys and shortcuts pass through.
#pragma once

#include <QObject>
#include <QString>
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
QString KeyRefusedMessage(TKeyRule rule);

class TKeyFilter : public QObject {
    Q_OBJECT

public:
    // Filters the edit's keystrokes; message shows the refusal text.
    TKeyFilter(QLineEdit* edit, TKeyRule rule, std::function<void(std::string_view)> message);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Whether every character of the text is accepted.
    bool Accepted(const QString& text) const;
    void TextEdited(const QString& text);

    QLineEdit* edit_;
    TKeyRule rule_;
    // The edit's text as it last was with accepted characters only.
    QString accepted_;
    std::function<void(std::string_view)> message_;
};

}  // namespace pictorand
