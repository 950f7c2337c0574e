// The library's default error handler: an error that ends a job or a window's show step
// is shown in a message box with the error text and a stop icon; the window stays open.
#pragma once

#include <QString>
#include <string>

class QWidget;

namespace ui {

void ShowError(QWidget* parent, const QString& text);
void ShowError(QWidget* parent, const std::string& text);

}  // namespace ui
