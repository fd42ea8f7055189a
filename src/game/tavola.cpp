// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/tavola.h"

#include "game/formats.h"
#include "game/numericvalue.h"
#include "game/questions.h"
#include "platform/dialogs.h"
#include "platform/randomsource.h"
#include "platform/systemclock.h"
#include "records/recordfiles.h"
#include "records/recordstore.h"

namespace {

constexpr int keyBackspace = 8;
constexpr int keyEnter = 13;
constexpr std::string_view exitCongratulation = "Ok ho registrato il tuo record, C A M P I O N E";
constexpr std::string_view heldNotice = "Il tuo record sarà salvato appena possibile.";
constexpr Rgb black{0, 0, 0};
constexpr int gradientStripes = 256;

std::string limitRefusal()
{
    return "Scegli un numero da " + std::to_string(lowestTableLimit) + " a " +
           std::to_string(highestTableLimit) + ".";
}

// A pasted answer outside the 16-bit range can match no product: it counts as wrong.
std::optional<Int16> answerValue(std::string_view text)
{
    return Int16::tryRounded(numericValue(text));
}

} // namespace

Tavola::Tavola(Form& form, Dialogs& dialogs, RandomSource& random, SystemClock& clock,
               RecordStore& records)
    : form_(form), dialogs_(dialogs), random_(random), clock_(clock), records_(records)
{
}

void Tavola::launch()
{
    starting_ = true;
    form_.load();
    Form_Load();
    form_.show();
    // The 15 minutes run from the first question: ticks while a notice was open or the
    // record was waited for count for nothing, and the first tick is a second away.
    starting_ = false;
    form_.setTimerEnabled(true);
    Form_Activate();
}

void Tavola::Form_Load()
{
    auto& s = state_;
    s.correctCount = 0;
    s.wrongCount = 0;
    form_.setTimerEnabled(false);
    // What the label shows is what is saved: nothing in it may hide or turn text around.
    s.playerName =
        records::savableName(dialogs_.inputBox("Come ti chiami?", {}, records::longestName));
    dialogs_.message(" " + s.playerName + " vediamo se sei un vero campione  ");
    form_.setCaption(Control::lblnome1, s.playerName);
    s.tableLimit = askTableLimit();
    AvviaTimer();
    s.correctCount = 0;
    s.wrongCount = 0;
    s.recordDir = GetSystemDir();
    const StoredRecord record = records_.open();
    form_.setCaption(Control::lblpunti, record.score);
    form_.setCaption(Control::lblnome, record.name);
    s.clock.secondsLeft = Int16::rounded(s.clock.clockSeconds + 900);
    form_.setCaption(Control::lblconto, clockText(s.clock));
}

// Limits the game can't play with are refused and asked again; no answer means 10.
Int16 Tavola::askTableLimit()
{
    auto& s = state_;
    for (;;) {
        s.limitText = dialogs_.inputBox("Tavola pitagorica fino al numero? ");
        if (s.limitText.empty())
            dialogs_.message(" " + s.playerName + " siccome non hai scelto arriviamo fino al 10.");
        if (s.limitText.empty()) s.limitText = "10";
        if (const auto limit = playableTableLimit(s.limitText)) return *limit;
        dialogs_.message(limitRefusal());
    }
}

void Tavola::AvviaTimer()
{
    form_.setTimerEnabled(true);
    state_.clock = startingCountdown();
    form_.setCaption(Control::lblconto, clockText(state_.clock));
}

std::string Tavola::GetSystemDir()
{
    return records::withFinalSeparator(records_.locate());
}

void Tavola::Form_Activate()
{
    cmdNext_Click();
}

void Tavola::Form_Resize()
{
    if (form_.displayState() == DisplayState::Minimised)
        form_.setWindowCaption("Giocare con la tavola pitagorica");
}

void Tavola::cmdNext_Click()
{
    if (ending_) return;
    auto& s = state_;
    s.shade = drawShade(random_);
    form_.setAnswerText("");
    form_.setCaption(Control::lblMessage, "");
    random_.reseed(clock_.secondsSinceMidnight());
    const Factors factors = drawFactors(random_, s.tableLimit);
    form_.setCaption(Control::lblNum1, wholeNumber(factors.first.value()));
    form_.setCaption(Control::lblNum2, wholeNumber(factors.second.value()));
    s.expectedAnswer = factors.second * factors.first;
    form_.setEnabled(Control::cmdNext, false);
    paintGradient();
    form_.setFocus(Control::txtAnswer);
}

void Tavola::paintGradient()
{
    const DrawingSettings settings;
    form_.setDrawing(settings);
    const int width = form_.windowWidthTwips();
    const int tint = 10 * state_.shade.value();
    const int stripeHeight = settings.scaleHeight / gradientStripes;
    for (int i = 0, y = 0; i < gradientStripes; ++i, y += stripeHeight)
        form_.fillBox(0, y, width, y + stripeHeight, Rgb{tint, tint, i});
}

void Tavola::txtAnswer_KeyPress(int& KeyAscii)
{
    if (ending_) {
        KeyAscii = 0;
        return;
    }
    if ((KeyAscii >= '0' && KeyAscii <= '9') || KeyAscii == keyBackspace) return;
    if (KeyAscii == keyEnter) {
        scoreAnswer();
        return;
    }
    KeyAscii = 0;
}

void Tavola::scoreAnswer()
{
    auto& s = state_;
    const auto answer = answerValue(form_.answerText());
    if (answer && *answer == s.expectedAnswer) {
        s.correctCount = s.correctCount.saturatingPlus(1);
        form_.setCaption(Control::lblMessage, "Esatto! " + s.playerName + " sei forte!");
    } else {
        s.wrongCount = s.wrongCount.saturatingPlus(1);
        form_.setCaption(Control::lblMessage,
                         "Sbagliato!! " + wholeNumber(s.expectedAnswer.value()));
        form_.setBackColor(black);
        form_.setCaption(Control::lblScore1, wholeNumber(s.wrongCount.value()));
    }
    form_.setCaption(Control::lblScore, wholeNumber(s.correctCount.value()));
    form_.setCaption(Control::lblScore2,
                     wholeNumber(s.wrongCount.saturatingPlus(s.correctCount).value()));
    form_.setEnabled(Control::cmdNext, true);
    form_.setFocus(Control::cmdNext);
}

void Tavola::Timer1_Timer()
{
    if (ending_ || starting_) return;
    if (form_.caption(Control::lblconto) == timeUpText) {
        FineGara();
        return;
    }
    stepDown(state_.clock);
    form_.setCaption(Control::lblconto, clockText(state_.clock));
}

void Tavola::cmdExit_Click()
{
    if (beginEnding()) saveOrEnd(exitCongratulation);
}

void Tavola::FineGara()
{
    if (!beginEnding()) return;
    dialogs_.message("Ciao a presto. Ore " + wholeNumber(state_.clock.secondsLeft.value()),
                     "Data " + clock_.nowText());
    saveOrEnd(std::string(exitCongratulation) + "\"");
}

// Both ways out run once: later ticks, clicks and keys find the game already ending.
bool Tavola::beginEnding()
{
    if (ending_) return false;
    ending_ = true;
    form_.setTimerEnabled(false);
    return true;
}

void Tavola::saveOrEnd(std::string_view congratulation)
{
    const std::string score = form_.caption(Control::lblScore);
    if (records::recordBeaten(form_.caption(Control::lblpunti), score)) {
        // Praised only for a save that landed; one held back lands at the next game.
        switch (records_.saveIfBeaten(score, form_.caption(Control::lblnome1))) {
        case SaveOutcome::Saved:
            dialogs_.message(congratulation);
            break;
        case SaveOutcome::Held:
            dialogs_.message(heldNotice);
            break;
        case SaveOutcome::NotSaved:
            break;
        }
    }
    form_.endProgram(0);
}

void Tavola::Next_Click()
{
    if (ending_) return;
    if (!dialogs_.askYesNo("INIZIAMO UNA NUOVA GARA  ?", "INIZIARE NUOVA GARA") || ending_) return;
    state_.tableLimit = askTableLimit();
    if (ending_) return;
    form_.unload();
    launch();
}
