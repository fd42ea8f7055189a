// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/dialogs.h"

class QString;
class QWidget;

class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget* parent) : parent_(parent) {}

    std::string inputBox(std::string_view prompt, std::string_view title = {},
                         std::size_t maxLength = 0) override;
    void message(std::string_view prompt, std::string_view title = {}) override;
    bool askYesNo(std::string_view prompt, std::string_view title) override;

private:
    // Centred on the window while it shows, on the screen before.
    QWidget* owner() const;

    QWidget* parent_;
};

// The box that says what went wrong before the program ends.
void showFatalError(QWidget* parent, const QString& message);
