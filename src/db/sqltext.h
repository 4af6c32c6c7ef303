#pragma once

#include <QString>

// The quoting helpers through which every user's text enters a statement: the quote character
// inside the text is doubled, so a quote in a name or a note never breaks or changes a statement.
namespace SqlText {

// "text" with every " inside doubled.
QString quoted(const QString& text);
// 'text' with every ' inside doubled.
QString singleQuoted(const QString& text);
// A statement shortened for messages.
QString excerpt(const QString& statement, int maxChars = 200);

} // namespace SqlText
