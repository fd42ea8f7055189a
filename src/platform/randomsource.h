// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <random>

// Uniform draws in [0, 1).
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual double draw() = 0;
    virtual void reseed(double secondsSinceMidnight) = 0;
};

// Starts from the same state at every launch, so the first draw is always the same.
class SeededRandom : public RandomSource {
public:
    double draw() override;
    void reseed(double secondsSinceMidnight) override;

private:
    std::mt19937 engine_{5489u};
};
