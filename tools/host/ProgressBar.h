#pragma once
// A one-line progress bar on stderr, drawn only when stderr is a terminal.
#include <cstdint>

class ProgressBar {
public:
    explicit ProgressBar(std::int64_t total);
    void update(std::int64_t done);
    void finish();

private:
    std::int64_t total_;
    int shownPercent_ = -1;
    bool enabled_;
};
