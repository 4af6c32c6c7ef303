#pragma once

#include <QString>

// How the core asks questions and shows notices and errors: message boxes in the windows, the
// terminal in the CLI, a script in the tests.
class Prompter {
public:
    virtual ~Prompter() = default;
    // A question with Да/Нет under the given caption; true for Да.
    virtual bool ask(const QString& caption, const QString& text) = 0;
    virtual void notify(const QString& text) = 0;
    // A notice under the caption "ВНИМАНИЕ!!!" (a refusal the office must not miss).
    virtual void warn(const QString& text) { notify(text); }
    // The standard error box.
    virtual void error(const QString& text) = 0;
};

// How long loops report: a counter or caption text, and a chance to process pending events.
class Progress {
public:
    virtual ~Progress() = default;
    virtual void processEvents() {}
    virtual void setText(const QString&) {}
    virtual void setValue(int, int) {}
};
