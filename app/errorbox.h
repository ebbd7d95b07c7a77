#pragma once

// The one way the panel reports a failure to the operator: a critical box
// with no parent, a title, a text and OK, that returns once it is closed.

#include <QString>

#include <functional>

namespace ErrorBox {

void show(const QString &title, const QString &text);

// While set, each box is handed to the recorder instead of being shown, and
// show() returns at once. Tests use it; an empty recorder shows boxes again.
using Recorder = std::function<void(const QString &title, const QString &text)>;
void setRecorder(Recorder recorder);

} // namespace ErrorBox
