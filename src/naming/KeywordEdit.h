#pragma once

#include <QColor>
#include <QPlainTextEdit>
#include <QString>
#include <QStringList>
#include <vector>

class QSyntaxHighlighter;

namespace corvane {

// A piece of a line the keyword edit colours.
struct KeywordToken {
    enum class Kind { kKeyword, kConstant, kComment, kNumber, kString };
    Kind kind;
    int start;
    int length;
    QString spelling;  // keywords and constants: the list's spelling
};

// A one-line edit in a fixed-width font that colours keywords, constants,
// numbers, quoted strings and line comments as they are typed, rewrites a
// keyword typed in another case in the list's spelling, and completes the
// word being typed from a sorted list of words, selecting the added part so
// that the next character replaces it. Tab stays in the edit: it takes the
// offered completion.
class KeywordEdit : public QPlainTextEdit {
    Q_OBJECT

public:
    static constexpr int kMaxCompletionWords = 128;

    // Colours of the kinds of text; a constant is drawn bold.
    static inline const QColor kKeywordColor{0, 0, 255};
    static inline const QColor kConstantColor{0, 0, 0};
    static inline const QColor kCommentColor{0, 128, 0};
    static inline const QColor kNumberColor{255, 0, 255};
    static inline const QColor kStringColor{255, 0, 255};

    explicit KeywordEdit(QWidget* parent = nullptr);

    // Appends blank-separated words to the keywords.
    void SetKeywords(const QString& words);
    void SetConstants(const QString& words);
    // Refused (false) when shorter than 3 characters, present already, or
    // when the list is full.
    bool AddCompletionWord(const QString& word);
    void SetCaseSensitive(bool caseSensitive);
    void SetRecase(bool recase) { recase_ = recase; }
    void SetStringDelimiters(const QString& delimiters);
    void SetCommentChars(QChar first, QChar second);

    // Recolours the lines holding the characters start to end.
    void Colorize(int start, int end);
    void ColorizeAll();

    QString Text() const { return toPlainText(); }
    void SetText(const QString& text);
    const QStringList& CompletionWords() const { return completionWords_; }

    // The coloured pieces of one line, in order.
    std::vector<KeywordToken> Scan(const QString& line) const;

signals:
    // After every change of the text, typed or not.
    void TextEdited();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

private:
    const QString* FindWord(const QStringList& list, const QString& word) const;
    int WordEnd(const QString& line, int pos) const;
    int NumberEnd(const QString& line, int pos) const;
    int StringEnd(const QString& line, int pos) const;
    void Complete();
    void OnTextChanged();
    void Recase();
    int LineHeight() const;

    QStringList keywords_;
    QStringList constants_;
    QStringList completionWords_;
    QString delimiters_;
    QChar commentFirst_;
    QChar commentSecond_;
    bool caseSensitive_ = false;
    bool recase_ = true;
    bool changing_ = false;
    QSyntaxHighlighter* highlighter_;
};

}  // namespace corvane
