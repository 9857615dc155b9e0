// The windows' seams to the outside: clock, random source, current directory, message boxes and
// ending the program. Tests replace them; the program uses defaultServices().
#pragma once

#include <QString>
#include <QStringList>

#include <filesystem>
#include <functional>
#include <string>

#include "calendar/clock.h"
#include "page/daypage.h"

namespace dovi {

struct Services {
    Clock* clock = nullptr;
    RandomSource* random = nullptr;
    std::function<std::filesystem::path()> currentDirectory;
    // Ends the whole program at once with the exit status (0, or 1 after a failure); the caller
    // returns right after it.
    std::function<void(int status)> endProgram;
    // One diagnostic for the terminal or the session log (standard error), ending in a line feed.
    std::function<void(const std::string& text)> printError;
    // A modal box with one OK button and no icon.
    std::function<void(const QString& title, const QString& text)> showMessage;
    // A modal box with OK (the default) and Cancel and no icon; true when the answer is OK.
    std::function<bool(const QString& title, const QString& text)> confirm;
    // A modal question with the given buttons and no icon; returns the index of the button chosen.
    // Enter picks defaultButton; Esc and the close box pick escapeButton.
    std::function<int(const QString& title, const QString& text, const QStringList& buttons, int defaultButton,
                      int escapeButton)>
        choose;
};

// The real clock, a clock-seeded generator, the process's current directory, QMessageBox boxes
// showing plain text, std::exit and standard error.
Services defaultServices();

// Texts go to the screen as plain text. A lone carriage return would show as a blank, so line
// breaks become line feeds for the box only.
QString boxText(const QString& text);

}  // namespace dovi
