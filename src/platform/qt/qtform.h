// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/controls.h"
#include "platform/form.h"
#include "platform/formlayout.h"
#include "platform/qt/waitnote.h"
#include "platform/waiting.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class DrawingSurface;
class QKeyEvent;
class QTimer;

// The game window on a real display: its controls are built from the layout table, its
// events are handed to the game, and whatever the game asks of a window is done here.
// While the game waits for the record it keeps painting under a busy pointer, and says so
// in a note while it is not yet on screen.
class QtForm : public QMainWindow, public Form, public Waiting {
    Q_OBJECT

public:
    using ProgramEnd = std::function<void(int status)>;

    // end: how the program ends at once; by default the process exits on the spot.
    explicit QtForm(ProgramEnd end = {});

    void setEvents(FormEvents* events) { events_ = events; }
    // Runs a game handler; an error it cannot go on after is shown, then ends the program.
    void run(const std::function<void()>& handler);

    QWidget* control(Control id) const { return built().controls[indexOf(id)]; }
    QTimer* timer() const { return timer_; }
    DrawingSurface* surface() const { return built().surface; }

    std::string caption(Control id) const override;
    void setCaption(Control id, std::string_view text) override;
    std::string answerText() const override;
    void setAnswerText(std::string_view text) override;
    void setEnabled(Control id, bool enabled) override;
    void setFocus(Control id) override;
    void setTimerEnabled(bool enabled) override;
    DisplayState displayState() const override;
    void setWindowCaption(std::string_view text) override;
    int windowWidthTwips() const override;
    void setBackColor(Rgb color) override;
    void setDrawing(const DrawingSettings& settings) override;
    void fillBox(int x1, int y1, int x2, int y2, Rgb color) override;
    void setSpokenName(Control id, std::string_view name) override;
    void setSpokenDescription(Control id, std::string_view description) override;
    void load(const FormLayout& layout) override;
    void unload() override;
    void show() override;
    void endProgram(int status) override;

    void stillWaiting() override;
    void doneWaiting() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    struct Controls {
        DrawingSurface* surface = nullptr;
        std::array<QWidget*, controlCount> controls{};
    };

    // The controls are made on first use, so that the start-up's first dialog shows
    // before the window's controls, pictures and fonts are made; nothing is visible
    // before they exist.
    const Controls& built() const;
    void buildControls();
    QWidget* createControl(const ControlLayout& entry, DrawingSurface* surface);
    void buildMenu();
    bool answerKeyPressed(QKeyEvent* key);
    void describeQuestion();
    void describeVerdict();
    void holdFocus();
    void releaseFocus();
    void reportResize();

    FormEvents* events_ = nullptr;
    ProgramEnd end_;
    QTimer* timer_ = nullptr;
    bool loaded_ = false;
    FormLayout layout_;
    bool busy_ = false;
    WaitNote waitNote_;
    Controls controls_;
    std::array<std::string, controlCount> spokenNames_;
    std::array<std::string, controlCount> spokenDescriptions_;
    std::vector<std::pair<QWidget*, Qt::FocusPolicy>> heldFocus_;
};
