// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/controls.h"

#include <array>
#include <optional>

// The window as the game's description gives it, typed here by hand and never read from
// the game's own table, so that a wrong entry there fails the tests. Twips; 15 to a pixel.
struct ExpectedControl {
    Control id;
    const char* name;
    int left, top, width, height;
    const char* caption;
    const char* family;
    double points;
    bool bold, italic;
    std::optional<Rgb> text; // none: the platform's text colour
    std::optional<Rgb> back; // none: transparent
    bool framed, centred, fits;
    const char* tooltip;
};

namespace expected {

constexpr Rgb yellow{255, 255, 0}, blue{0, 0, 255}, red{255, 0, 0};
constexpr std::nullopt_t none = std::nullopt;
constexpr bool B = true, I = true, R = false, line = true, centred = true, fits = true;
constexpr bool _ = false;

// clang-format off
inline constexpr std::array<ExpectedControl, controlCount> controls{{
    {Control::lblNum1,    "lblNum1",    840,  0,    345,  1185, "",                 "Arial",           48,   B, _, blue,             yellow,             line, centred, fits, ""},
    {Control::Label2,     "Label2",     2400, 0,    615,  975,  "X",                "Arial",           48,   R, _, yellow,           none,               _,    centred, _,    ""},
    {Control::lblNum2,    "lblNum2",    4155, 0,    345,  1185, "",                 "Arial",           48,   B, _, blue,             yellow,             line, centred, fits, ""},
    {Control::Label4,     "Label4",     5880, 0,    615,  975,  "=",                "Arial",           48,   B, _, yellow,           none,               _,    centred, _,    ""},
    {Control::txtAnswer,  "txtAnswer",  8160, 0,    2775, 1200, "",                 "Arial",           48,   B, _, blue,             Rgb{255, 255, 128}, _, _,     _,    "Inserisci il risultato e  premi il tasto  Invio"},
    {Control::Label11,    "Label11",    0,    1320, 1575, 375,  "Tempo restante",   "MS Sans Serif",   9.75, R, _, yellow,           none,               _,    _,       _,    ""},
    {Control::Image1,     "Image1",     480,  1680, 480,  480,  "",                 "",                0,    _, _, none,             none,               _,    _,       _,    "Clicca sotto di me per impostare il Timer"},
    {Control::lblconto,   "lblconto",   0,    2280, 1575, 495,  "00.00.00",         "Arial Black",     12,   B, _, yellow,           none,               line, _,       _,    ""},
    {Control::lblMessage, "lblMessage", 1680, 2040, 6615, 615,  "",                 "MS Sans Serif",   24,   B, I, red,              none,               _,    centred, _,    ""},
    {Control::Label6,     "Label6",     240,  3360, 2565, 495,  "Risposte esatte",  "MS Sans Serif",   18,   R, _, Rgb{0, 192, 0}, none,              line, centred, fits, ""},
    {Control::Label1,     "Label1",     3840, 3360, 2520, 495,  "Risposte errate",  "MS Sans Serif",   18,   R, _, red,              none,               line, _,       fits, ""},
    {Control::Label3,     "Label3",     7440, 3360, 2340, 495,  "Risposte totali",  "MS Sans Serif",   18,   R, _, blue,             none,               line, _,       fits, ""},
    {Control::lblScore,   "lblScore",   1080, 4080, 555,  885,  "0",                "Times New Roman", 36,   B, _, none,             none,               line, centred, fits, "Questo è il tuo punteggio. Forza con il  record"},
    {Control::lblScore1,  "lblScore1",  4830, 4080, 540,  885,  "0",                "Times New Roman", 36,   B, _, red,              none,               line, centred, fits, ""},
    {Control::lblScore2,  "lblScore2",  8310, 4080, 555,  885,  "0",                "Times New Roman", 36,   B, _, blue,             none,               line, centred, fits, ""},
    {Control::cmdNext,    "cmdNext",    4200, 5280, 1815, 1095, "&Nuovo calcolo",   "MS Sans Serif",   8.25, B, _, none,             Rgb{0, 192, 192}, _,   _,       _,    "Go"},
    {Control::cmdExit,    "cmdExit",    7680, 5280, 2055, 1095, "E&xit",            "MS Sans Serif",   8.25, B, _, none,             Rgb{192, 0, 192}, _,   _,       _,    "Ti prego resta ancora, forse riuscirai a farmi uscire "},
    {Control::Label14,    "Label14",    0,    5520, 1425, 420,  "Sfidante",         "MS Sans Serif",   13.5, R, _, Rgb{0, 128, 0}, none,              line, centred, fits, ""},
    {Control::lblnome1,   "lblnome1",   120,  6480, 165,  420,  "",                 "MS Sans Serif",   13.5, B, _, Rgb{0, 128, 0}, none,              line, _,       fits, ""},
    {Control::Label12,    "Label12",    120,  7560, 2295, 615,  "Il record  è di ", "MS Sans Serif",   24,   R, _, yellow,           none,               _,    _,       _,    ""},
    {Control::lblnome,    "lblnome",    2520, 7560, 1275, 555,  "nome",             "MS Sans Serif",   24,   B, _, yellow,           none,               _,    _,       fits, ""},
    {Control::Label13,    "Label13",    7320, 7560, 1965, 555,  "con punti",        "MS Sans Serif",   24,   R, _, yellow,           none,               _,    _,       fits, ""},
    {Control::lblpunti,   "lblpunti",   9600, 7560, 270,  555,  "0",                "MS Sans Serif",   24,   R, _, yellow,           none,               _,    _,       fits, ""},
}};
// clang-format on

} // namespace expected
