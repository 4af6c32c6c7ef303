#pragma once

#include "app/prompter.h"

class QWidget;

// Questions, notices and errors as message boxes over the active window of the program.
class WidgetPrompter : public Prompter {
public:
    bool ask(const QString& caption, const QString& text) override;
    void notify(const QString& text) override;
    void warn(const QString& text) override;
    void error(const QString& text) override;
};
