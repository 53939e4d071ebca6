#include "naming/KeywordEdit.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QMimeData>
#include <QSyntaxHighlighter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

namespace corvane {

namespace {

bool IsAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

QTextCharFormat FormatOf(KeywordToken::Kind kind) {
    QTextCharFormat format;
    switch (kind) {
        case KeywordToken::Kind::kKeyword:
            format.setForeground(KeywordEdit::kKeywordColor);
            break;
        case KeywordToken::Kind::kConstant:
            format.setForeground(KeywordEdit::kConstantColor);
            format.setFontWeight(QFont::Bold);
            break;
        case KeywordToken::Kind::kComment:
            format.setForeground(KeywordEdit::kCommentColor);
            break;
        case KeywordToken::Kind::kNumber:
            format.setForeground(KeywordEdit::kNumberColor);
            break;
        case KeywordToken::Kind::kString:
            format.setForeground(KeywordEdit::kStringColor);
            break;
    }
    return format;
}

// Colours each line as it changes; the text itself is never touched here.
class KeywordHighlighter : public QSyntaxHighlighter {
public:
    explicit KeywordHighlighter(KeywordEdit& edit)
        : QSyntaxHighlighter(edit.document()), edit_(edit) {}

protected:
    void highlightBlock(const QString& text) override {
        for (const KeywordToken& token : edit_.Scan(text)) {
            setFormat(token.start, token.length, FormatOf(token.kind));
        }
    }

private:
    KeywordEdit& edit_;
};

QStringList Words(const QString& text) {
    return text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

}  // namespace

KeywordEdit::KeywordEdit(QWidget* parent)
    : QPlainTextEdit(parent), highlighter_(new KeywordHighlighter(*this)) {
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setWordWrapMode(QTextOption::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(false);
    // The colours are chosen for dark text on a light field.
    QPalette colours = palette();
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::Text, Qt::black);
    setPalette(colours);
    setFixedHeight(LineHeight());
    connect(this, &QPlainTextEdit::textChanged, this, &KeywordEdit::OnTextChanged);
}

int KeywordEdit::LineHeight() const {
    const int margin = static_cast<int>(document()->documentMargin());
    return fontMetrics().lineSpacing() + 2 * margin + 2 * frameWidth();
}

QSize KeywordEdit::sizeHint() const {
    return {QPlainTextEdit::sizeHint().width(), LineHeight()};
}

QSize KeywordEdit::minimumSizeHint() const {
    return {QPlainTextEdit::minimumSizeHint().width(), LineHeight()};
}

void KeywordEdit::SetKeywords(const QString& words) {
    keywords_ += Words(words);
    ColorizeAll();
}

void KeywordEdit::SetConstants(const QString& words) {
    constants_ += Words(words);
    ColorizeAll();
}

bool KeywordEdit::AddCompletionWord(const QString& word) {
    if (word.size() < 3 || completionWords_.contains(word) ||
        completionWords_.size() > kMaxCompletionWords) {
        return false;
    }
    completionWords_.insert(
        std::lower_bound(completionWords_.begin(), completionWords_.end(), word), word);
    return true;
}

void KeywordEdit::SetCaseSensitive(bool caseSensitive) {
    caseSensitive_ = caseSensitive;
    ColorizeAll();
}

void KeywordEdit::SetStringDelimiters(const QString& delimiters) {
    delimiters_ = delimiters;
    ColorizeAll();
}

void KeywordEdit::SetCommentChars(QChar first, QChar second) {
    commentFirst_ = first;
    commentSecond_ = second;
    ColorizeAll();
}

void KeywordEdit::Colorize(int start, int end) {
    const QTextBlock last = document()->findBlock(std::max(start, end));
    for (QTextBlock block = document()->findBlock(std::min(start, end)); block.isValid();
         block = block.next()) {
        highlighter_->rehighlightBlock(block);
        if (block == last) {
            break;
        }
    }
}

void KeywordEdit::ColorizeAll() {
    highlighter_->rehighlight();
}

void KeywordEdit::SetText(const QString& text) {
    setPlainText(text);
    moveCursor(QTextCursor::End);
}

const QString* KeywordEdit::FindWord(const QStringList& list, const QString& word) const {
    const Qt::CaseSensitivity sensitivity =
        caseSensitive_ ? Qt::CaseSensitive : Qt::CaseInsensitive;
    for (const QString& entry : list) {
        if (entry.compare(word, sensitivity) == 0) {
            return &entry;
        }
    }
    return nullptr;
}

int KeywordEdit::WordEnd(const QString& line, int pos) const {
    while (pos < line.size() && (line[pos].isLetterOrNumber() || line[pos] == QLatin1Char('_'))) {
        ++pos;
    }
    return pos;
}

// The extent a decimal floating-point reader accepts: digits, a fraction,
// an exponent when digits follow its sign.
int KeywordEdit::NumberEnd(const QString& line, int pos) const {
    const auto digits = [&](int at) {
        while (at < line.size() && IsAsciiDigit(line[at])) {
            ++at;
        }
        return at;
    };
    pos = digits(pos);
    if (pos < line.size() && line[pos] == QLatin1Char('.')) {
        pos = digits(pos + 1);
    }
    if (pos < line.size() && (line[pos] == QLatin1Char('e') || line[pos] == QLatin1Char('E'))) {
        int exponent = pos + 1;
        if (exponent < line.size() &&
            (line[exponent] == QLatin1Char('+') || line[exponent] == QLatin1Char('-'))) {
            ++exponent;
        }
        if (exponent < line.size() && IsAsciiDigit(line[exponent])) {
            pos = digits(exponent);
        }
    }
    return pos;
}

int KeywordEdit::StringEnd(const QString& line, int pos) const {
    const qsizetype close = line.indexOf(line[pos], pos + 1);
    return close < 0 ? static_cast<int>(line.size()) : static_cast<int>(close) + 1;
}

std::vector<KeywordToken> KeywordEdit::Scan(const QString& line) const {
    std::vector<KeywordToken> tokens;
    const int size = static_cast<int>(line.size());
    for (int pos = 0; pos < size;) {
        const QChar c = line[pos];
        if (!commentFirst_.isNull() && c == commentFirst_ && pos + 1 < size &&
            line[pos + 1] == commentSecond_) {
            tokens.push_back({KeywordToken::Kind::kComment, pos, size - pos, {}});
            break;
        }
        int end = pos + 1;
        if (delimiters_.contains(c)) {
            end = StringEnd(line, pos);
            tokens.push_back({KeywordToken::Kind::kString, pos, end - pos, {}});
        } else if (IsAsciiDigit(c)) {
            end = NumberEnd(line, pos);
            tokens.push_back({KeywordToken::Kind::kNumber, pos, end - pos, {}});
        } else if (c.isLetter() || c == QLatin1Char('_')) {
            end = WordEnd(line, pos);
            const QString word = line.mid(pos, end - pos);
            if (const QString* keyword = FindWord(keywords_, word)) {
                tokens.push_back({KeywordToken::Kind::kKeyword, pos, end - pos, *keyword});
            } else if (const QString* constant = FindWord(constants_, word)) {
                tokens.push_back({KeywordToken::Kind::kConstant, pos, end - pos, *constant});
            }
        }
        pos = end;
    }
    return tokens;
}

void KeywordEdit::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
        // Takes the offered completion; the focus stays here.
        QTextCursor cursor = textCursor();
        cursor.setPosition(cursor.selectionEnd());
        setTextCursor(cursor);
        event->accept();
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        event->accept();  // one line only
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
    const QString typed = event->text();
    if (typed.size() == 1 && typed[0].isPrint() && !typed[0].isSpace()) {
        Complete();
    }
}

void KeywordEdit::Complete() {
    const QString text = toPlainText();
    if (textCursor().position() < text.size() - 2) {
        return;
    }
    qsizetype wordStart = text.size();
    while (wordStart > 0 && !text[wordStart - 1].isSpace()) {
        --wordStart;
    }
    const QString word = text.mid(wordStart);
    if (word.isEmpty()) {
        return;
    }
    for (const QString& candidate : completionWords_) {
        if (!candidate.startsWith(word, Qt::CaseInsensitive)) {
            continue;
        }
        const QString rest = candidate.mid(word.size());
        if (!rest.isEmpty()) {
            QTextCursor cursor(document());
            cursor.movePosition(QTextCursor::End);
            const int from = cursor.position();
            cursor.insertText(rest);
            cursor.setPosition(from);
            cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
            setTextCursor(cursor);
        }
        return;
    }
}

void KeywordEdit::insertFromMimeData(const QMimeData* source) {
    QString text = source->text();
    for (const QChar lineBreak : {QChar(u'\r'), QChar(u'\n'), QChar(QChar::ParagraphSeparator),
                                  QChar(QChar::LineSeparator)}) {
        text.replace(lineBreak, QLatin1Char(' '));
    }
    insertPlainText(text);
}

void KeywordEdit::OnTextChanged() {
    if (changing_) {
        return;
    }
    changing_ = true;
    if (recase_) {
        Recase();
    }
    changing_ = false;
    emit TextEdited();
}

// Keywords and constants typed in another case take the list's spelling.
// The replacements keep the length, so the caret and selection stay put.
void KeywordEdit::Recase() {
    const QString text = toPlainText();
    const QTextCursor current = textCursor();
    const int anchor = current.anchor();
    const int position = current.position();
    bool changed = false;
    QTextCursor cursor(document());
    for (const KeywordToken& token : Scan(text)) {
        if (token.spelling.isEmpty() || text.mid(token.start, token.length) == token.spelling) {
            continue;
        }
        if (!changed) {
            cursor.joinPreviousEditBlock();
            changed = true;
        }
        cursor.setPosition(token.start);
        cursor.setPosition(token.start + token.length, QTextCursor::KeepAnchor);
        cursor.insertText(token.spelling);
    }
    if (!changed) {
        return;
    }
    cursor.endEditBlock();
    QTextCursor restored = textCursor();
    restored.setPosition(anchor);
    restored.setPosition(position, QTextCursor::KeepAnchor);
    setTextCursor(restored);
}

}  // namespace corvane
