// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QRegion>

#include <vector>

class QApplication;
class QMainWindow;

// Watches a program from inside (installed before its window exists) and reports one
// measure on standard output, then ends the process.
class Probe : public QObject {
public:
    enum class Measure { Startup, Memory, Ticks, Question };

    Probe(Measure measure, int size, QApplication& application);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void answerDialog(QWidget* dialog);
    void windowShown(QMainWindow* window);
    [[noreturn]] void measureMemory();
    void measureTicks(QMainWindow* window);
    void measureQuestions(QMainWindow* window);
    [[noreturn]] void report(const QString& line);

    Measure measure_;
    int size_; // ticks to run, or the client height of a question
    int answered_ = 0;
    bool windowSeen_ = false;
    bool recordPaints_ = false;
    QRegion painted_;
    std::vector<double> paintedAreas_;
};
