#pragma once

#include "app/prompter.h"
#include "db/dberror.h"

#include <utility>

// The one way a window runs a core call: a DbError it throws is shown in the standard error box
// and the call reports false, so the window ends the command and keeps what the user typed.
//     if (!succeeded(m_prompter, [&] { id = Clients::addClient(m_app); }))
//         return;
template <class Call> bool succeeded(Prompter& prompter, Call&& call) {
    try {
        std::forward<Call>(call)();
        return true;
    } catch (const DbError& e) {
        prompter.error(e.message());
        return false;
    }
}
