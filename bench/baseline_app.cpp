// SPDX-License-Identifier: GPL-3.0-or-later
#include "baseline_app.h"

#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMainWindow>
#include <QTime>
#include <QTimer>

int runBaseline(int& argc, char** argv, const std::function<void(QApplication&)>& prepare)
{
    QApplication app(argc, argv);
    if (prepare) prepare(app);
    QInputDialog::getText(nullptr, QStringLiteral("Baseline"), QStringLiteral("Nome?"));

    QMainWindow window;
    auto* central = new QWidget(&window);
    auto* label = new QLabel(QStringLiteral("00:15:00"), central);
    label->setGeometry(0, 152, 105, 33);
    window.setCentralWidget(central);

    QTime left(0, 15, 0);
    auto& timer = *new QTimer(&window); // a child, as a window's timer is
    timer.setInterval(1000);
    QObject::connect(&timer, &QTimer::timeout, label, [&] {
        left = left.addSecs(-1);
        label->setText(left.toString(QStringLiteral("HH:mm:ss")));
    });
    timer.start();
    window.showMaximized();
    return app.exec();
}
