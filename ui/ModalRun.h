// Every modal window of the library runs through ExecModal: normally QDialog::exec(). A
// program that drives the windows itself (the screenshot renderer, tests) installs an
// interceptor that receives each dialog in place of the modal loop and returns its
// result code.
#pragma once

#include <functional>

class QDialog;

namespace ui {

using ModalInterceptor = std::function<int(QDialog&)>;

int ExecModal(QDialog& dialog);

// Installs an interceptor (an empty one restores exec()); returns the previous one.
ModalInterceptor SetModalInterceptor(ModalInterceptor interceptor);

}  // namespace ui
