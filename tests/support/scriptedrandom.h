// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/randomsource.h"

#include <deque>
#include <stdexcept>
#include <vector>

// Returns the given draws in order; re-seeding is only counted.
class ScriptedRandom : public RandomSource {
public:
    void script(std::initializer_list<double> draws) { draws_.insert(draws_.end(), draws); }
    double draw() override
    {
        if (draws_.empty()) throw std::logic_error("the scripted draws ran out");
        const double value = draws_.front();
        draws_.pop_front();
        return value;
    }
    void reseed(double secondsSinceMidnight) override { seeds_.push_back(secondsSinceMidnight); }

    std::size_t remaining() const { return draws_.size(); }
    const std::vector<double>& seeds() const { return seeds_; }

private:
    std::deque<double> draws_;
    std::vector<double> seeds_;
};
