// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/controls.h"

#include <functional>
#include <string>
#include <string_view>

// What a screen reader says of the window, composed from what the window shows, so that
// every toolkit's window speaks the same Italian. Captions are UTF-8.
using CaptionOf = std::function<std::string(Control)>;

// A label read as its name, then its caption ("Tempo restante: 00:14:32"); either alone
// when the other is empty. Blanks and line breaks read as one space.
std::string labelName(std::string_view name, std::string_view caption);
// The answer box: "Risultato: quanto fa 7 per 6?" while both factors show.
std::string questionName(const CaptionOf& captionOf);
// "Nuovo calcolo" after an answer: the message, then the counts ("Esatto! Ada sei forte!
// Risposte esatte 1, Risposte errate 0, Risposte totali 1."); its plain description else.
std::string verdictDescription(const CaptionOf& captionOf);
