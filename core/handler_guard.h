#pragma once
// Every event handler runs inside Guarded(): an exception that leaves it ends
// that event only and is shown in the application's error box. Exceptions
// must never unwind through Qt's event dispatch.

#include "core/error_box.h"
#include "core/exception.h"

#include <utility>

// Runs f; returns false when it ended with an exception (already shown).
template <class F> bool Guarded(F &&f)
{
    try {
        std::forward<F>(f)();
        return true;
    } catch (const EAbort &) {
        return false;
    } catch (const Exception &e) {
        ShowError(e.message());
    } catch (const std::exception &e) {
        ShowError(QString::fromLocal8Bit(e.what()));
    }
    return false;
}
