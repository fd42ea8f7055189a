// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/layout.h"

namespace {

constexpr Rgb yellow{255, 255, 0};
constexpr Rgb blue{0, 0, 255};
constexpr Rgb red{255, 0, 0};
constexpr Rgb green{0, 192, 0};
constexpr Rgb darkGreen{0, 128, 0};
constexpr std::optional<Rgb> transparent;
constexpr std::optional<Rgb> defaultText;

constexpr auto Left = Alignment::Left;
constexpr auto Centre = Alignment::Centre;
constexpr bool framed = true;
constexpr bool plain = false;
constexpr bool fits = true;
constexpr bool keepsSize = false;

struct Place {
    int left, top, width, height;
};

constexpr FontChoice sans(double points, bool bold = false, bool italic = false)
{
    return {"MS Sans Serif", points, bold, italic};
}

constexpr ControlLayout control(Control id, std::string_view name, ControlKind kind, Place place,
                                std::string_view caption, FontChoice font)
{
    ControlLayout entry;
    entry.id = id;
    entry.name = name;
    entry.kind = kind;
    entry.left = place.left;
    entry.top = place.top;
    entry.width = place.width;
    entry.height = place.height;
    entry.caption = caption;
    entry.font = font;
    return entry;
}

constexpr ControlLayout label(Control id, std::string_view name, Place place,
                              std::string_view caption, FontChoice font, std::optional<Rgb> text,
                              std::optional<Rgb> back, bool frame, Alignment alignment, bool fit)
{
    ControlLayout entry = control(id, name, ControlKind::Label, place, caption, font);
    entry.textColor = text;
    entry.backColor = back;
    entry.framed = frame;
    entry.alignment = alignment;
    entry.fits = fit;
    return entry;
}

constexpr ControlLayout button(Control id, std::string_view name, Place place,
                               std::string_view caption, Rgb back, Pictures pictures, int tabIndex,
                               bool enabled)
{
    ControlLayout entry = control(id, name, ControlKind::Button, place, caption, sans(8.25, true));
    entry.backColor = back;
    entry.alignment = Centre;
    entry.pictures = pictures;
    entry.tabIndex = tabIndex;
    entry.enabled = enabled;
    return entry;
}

constexpr ControlLayout answerBox()
{
    ControlLayout entry = control(Control::txtAnswer, "txtAnswer", ControlKind::TextBox,
                                  {8160, 0, 2775, 1200}, "", {"Arial", 48, true});
    entry.textColor = blue;
    entry.backColor = Rgb{255, 255, 128};
    entry.tabIndex = 8;
    entry.maxLength = 4;
    return entry.withTooltip("Inserisci il risultato e  premi il tasto  Invio");
}

constexpr ControlLayout picture()
{
    ControlLayout entry =
        control(Control::Image1, "Image1", ControlKind::Picture, {480, 1680, 480, 480}, "", {});
    entry.pictures = {"clock", "", ""};
    return entry.withTooltip("Clicca sotto di me per impostare il Timer");
}

} // namespace

const WindowLayout windowLayout{
    "Gioca con la tavola pitagorica",
    "Giocare con la tavola pitagorica",
    11880,
    8310,
};

// clang-format off
const std::array<ControlLayout, controlCount> controlTable{{
    label(Control::lblNum1,    "lblNum1",    {840, 0, 345, 1185},      "",
          {"Arial", 48, true},           blue,        yellow,      framed, Centre, fits),
    label(Control::Label2,     "Label2",     {2400, 0, 615, 975},      "X",
          {"Arial", 48},                 yellow,      transparent, plain,  Centre, keepsSize),
    label(Control::lblNum2,    "lblNum2",    {4155, 0, 345, 1185},     "",
          {"Arial", 48, true},           blue,        yellow,      framed, Centre, fits),
    label(Control::Label4,     "Label4",     {5880, 0, 615, 975},      "=",
          {"Arial", 48, true},           yellow,      transparent, plain,  Centre, keepsSize),
    answerBox(),
    label(Control::Label11,    "Label11",    {0, 1320, 1575, 375},     "Tempo restante",
          sans(9.75),                    yellow,      transparent, plain,  Left,   keepsSize),
    picture(),
    label(Control::lblconto,   "lblconto",   {0, 2280, 1575, 495},     "00.00.00",
          {"Arial Black", 12, true},     yellow,      transparent, framed, Left,   keepsSize),
    label(Control::lblMessage, "lblMessage", {1680, 2040, 6615, 615},  "",
          sans(24, true, true),          red,         transparent, plain,  Centre, keepsSize)
        .withIconPointer(),
    label(Control::Label6,     "Label6",     {240, 3360, 2565, 495},   "Risposte esatte",
          sans(18),                      green,       transparent, framed, Centre, fits),
    label(Control::Label1,     "Label1",     {3840, 3360, 2520, 495},  "Risposte errate",
          sans(18),                      red,         transparent, framed, Left,   fits),
    label(Control::Label3,     "Label3",     {7440, 3360, 2340, 495},  "Risposte totali",
          sans(18),                      blue,        transparent, framed, Left,   fits),
    label(Control::lblScore,   "lblScore",   {1080, 4080, 555, 885},   "0",
          {"Times New Roman", 36, true}, defaultText, transparent, framed, Centre, fits)
        .withTooltip("Questo è il tuo punteggio. Forza con il  record"),
    label(Control::lblScore1,  "lblScore1",  {4830, 4080, 540, 885},   "0",
          {"Times New Roman", 36, true}, red,         transparent, framed, Centre, fits),
    label(Control::lblScore2,  "lblScore2",  {8310, 4080, 555, 885},   "0",
          {"Times New Roman", 36, true}, blue,        transparent, framed, Centre, fits),
    button(Control::cmdNext,   "cmdNext",    {4200, 5280, 1815, 1095}, "&Nuovo calcolo",
           Rgb{0, 192, 192}, {"next", "next-pressed", "next-disabled"}, 2, false)
        .withTooltip("Go").withIconPointer(),
    button(Control::cmdExit,   "cmdExit",    {7680, 5280, 2055, 1095}, "E&xit",
           Rgb{192, 0, 192}, {"exit", "", ""}, 0, true)
        .withTooltip("Ti prego resta ancora, forse riuscirai a farmi uscire "),
    label(Control::Label14,    "Label14",    {0, 5520, 1425, 420},     "Sfidante",
          sans(13.5),                    darkGreen,   transparent, framed, Centre, fits),
    label(Control::lblnome1,   "lblnome1",   {120, 6480, 165, 420},    "",
          sans(13.5, true),              darkGreen,   transparent, framed, Left,   fits),
    label(Control::Label12,    "Label12",    {120, 7560, 2295, 615},   "Il record  è di ",
          sans(24),                      yellow,      transparent, plain,  Left,   keepsSize),
    label(Control::lblnome,    "lblnome",    {2520, 7560, 1275, 555},  "nome",
          sans(24, true),                yellow,      transparent, plain,  Left,   fits),
    label(Control::Label13,    "Label13",    {7320, 7560, 1965, 555},  "con punti",
          sans(24),                      yellow,      transparent, plain,  Left,   fits),
    label(Control::lblpunti,   "lblpunti",   {9600, 7560, 270, 555},   "0",
          sans(24),                      yellow,      transparent, plain,  Left,   fits),
}};

const std::array<MenuItem, 5> menuTable{{
    {"wp",   "www.moltiplix.example", 0},
    {"v",    "Scuola primaria - esercizi di aritmetica", 1},
    {"Ciao", "Un gioco del team di Moltiplix", 0},
    {"a",    "info@moltiplix.example", 0},
    {"Next", "nuovo", 0},
}};

const std::array<AccessibleText, controlCount> accessibleTable{{
    {Control::lblNum1,    "Primo fattore",        ""},
    {Control::Label2,     "per",                  ""},
    {Control::lblNum2,    "Secondo fattore",      ""},
    {Control::Label4,     "uguale",               ""},
    {Control::txtAnswer,  "Risultato",            "Scrivi il risultato e premi Invio"},
    {Control::Label11,    "",                     ""},
    {Control::Image1,     "Orologio",             ""},
    {Control::lblconto,   "Tempo restante",       "Ore, minuti e secondi alla fine della gara"},
    {Control::lblMessage, "Messaggio",            "Dice se la risposta era giusta"},
    {Control::Label6,     "",                     ""},
    {Control::Label1,     "",                     ""},
    {Control::Label3,     "",                     ""},
    {Control::lblScore,   "Risposte esatte",      "Il tuo punteggio"},
    {Control::lblScore1,  "Risposte errate",      ""},
    {Control::lblScore2,  "Risposte totali",      ""},
    {Control::cmdNext,    "Nuovo calcolo",        "Passa alla prossima moltiplicazione"},
    {Control::cmdExit,    "Exit",                 "Termina la gara e registra il record"},
    {Control::Label14,    "",                     ""},
    {Control::lblnome1,   "Sfidante",             "Il nome di chi gioca"},
    {Control::Label12,    "",                     ""},
    {Control::lblnome,    "Detentore del record", ""},
    {Control::Label13,    "",                     ""},
    {Control::lblpunti,   "Punti del record",     ""},
}};
// clang-format on

const FormLayout formLayout{windowLayout, controlTable, menuTable};

const ControlLayout& layoutOf(Control control)
{
    return controlTable[indexOf(control)];
}

const AccessibleText& accessibleTextOf(Control control)
{
    return accessibleTable[indexOf(control)];
}
