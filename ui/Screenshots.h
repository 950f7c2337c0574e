// Renders every window of the library to PNG files, driving them as an operator would:
// the main window, the customer and product refresh results, the date window, and the
// check window with the day's invoices and the first invoice's lines. The jobs really
// run, against the server named by the host parameters and the machine folder behind
// drive C:; any message box they raise is saved as well.
#pragma once

#include <string>
#include <vector>

namespace ui {

struct ScreenshotRun {
    std::vector<std::string> files;   // written, in order
    std::vector<std::string> errors;  // error texts the windows showed
};

// Needs the application object; creates `directory` when missing.
ScreenshotRun RenderScreenshots(const std::string& directory);

}  // namespace ui
