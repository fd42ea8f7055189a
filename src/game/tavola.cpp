// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/tavola.h"

#include "base/formats.h"
#include "base/numericvalue.h"
#include "game/layout.h"
#include "game/questions.h"
#include "game/spokentext.h"
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

Tavola::Tavola(Form& form, Dialogs& dialogs, RandomSource& random, SystemClock& systemClock,
               RecordStore& records)
    : form_(form), dialogs_(dialogs), random_(random), systemClock_(systemClock), records_(records)
{
}

void Tavola::launch()
{
    starting_ = true;
    form_.load(formLayout);
    describeControls([](Control id) { return std::string(layoutOf(id).caption); });
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
    setCaption(Control::lblnome1, s.playerName);
    s.tableLimit = askTableLimit();
    AvviaTimer();
    s.correctCount = 0;
    s.wrongCount = 0;
    s.recordDir = GetSystemDir();
    const StoredRecord record = records_.open();
    setCaption(Control::lblpunti, record.score);
    setCaption(Control::lblnome, record.name);
    s.countdown.secondsLeft = Int16::rounded(s.countdown.clockSeconds + 900);
    setCaption(Control::lblconto, clockText(s.countdown));
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
    state_.countdown = startingCountdown();
    setCaption(Control::lblconto, clockText(state_.countdown));
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
    setCaption(Control::lblMessage, "");
    random_.reseed(systemClock_.secondsSinceMidnight());
    const Factors factors = drawFactors(random_, s.tableLimit);
    setCaption(Control::lblNum1, wholeNumber(factors.first.value()));
    setCaption(Control::lblNum2, wholeNumber(factors.second.value()));
    tellQuestion();
    tellVerdict();
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
        setCaption(Control::lblMessage, "Esatto! " + s.playerName + " sei forte!");
    } else {
        s.wrongCount = s.wrongCount.saturatingPlus(1);
        setCaption(Control::lblMessage, "Sbagliato!! " + wholeNumber(s.expectedAnswer.value()));
        form_.setBackColor(black);
        setCaption(Control::lblScore1, wholeNumber(s.wrongCount.value()));
    }
    setCaption(Control::lblScore, wholeNumber(s.correctCount.value()));
    setCaption(Control::lblScore2,
               wholeNumber(s.wrongCount.saturatingPlus(s.correctCount).value()));
    tellVerdict();
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
    stepDown(state_.countdown);
    setCaption(Control::lblconto, clockText(state_.countdown));
}

void Tavola::cmdExit_Click()
{
    if (beginEnding()) saveOrEnd(exitCongratulation);
}

void Tavola::FineGara()
{
    if (!beginEnding()) return;
    dialogs_.message("Ciao a presto. Ore " + wholeNumber(state_.countdown.secondsLeft.value()),
                     "Data " + systemClock_.nowText());
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

// Each label's caption is told to screen readers too, after its name.
void Tavola::setCaption(Control control, std::string_view text)
{
    form_.setCaption(control, text);
    if (layoutOf(control).kind == ControlKind::Label)
        form_.setSpokenName(control, labelName(accessibleTextOf(control).name, text));
}

// The question and the verdict are told before the box or the button takes the focus, so
// a screen reader reads them with it.
void Tavola::tellQuestion()
{
    form_.setSpokenName(Control::txtAnswer,
                        questionName([this](Control id) { return form_.caption(id); }));
}

void Tavola::tellVerdict()
{
    form_.setSpokenDescription(
        Control::cmdNext, verdictDescription([this](Control id) { return form_.caption(id); }));
}

// What every control says once the window is loaded: the window shows the layout's
// captions then, and is not asked for them, so that nothing is built before the first
// dialog.
void Tavola::describeControls(const CaptionOf& shown)
{
    for (const ControlLayout& entry : controlTable) {
        const AccessibleText& text = accessibleTextOf(entry.id);
        form_.setSpokenName(entry.id, entry.kind == ControlKind::Label
                                          ? labelName(text.name, shown(entry.id))
                                          : std::string(text.name));
        form_.setSpokenDescription(entry.id, text.description);
    }
    form_.setSpokenName(Control::txtAnswer, questionName(shown));
    form_.setSpokenDescription(Control::cmdNext, verdictDescription(shown));
}
