#pragma once

class App;
class QWidget;

// Builds the program's windows on the application object: the main window, which opens the
// connection, the login, and every other window. Returns the login, which is shown first,
// or nullptr when the start failed (the end of the program has then been requested).
QWidget* buildProgram(App& app);
