#include "tools/host/ProgressBar.h"

#include <cstdio>
#if defined(_WIN32)
#include <io.h>
#define QUORL_ISATTY(fd) _isatty(fd)
#define QUORL_FILENO(f) _fileno(f)
#else
#include <unistd.h>
#define QUORL_ISATTY(fd) isatty(fd)
#define QUORL_FILENO(f) fileno(f)
#endif

ProgressBar::ProgressBar(std::int64_t total)
    : total_(total > 0 ? total : 1), enabled_(QUORL_ISATTY(QUORL_FILENO(stderr)) != 0) {}

void ProgressBar::update(std::int64_t done) {
    if (!enabled_)
        return;
    const int percent = static_cast<int>(done * 100 / total_);
    if (percent == shownPercent_)
        return;
    shownPercent_ = percent;
    constexpr int kWidth = 40;
    char bar[kWidth + 1];
    for (int i = 0; i < kWidth; ++i)
        bar[i] = i < percent * kWidth / 100 ? '#' : '.';
    bar[kWidth] = '\0';
    std::fprintf(stderr, "\r[%s] %3d%%", bar, percent);
    std::fflush(stderr);
}

void ProgressBar::finish() {
    if (!enabled_ || shownPercent_ < 0)
        return;
    std::fprintf(stderr, "\r%*s\r", 48, "");
    std::fflush(stderr);
}
