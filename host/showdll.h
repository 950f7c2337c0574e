// The plug-in's exported entry points, as a host declares them (C linkage). showdll
// opens the modal main window "税控读入"; taxbridge_screenshots renders every window to
// PNG files for the documentation and the demo.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

// appHandle: the host's application window (an X11 window id; 0: none). The five strings
// (NUL-terminated, null for empty) become Param1..Param4 and ServerComputerName.
typedef void (*ShowDllFn)(unsigned long appHandle, const char* param1, const char* param2,
                          const char* param3, const char* param4, const char* serverComputerName);

// Renders the windows into `directory` against the server named by
// `serverComputerName`; 0 when every window was written and no error was shown.
typedef int (*ScreenshotsFn)(const char* directory, const char* serverComputerName);

#ifdef __cplusplus
}
#endif
