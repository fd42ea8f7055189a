// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

// Where the record files live, as the operating system names it (the separator at the
// end may be missing). Throws FatalError when no usable directory exists.
class RecordDirectory {
public:
    virtual ~RecordDirectory() = default;
    virtual std::string locate() = 0;
};

// The first of the candidates that exists, or can be created (mode 0700), and can be
// written.
class FirstWritableDirectory : public RecordDirectory {
public:
    explicit FirstWritableDirectory(std::vector<std::string> candidates);
    std::string locate() override;

private:
    std::vector<std::string> candidates_;
};
