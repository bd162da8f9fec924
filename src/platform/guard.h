#pragma once
// Every event handler runs inside this guard: an error ends the handler with the
// standard error report, and the program goes on.

#include <QAbstractButton>
#include <QObject>
#include <exception>
#include <utility>

#include "core/error.h"
#include "platform/codec_qt.h"
#include "platform/ui_services.h"

namespace kt::ui {

template <class F>
void Guarded(F&& handler) noexcept {
  try {
    std::forward<F>(handler)();
  } catch (const kt::Error& error) {
    ShowErrorReport(MessageText(error));
  } catch (...) {
    ShowErrorReport(QString());
  }
}

// Connects a button's click to a handler of its window, through the guard.
template <class Window>
void OnClick(QAbstractButton* button, Window* window, void (Window::*handler)()) {
  QObject::connect(button, &QAbstractButton::clicked, window,
                   [window, handler] { Guarded([&] { (window->*handler)(); }); });
}

}  // namespace kt::ui
